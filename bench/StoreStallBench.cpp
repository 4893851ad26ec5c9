#include "core/FileSystem.h"
#include "FreshProcess.h"
#include "LibraryArguments.h"
#include "SampleLibrary.h"

#include "app/calendar/CalendarPage.h"
#include "app/library/MainWindow.h"
#include "app/navigation/AppRouter.h"
#include "app/store/ProjectStore.h"
#include "app/store/StorageWorker.h"
#include "core/Settings.h"
#include "core/Storage.h"
#include "tests/support/Waiting.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <functional>
#include <memory>

// How long the window's thread cannot answer while the store saves an edit or
// takes in another program's write: each iteration's time is the longest gap
// between two turns of the event loop (manual time), and "worst_ms" the longest
// of all iterations. The first argument is the number of projects; the second
// what is on screen: 0 the store alone, 1 the main window with its shelf, 2 the
// main window with its calendar on a month full of entries.
// Then the time from opening the store to the main window's first paint, and
// the resident memory at rest and after three outside writes.

using namespace sorvel;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

constexpr int patienceMs = 60000;

enum class Screen { StoreOnly = 0, Shelf = 1, Calendar = 2 };

// A month in which the sample library's projects have many dates.
const QDate busyMonth(2024, 3, 1);
// A project whose cue dates fall into that month, at either size.
constexpr int visibleProject = 1680;

// Resident memory of this process in bytes, from the kernel's own count.
double untrimmedResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
    }
    return 0;
}

// The same once the allocator has handed back what it holds unused (a freed
// library would otherwise hide the next one's growth).
double residentBytes() {
    malloc_trim(0);
    return untrimmedResidentBytes();
}

// Stays true once the widget has been painted.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// The store, and the main window on the screen asked for.
struct Session {
    std::unique_ptr<ProjectStore> store;
    std::unique_ptr<AppRouter> router;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<MainWindow> window;

    explicit Session(Screen screen) {
        store = std::make_unique<ProjectStore>(disk, ProjectStore::Desktop{}); // no dialogs, no widget to tell
        if (screen == Screen::StoreOnly)
            return;
        router = std::make_unique<AppRouter>();
        settings = std::make_unique<Settings>(disk, Settings::applicationFilePath());
        window = std::make_unique<MainWindow>(*store, *router, *settings);
        if (screen == Screen::Calendar)
            router->setSidebar(SidebarItem::calendar());
        window->show();
        if (screen == Screen::Calendar)
            window->calendar()->showMonth(busyMonth);
        PaintWatch watch(window->centralWidget());
        test::waitUntil([&] { return watch.painted; }, patienceMs);
    }
    ~Session() {
        window.reset();
        router.reset();
        store.reset();
    }
};

void writeYearsOfWork(int projectCount) {
    Storage::save(disk, bench::yearsOfWork(projectCount));
}

// Until the store has nothing running or due, the echo window of its last write included.
void settle(const ProjectStore& store) {
    test::waitUntil([&] { return store.isIdle(); }, 20000);
}

// The data file as `writer` writes it, in the data folder of this process.
void writeLibrary(int projectCount, bench::FileWriter writer) {
    if (writer == bench::FileWriter::Sorvel) {
        writeYearsOfWork(projectCount);
        return;
    }
    QDir().mkpath(Storage::directory());
    QFile file(Storage::filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bench::fileWrittenBy(writer, projectCount));
}

// Until the store's worker has let its parser go after its last read: the
// worker's own delay, on the clock, as a user at rest would see it.
void restAfterReading() {
    QEventLoop loop;
    QTimer::singleShot(StorageWorker::parserKeptMs + 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds; the longest time in seconds between
// two turns of the loop, none when `done` never came. A zero-interval timer
// fires once per turn.
std::optional<double> longestGapUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(0);
    QElapsedTimer sinceLastTurn;
    QElapsedTimer total;
    qint64 longest = 0;
    bool finished = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        longest = std::max(longest, sinceLastTurn.nsecsElapsed());
        sinceLastTurn.restart();
        finished = done();
        if (finished || total.elapsed() > patienceMs)
            loop.quit();
    });
    total.start();
    sinceLastTurn.start();
    tick.start();
    loop.exec();
    return finished ? std::optional<double>(double(longest) / 1e9) : std::nullopt;
}

// Records one iteration's longest gap; false (the run marked failed) when none.
bool record(benchmark::State& state, const std::optional<double>& gap, double& worst, const char* failure) {
    if (!gap) {
        state.SkipWithError(failure);
        return false;
    }
    state.SetIterationTime(*gap);
    worst = std::max(worst, *gap);
    state.counters["worst_ms"] = worst * 1000;
    return true;
}

int projectsOf(const benchmark::State& state) {
    return int(state.range(0));
}
Screen screenOf(const benchmark::State& state) {
    return Screen(state.range(1));
}

// Nothing to do: what the machine itself adds to the figures below.
void stallWhileIdle(benchmark::State& state) {
    writeYearsOfWork(projectsOf(state));
    const Session session(screenOf(state));
    settle(*session.store);
    double worst = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!record(state, longestGapUntil([&] { return clock.elapsed() > 1000; }), worst, "no turn of the loop"))
            break;
    }
}

