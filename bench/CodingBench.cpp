#include "core/FileSystem.h"
#include "FreshProcess.h"
#include "LibraryArguments.h"
#include "OutsideWrites.h"
#include "PaddedContents.h"
#include "SampleLibrary.h"

#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "tests/support/HeapBytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

#include <benchmark/benchmark.h>

#include <algorithm>

// The data file's coding beside a plain QJsonDocument parse and serialisation
// of the same bytes, at 200, 2,000 and 10,000 projects of 30 cues and 10 log
// entries: warm (repeated in this process) and once in a fresh process, where
// every buffer is new memory. The decode beside QJsonDocument and the fresh
// figures also read the same kind of library as a Python script writes it;
// the decode and the heap held also read it with a member no record reads in
// every cue, beside the same file with that member under a name a cue reads.

using namespace sorvel;
using sorvel::bench::paddedContents;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

// The libraries measured carry every date; any time does for a missing one.
const QDateTime undatedAs = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);

void decodeLibrary(benchmark::State& state) {
    const QByteArray& bytes = bench::yearsOfWorkFile(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(RecordCoding::decodeLibrary(bytes, undatedAs));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

// Decoding as the store's worker does it, its parser's buffers kept from an
// earlier read, beside a QJsonDocument parse of the same bytes in the same
// iteration. The time is the decode's; "vs_qt" compares, "slow_decodes" counts
// the decodes that went to QJsonDocument. Freeing either result is not timed.
void decodeBesideQJsonDocument(benchmark::State& state) {
    const bench::FileWriter writer = bench::writerOf(state);
    const QByteArray& bytes = bench::fileWrittenBy(writer, int(state.range(0)));
    const RecordCoding::KeptParser parser;
    benchmark::DoNotOptimize(RecordCoding::decodeLibrary(bytes, undatedAs));
    const quint64 slowBefore = RecordCoding::slowDecodeCount();
    double ourMs = 0;
    double qtMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        std::optional<Library> library = RecordCoding::decodeLibrary(bytes, undatedAs);
        const double decodeMs = double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        QJsonDocument document = QJsonDocument::fromJson(bytes);
        const double parseMs = double(clock.nsecsElapsed()) / 1e6;
        if (!library || document.isNull()) {
            state.SkipWithError("the file did not read");
            break;
        }
        state.SetIterationTime(decodeMs / 1000);
        ourMs += decodeMs;
        qtMs += parseMs;
    }
    state.counters["qt_ms"] = benchmark::Counter(qtMs, benchmark::Counter::kAvgIterations);
    state.counters["vs_qt"] = qtMs > 0 ? ourMs / qtMs : 0;
    state.counters["slow_decodes"] = double(RecordCoding::slowDecodeCount() - slowBefore);
    state.counters["file_MiB"] = double(bytes.size()) / (1 << 20);
}

// The heap the libraries hold, as the store holds them: once the file is read
// ("read_MiB"), and after three writes by another program merged into a change
// of its own ("held_MiB"), beside the file's size.
void heldAfterOutsideWrites(benchmark::State& state) {
    const QByteArray& bytes = bench::fileWrittenBy(bench::writerOf(state), int(state.range(0)));
    for (auto _ : state) {
        const size_t before = test::heapBytesInUse();
        std::optional<Library> read = RecordCoding::decodeLibrary(bytes, undatedAs);
        const size_t readBytes = test::heapBytesInUse() - before;
        read.reset();
        const std::optional<bench::HeldAfterWrites> held = bench::afterOutsideWrites(bytes, 3, undatedAs);
        if (!held) {
            state.SkipWithError("the file did not read");
            break;
        }
        state.counters["read_MiB"] = double(readBytes) / (1 << 20);
        state.counters["held_MiB"] = double(test::heapBytesInUse() - before) / (1 << 20);
    }
    state.counters["file_MiB"] = double(bytes.size()) / (1 << 20);
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
        benchmark::DoNotOptimize(Storage::save(disk, library));
}

void loadWithStorage(benchmark::State& state) {
    Storage::save(disk, bench::yearsOfWork(int(state.range(0))));
    for (auto _ : state) {
        const Library loaded = Storage::load(disk);
        if (loaded.projects.size() != state.range(0)) {
            state.SkipWithError("the data file did not load whole");
            break;
        }
        benchmark::DoNotOptimize(loaded);
    }
}

void mutateWithStorage(benchmark::State& state) {
    Storage::save(disk, bench::yearsOfWork(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(Storage::mutate(disk, [](Library& stored) { stored.projects.first().notes += 'x'; }));
}

void librarySizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
}

// ---------------------------------------------------------------- fresh processes

QString dataFileIn(const QString& dataHome) {
    return dataHome + QStringLiteral("/Sorvel/projects.json");
}

template <typename Work>
bench::FreshFigures timed(Work work) {
    QElapsedTimer clock;
    clock.start();
    work();
    bench::FreshFigures figures;
    figures.ms = double(clock.nsecsElapsed()) / 1e6;
    figures.residentMiB = bench::residentMiB();
    figures.peakMiB = bench::peakResidentMiB();
    return figures;
}

const bool freshMeasurementsOffered = [] {
    bench::offerFreshMeasurement(QStringLiteral("decode"), [](const QString& home) {
        const QByteArray bytes = paddedContents(dataFileIn(home));
        std::optional<Library> library;
        return timed([&] { library = RecordCoding::decodeLibrary(bytes, undatedAs); });
    });
    bench::offerFreshMeasurement(QStringLiteral("qt-parse"), [](const QString& home) {
        const QByteArray bytes = paddedContents(dataFileIn(home));
        QJsonDocument document;
        return timed([&] { document = QJsonDocument::fromJson(bytes); });
    });
    bench::offerFreshMeasurement(QStringLiteral("read"), [](const QString& home) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(home));
        Storage::ReadResult read;
        return timed([&] { read = Storage::read(disk); });
    });
    bench::offerFreshMeasurement(QStringLiteral("qt-read"), [](const QString& home) {
        QJsonDocument document;
        return timed([&] {
            QFile file(dataFileIn(home));
            if (file.open(QIODevice::ReadOnly))
                document = QJsonDocument::fromJson(file.readAll());
        });
    });
    bench::offerFreshMeasurement(QStringLiteral("encode"), [](const QString& home) {
        const std::optional<Library> library = RecordCoding::decodeLibrary(paddedContents(dataFileIn(home)), undatedAs);
        QByteArray bytes;
        return timed([&] { bytes = RecordCoding::encodeLibrary(library.value_or(Library{})); });
    });
    bench::offerFreshMeasurement(QStringLiteral("qt-serialise"), [](const QString& home) {
        const QJsonDocument document = QJsonDocument::fromJson(paddedContents(dataFileIn(home)));
        QByteArray bytes;
        return timed([&] { bytes = document.toJson(QJsonDocument::Indented); });
    });
    return true;
}();

