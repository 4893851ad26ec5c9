#include "SampleLibrary.h"

#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QJsonDocument>

#include <benchmark/benchmark.h>

// The data file's coding beside a plain QJsonDocument parse and serialisation
// of the same bytes, at 200 and 2,000 projects of 30 cues and 10 log entries.

using namespace sorvel;

namespace {

void decodeLibrary(benchmark::State& state) {
    const QByteArray& bytes = bench::yearsOfWorkFile(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(RecordCoding::decodeLibrary(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void parseWithQJsonDocument(benchmark::State& state) {
    const QByteArray& bytes = bench::yearsOfWorkFile(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void encodeLibrary(benchmark::State& state) {
    const Library& library = bench::yearsOfWork(int(state.range(0)));
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray bytes = RecordCoding::encodeLibrary(library);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void serialiseWithQJsonDocument(benchmark::State& state) {
    const QByteArray& bytes = bench::yearsOfWorkFile(int(state.range(0)));
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    for (auto _ : state)
        benchmark::DoNotOptimize(document.toJson(QJsonDocument::Indented));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void saveWithStorage(benchmark::State& state) {
    const Library& library = bench::yearsOfWork(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Storage::save(library));
}

void loadWithStorage(benchmark::State& state) {
    Storage::save(bench::yearsOfWork(int(state.range(0))));
    for (auto _ : state) {
        const Library loaded = Storage::load();
        if (loaded.projects.size() != state.range(0)) {
            state.SkipWithError("the data file did not load whole");
            break;
        }
        benchmark::DoNotOptimize(loaded);
    }
}

void mutateWithStorage(benchmark::State& state) {
    Storage::save(bench::yearsOfWork(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Storage::mutate([](Library& stored) { stored.projects.first().notes += 'x'; }));
}

void librarySizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(parseWithQJsonDocument)->Apply(librarySizes);
BENCHMARK(decodeLibrary)->Apply(librarySizes);
BENCHMARK(serialiseWithQJsonDocument)->Apply(librarySizes);
BENCHMARK(encodeLibrary)->Apply(librarySizes);
BENCHMARK(saveWithStorage)->Apply(librarySizes);
BENCHMARK(loadWithStorage)->Apply(librarySizes);
BENCHMARK(mutateWithStorage)->Apply(librarySizes);