// From an edit until its write and the look at the file after the echo window
// (whose decoded library is not needed) have been taken in.
void stallWhileSaving(benchmark::State& state) {
    writeYearsOfWork(projectsOf(state));
    const Session session(screenOf(state));
    ProjectStore& store = *session.store;
    const QUuid target = store.projects().at(visibleProject).id;
    settle(*session.store);
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const int writes = store.activity().writes;
        const int reads = store.activity().reloadReads;
        QElapsedTimer sinceRecheck;
        // The edit itself is part of the gap: the views follow it on this thread.
        const int mark = ++i;
        QTimer::singleShot(0, &store, [&] {
            store.updateCue(target, store.project(target)->items.at(mark % 30).id, [&](Cue& cue) {
                cue.deliveredAt = QDateTime(busyMonth.addDays(mark % 28), QTime(12, 0), Qt::UTC);
            });
        });
        const auto gap = longestGapUntil([&] {
            if (!sinceRecheck.isValid() && store.activity().writes > writes && store.activity().reloadReads > reads)
                sinceRecheck.start();
            return sinceRecheck.isValid() && sinceRecheck.elapsed() > 2000;
        });
        if (!record(state, gap, worst, "the edit was not saved"))
            break;
        settle(*session.store);
    }
}

// Another program changes a project; until the store shows it.
void stallWhileReloading(benchmark::State& state) {
    writeYearsOfWork(projectsOf(state));
    const Session session(screenOf(state));
    int changes = 0;
    QObject::connect(session.store.get(), &ProjectStore::projectsChanged, [&] { ++changes; });
    settle(*session.store);
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const int before = changes;
        ++i;
        bench::writeLikeTheWidget(visibleProject + i % 50, i);
        if (!record(state, longestGapUntil([&] { return changes > before; }), worst, "the outside write was not shown"))
            break;
        settle(*session.store);
    }
}

// From opening the store (reading the file included) to the main window's first paint.
void startToFirstPaint(benchmark::State& state) {
    writeLibrary(projectsOf(state), bench::writerOf(state));
    test::waitForQueuedEvents();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const Session session(Screen::Shelf);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        settle(*session.store);
        state.ResumeTiming();
    }
}

const bool windowStartOffered = bench::offerFreshMeasurement(QStringLiteral("window"), [](const QString& home) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(home));
    QElapsedTimer clock;
    clock.start();
    const Session session(Screen::Shelf);
    bench::FreshFigures figures;
    figures.ms = double(clock.nsecsElapsed()) / 1e6;
    figures.residentMiB = bench::residentMiB();
    figures.peakMiB = bench::peakResidentMiB();
    return figures;
});

// The same in a fresh process, as a user starts the application, beside a
// fresh process that only reads and decodes the file ("read_ms"; "vs_read" compares).
void startToFirstPaintFresh(benchmark::State& state) {
    const QString home = bench::yearsOfWorkDataHome(projectsOf(state), bench::writerOf(state));
    bench::timeBesideInFreshProcesses(state, QStringLiteral("window"), QStringLiteral("read"), QStringLiteral("read"),
                                      home);
}

// Resident memory: "idle_MiB" the growth from before the store opened to a
// main window at rest (its worker has let the parser go), "after_writes_MiB"
// the further growth after three outside writes have been taken in, at rest
// again; "reading_MiB" the growth just after the first read, parser kept; the
// "_x_file" figures per byte of the data file; "idle_untrimmed_MiB" the growth
// as the application leaves its allocator, before the benchmark trims it.
// Run it alone in its own process (--benchmark_filter=residentMemory/10000):
// what earlier benchmarks left behind blurs the figures.
void residentMemory(benchmark::State& state) {
    const int projectCount = projectsOf(state);
    writeLibrary(projectCount, bench::writerOf(state));
    const double file = double(QFile(Storage::filePath()).size());
    test::waitForQueuedEvents();
    for (auto _ : state) {
        const double empty = residentBytes();
        const Session session(Screen::Shelf);
        int changes = 0;
        QObject::connect(session.store.get(), &ProjectStore::projectsChanged, [&] { ++changes; });
        settle(*session.store);
        const double reading = residentBytes();
        restAfterReading();
        const double untrimmed = untrimmedResidentBytes();
        const double idle = residentBytes();
        for (int i = 0; i < 3; ++i) {
            const int before = changes;
            bench::writeLikeTheWidget(i, 1000 + i);
            test::waitUntil([&] { return changes > before; }, patienceMs);
            settle(*session.store);
        }
        restAfterReading();
        const double afterWrites = residentBytes();
        constexpr double mebibyte = 1024.0 * 1024.0;
        state.counters["file_MiB"] = file / mebibyte;
        state.counters["reading_MiB"] = (reading - empty) / mebibyte;
        state.counters["idle_MiB"] = (idle - empty) / mebibyte;
        state.counters["idle_untrimmed_MiB"] = (untrimmed - empty) / mebibyte;
        state.counters["after_writes_MiB"] = (afterWrites - idle) / mebibyte;
        state.counters["idle_x_file"] = (idle - empty) / file;
        state.counters["after_writes_x_file"] = (afterWrites - idle) / file;
        state.counters["rss_MiB"] = afterWrites / mebibyte;
    }
}

void sizesAndScreens(benchmark::internal::Benchmark* benchmark) {
    for (int projects : {2000, 10000}) {
        for (Screen screen : {Screen::StoreOnly, Screen::Shelf, Screen::Calendar})
            benchmark->Args({projects, int(screen)});
    }
}

} // namespace

BENCHMARK(stallWhileIdle)->Apply(sizesAndScreens)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(stallWhileSaving)->Apply(sizesAndScreens)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(stallWhileReloading)->Apply(sizesAndScreens)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(startToFirstPaint)
    ->Apply(bench::writersAndSizes)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(startToFirstPaintFresh)
    ->Apply(bench::writersAndSizes)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(residentMemory)->Apply(bench::writersAndSizes)->Iterations(1)->Unit(benchmark::kMillisecond);
