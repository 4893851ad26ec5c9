#pragma once

// A tiny benchmark facility. A benchmark is a function registered by name:
//
//     #include "Benchmark.h"
//
//     SORVEL_BENCHMARK(EncodeLibrary) {
//         const Library library = sorvel::bench::sampleLibrary(2000, 10, 5);  // set-up, not timed
//         sorvel::bench::measure("encode 2,000 projects", 20, [&] {
//             sorvel::bench::keep(RecordCoding::encodeLibrary(library));
//         });
//     }
//
// Each .cpp file in bench/ is built into the sorvel-bench program, which runs
// every registered benchmark in name order (or those whose name contains one of
// its arguments). measure() prints "label: X ms per run (N runs)". The program
// starts inside temporary XDG folders, so benchmarks may use Storage and
// Settings freely.

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <utility>
#include <vector>

namespace sorvel::bench {

struct Benchmark {
    const char* name;
    void (*run)();
};

// Every registered benchmark, in registration order.
inline std::vector<Benchmark>& registry() {
    static std::vector<Benchmark> benchmarks;
    return benchmarks;
}

struct Registration {
    Registration(const char* name, void (*run)()) { registry().push_back({name, run}); }
};

// Keeps the compiler from dropping a result nobody reads.
template <typename T>
inline void keep(const T& value) {
    asm volatile("" : : "r"(&value) : "memory");
}

// Calls body `runs` times (at least once) and prints the mean time per call.
// Returns that mean in milliseconds.
template <typename Body>
double measure(const QString& label, int runs, Body&& body) {
    runs = runs < 1 ? 1 : runs;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        body();
    const double perRun = double(timer.nsecsElapsed()) / 1e6 / runs;
    std::printf("%s: %.3f ms per run (%d runs)\n", label.toUtf8().constData(), perRun, runs);
    std::fflush(stdout);
    return perRun;
}

} // namespace sorvel::bench

#define SORVEL_BENCHMARK(name)                                                                             \
    static void sorvelBenchmark_##name();                                                                  \
    static const ::sorvel::bench::Registration sorvelBenchmarkRegistration_##name(#name, &sorvelBenchmark_##name); \
    static void sorvelBenchmark_##name()
