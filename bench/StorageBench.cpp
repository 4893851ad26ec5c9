#include "Benchmark.h"
#include "SampleLibrary.h"

#include "core/RecordCoding.h"
#include "core/Storage.h"

#include <QFileInfo>

using namespace sorvel;

namespace {

constexpr int projectCount = 2000;
constexpr int cuesPerProject = 10;
constexpr int logEntriesPerProject = 5;
constexpr int runs = 10;

const Library& library() {
    static const Library sample = bench::sampleLibrary(projectCount, cuesPerProject, logEntriesPerProject);
    return sample;
}

} // namespace

SORVEL_BENCHMARK(StorageEncode) {
    const QByteArray bytes = RecordCoding::encodeLibrary(library());
    std::printf("data file of %d projects: %lld KiB\n", projectCount, static_cast<long long>(bytes.size() / 1024));
    bench::measure(QStringLiteral("encode %1 projects").arg(projectCount), runs,
                   [] { bench::keep(RecordCoding::encodeLibrary(library())); });
}

SORVEL_BENCHMARK(StorageDecode) {
    const QByteArray bytes = RecordCoding::encodeLibrary(library());
    bench::measure(QStringLiteral("decode %1 projects").arg(projectCount), runs,
                   [&bytes] { bench::keep(RecordCoding::decodeLibrary(bytes)); });
}

SORVEL_BENCHMARK(StorageSaveAndLoad) {
    bench::measure(QStringLiteral("Storage::save of %1 projects").arg(projectCount), runs,
                   [] { bench::keep(Storage::save(library())); });
    bench::measure(QStringLiteral("Storage::load of %1 projects").arg(projectCount), runs, [] {
        const Library loaded = Storage::load();
        if (loaded.projects.size() != projectCount)
            std::fprintf(stderr, "load returned %lld projects\n", static_cast<long long>(loaded.projects.size()));
        bench::keep(loaded);
    });
    bench::measure(QStringLiteral("Storage::mutate of %1 projects").arg(projectCount), runs,
                   [] { bench::keep(Storage::mutate([](Library& stored) { stored.projects.first().notes += 'x'; })); });
}
