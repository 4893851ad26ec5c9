#include "core/FileSystem.h"
#include "FreshProcess.h"
#include "LibraryArguments.h"
#include "SampleLibrary.h"

#include "core/Settings.h"
#include "widget/SorvelWidgetView.h"
#include "widget/WidgetHost.h"
#include "widget/WidgetWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QSet>

#include <benchmark/benchmark.h>

#include <algorithm>

// The widget program's start in a fresh process: from starting the process to
// every size painted, its resident memory then, and after three more readings
// of the data file, at 0 (a file without projects), 2,000 and 10,000 projects,
// of Sorvel's own file and of one a Python script wrote.

using namespace sorvel;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

// Notes which widgets have been painted.
class PaintWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            m_painted.insert(watched);
        return false;
    }
    bool allPainted(const QList<WidgetWindow*>& windows) const {
        return std::all_of(windows.begin(), windows.end(),
                           [this](const WidgetWindow* window) { return m_painted.contains(window->view()); });
    }

private:
    QSet<QObject*> m_painted;
};

void runEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

const bool widgetStartOffered = bench::offerFreshMeasurement(QStringLiteral("widget"), [](const QString& home) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(home));
    QElapsedTimer clock;
    clock.start();
    Settings settings(disk, Settings::applicationFilePath());
    WidgetHost host(disk, WidgetFamilies::all(), RenderingMode::FullColor, settings, [](const QUrl&) {});
    PaintWatch watch;
    for (WidgetWindow* window : host.windows())
        window->view()->installEventFilter(&watch);
    host.start();
    while (!watch.allPainted(host.windows()) && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    bench::FreshFigures figures;
    figures.ms = double(clock.nsecsElapsed()) / 1e6;
    runEventsFor(300);
    figures.residentMiB = bench::residentMiB();
    for (int reload = 0; reload < 3; ++reload) {
        host.reloadAll();
        runEventsFor(100);
    }
    figures.laterResidentMiB = bench::residentMiB();
    figures.peakMiB = bench::peakResidentMiB();
    return figures;
});

void widgetStartFresh(benchmark::State& state) {
    const int projects = int(state.range(0));
    const bench::FileWriter writer = bench::writerOf(state);
    const QString home = bench::yearsOfWorkDataHome(projects, writer);
    bench::FreshFigures sum;
    for (auto _ : state) {
        const std::optional<bench::FreshFigures> figures = bench::measureInFreshProcess(QStringLiteral("widget"), home);
        if (!figures) {
            state.SkipWithError("the widget's fresh process failed");
            break;
        }
        state.SetIterationTime(figures->sinceStartMs / 1000);
        sum.ms += figures->ms;
        sum.residentMiB += figures->residentMiB;
        sum.laterResidentMiB += figures->laterResidentMiB;
        sum.peakMiB = std::max(sum.peakMiB, figures->peakMiB);
    }
    const auto average = [](double value) { return benchmark::Counter(value, benchmark::Counter::kAvgIterations); };
    state.counters["in_process_ms"] = average(sum.ms);
    state.counters["idle_MiB"] = average(sum.residentMiB);
    state.counters["after_3_reads_MiB"] = average(sum.laterResidentMiB);
    state.counters["peak_MiB"] = sum.peakMiB;
    state.counters["file_MiB"] = double(QFile(bench::yearsOfWorkDataFile(projects, writer)).size()) / (1 << 20);
}

} // namespace

BENCHMARK(widgetStartFresh)
    ->Args({0, int(bench::FileWriter::Sorvel)})
    ->Apply(bench::writersAndSizes)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