// The coding's work in one fresh process beside QJsonDocument's in another,
// on the same file; the time is the coding's, the counters compare.
void besideQJsonDocumentFresh(benchmark::State& state, const char* ours, const char* theirs) {
    const bench::FileWriter writer = bench::writerOf(state);
    const QString home = bench::yearsOfWorkDataHome(int(state.range(0)), writer);
    bench::timeBesideInFreshProcesses(state, QString::fromLatin1(ours), QString::fromLatin1(theirs),
                                      QStringLiteral("qt"), home);
    state.counters["file_MiB"] =
        double(QFile(bench::yearsOfWorkDataFile(int(state.range(0)), writer)).size()) / (1 << 20);
}

void freshSizes(benchmark::internal::Benchmark* benchmark) {
    bench::writersAndSizes(benchmark);
    benchmark->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(decodeBesideQJsonDocument)
    ->Apply(bench::writersAndSizes)
    ->Args({2000, int(bench::FileWriter::PythonWithNewMembers)})
    ->Args({2000, int(bench::FileWriter::PythonWithCueMembers)})
    ->Args({2000, int(bench::FileWriter::PythonWithCueControl)})
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(heldAfterOutsideWrites)
    ->Args({2000, int(bench::FileWriter::Python)})
    ->Args({2000, int(bench::FileWriter::PythonWithCueMembers)})
    ->Args({2000, int(bench::FileWriter::PythonWithCueControl)})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(parseWithQJsonDocument)->Apply(librarySizes);
BENCHMARK(decodeLibrary)->Apply(librarySizes);
BENCHMARK(serialiseWithQJsonDocument)->Apply(librarySizes);
BENCHMARK(encodeLibrary)->Apply(librarySizes);
BENCHMARK(saveWithStorage)->Apply(librarySizes);
BENCHMARK(loadWithStorage)->Apply(librarySizes);
BENCHMARK(mutateWithStorage)->Apply(librarySizes);
BENCHMARK_CAPTURE(besideQJsonDocumentFresh, decode, "decode", "qt-parse")->Apply(freshSizes);
BENCHMARK_CAPTURE(besideQJsonDocumentFresh, readFile, "read", "qt-read")->Apply(freshSizes);
BENCHMARK_CAPTURE(besideQJsonDocumentFresh, encode, "encode", "qt-serialise")->Apply(freshSizes);
