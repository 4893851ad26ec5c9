#include "SampleLibrary.h"

#include "app/panel/EdgePanelController.h"
#include "app/panel/EdgePanelView.h"
#include "app/store/ProjectStore.h"
#include "core/FileSystem.h"
#include "core/Settings.h"
#include "core/Storage.h"
#include "tests/support/Waiting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

// The edge panel over a library of years of work (every project active):
// opening it (building the view and its first layout and paint), and one edit
// of a project taken in while it is open, with the pointer away from it (1)
// and over it (2, where the rows keep their drawn places), beside the same
// edit with no panel (0). Manual time per iteration.

using namespace sorvel;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

struct PanelSession {
    QTemporaryDir config;
    std::unique_ptr<ProjectStore> store;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<EdgePanelController> controller;

    explicit PanelSession(int projectCount) {
        Storage::save(disk, bench::yearsOfWork(projectCount));
        store = std::make_unique<ProjectStore>(disk, ProjectStore::Desktop{});
        test::waitUntil([&] { return store->hasStarted(); }, 60000);
        settings = std::make_unique<Settings>(disk, config.filePath(QStringLiteral("panel-bench.conf")));
        controller = std::make_unique<EdgePanelController>(*store, *settings, EdgePanelController::Platform::system());
    }
    ~PanelSession() {
        controller.reset();
        store.reset();
    }
};

// Builds, lays out and paints a panel view of the size the panel has on a laptop screen.
std::unique_ptr<EdgePanelView> openPanel(EdgePanelController& controller) {
    auto view = std::make_unique<EdgePanelView>(controller);
    view->resize(340, 850);
    view->show();
    view->grab();
    return view;
}

void openEdgePanel(benchmark::State& state) {
    PanelSession session(int(state.range(0)));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto view = openPanel(*session.controller);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// Steps one project low in the list: it moves to the top unless the pointer holds the order.
void editWhileEdgePanelOpen(benchmark::State& state) {
    PanelSession session(int(state.range(0)));
    std::unique_ptr<EdgePanelView> view;
    if (state.range(1) != 0)
        view = openPanel(*session.controller);
    if (state.range(1) == 2) {
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(view.get(), &enter);
    }
    ProjectStore& store = *session.store;
    int i = 0;
    for (auto _ : state) {
        const QUuid target = store.projects().at(store.projects().size() / 2 + i++ % 50).id;
        QElapsedTimer clock;
        clock.start();
        store.update(target, [](AudioProject& p) {
            p.manualProgress = p.manualProgress >= 1 ? 0 : p.manualProgress + 0.1;
            p.touch();
        });
        if (view)
            view->grab();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

} // namespace

BENCHMARK(openEdgePanel)->Arg(2000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(editWhileEdgePanelOpen)
    ->ArgsProduct({{2000, 10000}, {0, 1, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
