#include "SampleLibrary.h"

#include "app/store/ProjectStore.h"
#include "core/Storage.h"
#include "tests/support/Waiting.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>

// How long the window's thread cannot answer while the store saves an edit or
// takes in another program's write, at 2,000 projects: each iteration's time
// is the longest gap between two turns of the event loop (manual time), and
// "worst_ms" the longest of all iterations.

using namespace sorvel;

namespace {

constexpr int projectCount = 2000;
constexpr int patienceMs = 20000;

std::unique_ptr<ProjectStore> storeOfYearsOfWork() {
    Storage::save(bench::yearsOfWork(projectCount));
    return std::make_unique<ProjectStore>(ProjectStore::Desktop{});  // no dialogs, no widget to tell
}

// Past the echo window of the store's last write, so that nothing of it is pending.
void settle() { test::spin(ProjectStore::echoWindowMs + 300); }

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

// Nothing to do: what the machine itself adds to the figures below.
void stallWhileIdle(benchmark::State& state) {
    const auto store = storeOfYearsOfWork();
    settle();
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
    const auto store = storeOfYearsOfWork();
    const QUuid target = store->projects().at(projectCount / 2).id;
    settle();
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const int writes = store->activity().writes;
        const int reads = store->activity().reloadReads;
        store->update(target, [&i](AudioProject& p) { p.notes = QString::number(++i); });
        QElapsedTimer sinceRecheck;
        const auto gap = longestGapUntil([&] {
            if (!sinceRecheck.isValid() && store->activity().writes > writes && store->activity().reloadReads > reads)
                sinceRecheck.start();
            return sinceRecheck.isValid() && sinceRecheck.elapsed() > 2000;
        });
        if (!record(state, gap, worst, "the edit was not saved"))
            break;
        settle();
    }
}

// Another program changes a project; until the store shows it.
void stallWhileReloading(benchmark::State& state) {
    const auto store = storeOfYearsOfWork();
    int changes = 0;
    QObject::connect(store.get(), &ProjectStore::projectsChanged, [&] { ++changes; });
    settle();
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        const int before = changes;
        const int project = i++ % projectCount;
        bench::writeLikeTheWidget(project, i);
        if (!record(state, longestGapUntil([&] { return changes > before; }), worst, "the outside write was not shown"))
            break;
        settle();
    }
}

} // namespace

BENCHMARK(stallWhileIdle)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(stallWhileSaving)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(stallWhileReloading)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
