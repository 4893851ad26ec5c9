#ifdef HAVE_SORVEL_APP_LIB

#include "Benchmark.h"
#include "SampleLibrary.h"

#include "app/store/ProjectStore.h"
#include "core/Storage.h"
#include "tests/support/Waiting.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>

using namespace sorvel;

namespace {

constexpr int projectCount = 2000;
constexpr int runs = 10;
constexpr int patienceMs = 10000;

ProjectStore::Desktop quietDesktop() {
    return {[] { return std::optional<QString>(); }, [](const QString&) {}, [] {}};
}

// Past the echo window of the store's last write, so that nothing of it is pending.
void settle() { test::spin(ProjectStore::echoWindowMs + 300); }

void report(const QString& label, const QList<double>& samples) {
    double sum = 0, worst = 0;
    for (double sample : samples) {
        sum += sample;
        worst = std::max(worst, sample);
    }
    std::printf("%s: %.3f ms per run, worst %.3f ms (%lld runs)\n", label.toUtf8().constData(),
                samples.isEmpty() ? 0.0 : sum / double(samples.size()), worst, static_cast<long long>(samples.size()));
    std::fflush(stdout);
}

std::unique_ptr<ProjectStore> storeOfSampleProjects() {
    Storage::save(bench::sampleLibrary(projectCount, 10, 5));
    return std::make_unique<ProjectStore>(quietDesktop());
}

} // namespace

SORVEL_BENCHMARK(StoreDebouncedSave) {
    const auto store = storeOfSampleProjects();
    const QUuid target = store->projects().at(projectCount / 2).id;

    bench::measure(QStringLiteral("update of one project among %1 (in memory)").arg(projectCount), 1000, [&] {
        store->update(target, [](AudioProject& p) { p.notes += QLatin1Char('x'); });
    });
    store->flush();
    settle();

    QList<double> samples;
    for (int i = 0; i < runs; ++i) {
        const int before = store->activity().writes;
        QElapsedTimer clock;
        clock.start();
        store->update(target, [i](AudioProject& p) { p.notes = QString::number(i); });
        if (!test::waitUntil([&] { return store->activity().writes > before; }, patienceMs)) {
            std::fprintf(stderr, "no write after the change\n");
            return;
        }
        samples << double(clock.nsecsElapsed()) / 1e6;
        settle();
    }
    report(QStringLiteral("change to file written, %1 projects (includes the %2 ms delay)")
               .arg(projectCount)
               .arg(ProjectStore::saveDelayMs),
           samples);
}

SORVEL_BENCHMARK(StoreReloadAfterOutsideWrite) {
    const auto store = storeOfSampleProjects();
    int changes = 0;
    QObject::connect(store.get(), &ProjectStore::projectsChanged, [&] { ++changes; });
    settle();

    QList<double> changed;
    QList<double> identical;
    for (int i = 0; i < runs; ++i) {
        // Another program advances a project; the store shows it.
        const int before = changes;
        Storage::mutate([i](Library& library) { library.projects[i].notes = QStringLiteral("widget %1").arg(i); });
        QElapsedTimer clock;
        clock.start();
        if (!test::waitUntil([&] { return changes > before; }, patienceMs)) {
            std::fprintf(stderr, "the outside write was not reloaded\n");
            return;
        }
        changed << double(clock.nsecsElapsed()) / 1e6;
        test::spin(200);

        // The same bytes again: read and compared, nothing redrawn.
        const int reads = store->activity().reloadReads;
        Storage::save(Library{store->projects(), store->registry().types()});
        clock.restart();
        if (!test::waitUntil([&] { return store->activity().reloadReads > reads; }, patienceMs)) {
            std::fprintf(stderr, "the identical rewrite was not read\n");
            return;
        }
        identical << double(clock.nsecsElapsed()) / 1e6;
        test::spin(200);
    }
    report(QStringLiteral("outside write to projects reloaded, %1 projects").arg(projectCount), changed);
    report(QStringLiteral("outside identical rewrite read and compared, %1 projects").arg(projectCount), identical);
    if (changes != runs)
        std::fprintf(stderr, "expected %d changes, saw %d\n", runs, changes);
}

#endif
