#pragma once

#include "SampleLibrary.h"

#include <benchmark/benchmark.h>

namespace sorvel::bench {

// Arguments of a benchmark over a library file: the number of projects
// (2,000 and 10,000), then who wrote the file (a FileWriter).
inline void writersAndSizes(benchmark::internal::Benchmark* benchmark) {
    for (int projects : {2000, 10000}) {
        for (FileWriter writer : {FileWriter::Sorvel, FileWriter::Python})
            benchmark->Args({projects, int(writer)});
    }
}

inline FileWriter writerOf(const benchmark::State& state) {
    return FileWriter(state.range(1));
}

} // namespace sorvel::bench
