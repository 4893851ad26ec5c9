#include "SampleLibrary.h"

#include "app/store/ProjectStore.h"
#include "core/FileSystem.h"
#include "core/Storage.h"
#include "tests/support/Waiting.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace sorvel;

namespace {

// The disk under every read and write this benchmark makes.
sorvel::PosixFileSystem disk;

constexpr int projectCount = 2000;
constexpr int patienceMs = 10000;

ProjectStore::Desktop quietDesktop() {
    return {[] { return std::optional<QString>(); }, [](const QString&) {}, [] {}};
}

// Until the store has nothing running or due, the echo window of its last write included.
void settle(const ProjectStore& store) {
    test::waitUntil([&] { return store.isIdle(); }, patienceMs);
}

std::unique_ptr<ProjectStore> storeOfSampleProjects() {
    Storage::save(disk, bench::sampleLibrary(projectCount, 10, 5));
    return std::make_unique<ProjectStore>(disk, quietDesktop());
}

double secondsSince(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

// An edit in memory, without its save.
void updateOneProject(benchmark::State& state) {
    const auto store = storeOfSampleProjects();
    const QUuid target = store->projects().at(projectCount / 2).id;
    for (auto _ : state)
        store->update(target, [](AudioProject& p) { p.notes += QLatin1Char('x'); });
    store->saveNow();
}

// From an edit to its data file written, the save delay included.
void editToFileWritten(benchmark::State& state) {
    const auto store = storeOfSampleProjects();
    const QUuid target = store->projects().at(projectCount / 2).id;
    settle(*store);
    int i = 0;
    for (auto _ : state) {
        const int before = store->activity().writes;
        QElapsedTimer clock;
        clock.start();
        store->update(target, [&i](AudioProject& p) { p.notes = QString::number(++i); });
        if (!test::waitUntil([&] { return store->activity().writes > before; }, patienceMs)) {
            state.SkipWithError("no write after the change");
            break;
        }
        state.SetIterationTime(secondsSince(clock));
        settle(*store);
    }
}

// Another program advances a project; the store shows it.
void outsideWriteReloaded(benchmark::State& state) {
    const auto store = storeOfSampleProjects();
    int changes = 0;
    QObject::connect(store.get(), &ProjectStore::projectsChanged, [&] { ++changes; });
    settle(*store);
    int i = 0;
    for (auto _ : state) {
        const int before = changes;
        const int project = i++ % projectCount;
        bench::writeLikeTheWidget(project, i);
        QElapsedTimer clock;
        clock.start();
        if (!test::waitUntil([&] { return changes > before; }, patienceMs)) {
            state.SkipWithError("the outside write was not reloaded");
            break;
        }
        state.SetIterationTime(secondsSince(clock));
        settle(*store);
    }
}

// The same bytes written again from outside: read and compared, nothing redrawn.
void outsideIdenticalRewriteRead(benchmark::State& state) {
    const auto store = storeOfSampleProjects();
    settle(*store);
    for (auto _ : state) {
        const int reads = store->activity().reloadReads;
        Storage::save(disk, Library{store->projects(), store->registry().types()});
        QElapsedTimer clock;
        clock.start();
        if (!test::waitUntil([&] { return store->activity().reloadReads > reads; }, patienceMs)) {
            state.SkipWithError("the identical rewrite was not read");
            break;
        }
        state.SetIterationTime(secondsSince(clock));
        settle(*store);
    }
}

} // namespace

BENCHMARK(updateOneProject)->Unit(benchmark::kMicrosecond);
BENCHMARK(editToFileWritten)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(outsideWriteReloaded)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(outsideIdenticalRewriteRead)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
