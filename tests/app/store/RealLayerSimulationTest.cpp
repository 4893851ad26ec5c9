#include "RealLayerSimulation.h"

#include "support/StoreTestSupport.h"

#include <QFileInfo>
#include <QList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

// Under the sanitizers a schedule runs many times slower, beside every other test of the run.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSchedules = 200;
#else
constexpr int kSchedules = 10000;
#endif

// SORVEL_REAL_LAYER_SCHEDULES runs more (or fewer) schedules, from SORVEL_REAL_LAYER_SEED on.
int schedules() {
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("SORVEL_REAL_LAYER_SCHEDULES", &ok);
    return ok && wanted > 0 ? wanted : kSchedules;
}

quint64 firstSeed() {
    bool ok = false;
    const qulonglong seed = qEnvironmentVariable("SORVEL_REAL_LAYER_SEED").toULongLong(&ok);
    return ok ? seed : 1;
}

// The file code logs every failed operation, thousands of lines a run: not
// shown while the schedules run.
class QuietLog {
public:
    QuietLog() : m_saved(::dup(STDERR_FILENO)) {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietLog() {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    int m_saved;
};

RealLayerOutcome quietly(quint64 seed) {
    const QuietLog quiet;
    return simulateRealLayer(seed);
}

std::string described(quint64 seed, const RealLayerOutcome& outcome) {
    return QStringLiteral("seed %1 broke: %2\nrepeat: SORVEL_REAL_LAYER_SEED=%1 SORVEL_REAL_LAYER_SCHEDULES=1 "
                          "build/tests/store_tests --gtest_filter='RealLayerSimulation.*'\nschedule:\n  %3")
        .arg(seed)
        .arg(outcome.broken, outcome.schedule.join(QStringLiteral("\n  ")))
        .toStdString();
}

// The fixture's folders give the data and state folders' paths, which the
// schedules make inside the disk in memory only.
class RealLayerSimulation : public StoreFixture {};

TEST_F(RealLayerSimulation, EverySeededScheduleOverTheRealFileCodeKeepsEveryChange) {
    const quint64 first = firstSeed();
    const int count = schedules();
    RealLayerOutcome all;
    QList<quint64> broken;
    const auto started = std::chrono::steady_clock::now();
    for (quint64 seed = first; seed < first + quint64(count); ++seed) {
        const RealLayerOutcome outcome = quietly(seed);
        all.fileOperations += outcome.fileOperations;
        all.actsInside += outcome.actsInside;
        all.kills += outcome.kills;
        all.powerCuts += outcome.powerCuts;
        all.failures += outcome.failures;
        if (!outcome.held) {
            broken << seed;
            std::printf("broke: seed %llu: %s\n", static_cast<unsigned long long>(seed), qPrintable(outcome.broken));
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("real layer simulation: %d schedules from seed %llu, %d file operations, %d acts of other programs "
                "inside the program's jobs, %d kills, %d power cuts, %d errno failures, %.0f ms per 1,000 "
                "schedules, %lld broke\n",
                count, static_cast<unsigned long long>(first), all.fileOperations, all.actsInside, all.kills,
                all.powerCuts, all.failures, seconds * 1000000 / count, static_cast<long long>(broken.size()));
    // Nothing of it touched the real disk.
    EXPECT_FALSE(QFileInfo::exists(environment.dataFolder()));
    EXPECT_GE(all.kills, count / 10) << "the schedules place too few kills to prove anything";
    EXPECT_GE(all.powerCuts, count / 10) << "the schedules cut the power too rarely to prove anything";
    EXPECT_GE(all.actsInside, count / 10) << "other programs act inside the program's jobs too rarely";
    EXPECT_GE(all.failures, count / 10) << "operations fail too rarely to prove anything";
    EXPECT_TRUE(broken.isEmpty()) << "the first that broke: "
                                  << (broken.isEmpty() ? std::string()
                                                       : described(broken.first(), quietly(broken.first())));
}

TEST_F(RealLayerSimulation, ASeedRepeatsItsScheduleExactly) {
    const RealLayerOutcome once = quietly(4242);
    const RealLayerOutcome again = quietly(4242);
    EXPECT_EQ(once.schedule, again.schedule);
    EXPECT_EQ(once.fileOperations, again.fileOperations);
    EXPECT_NE(once.schedule, quietly(4243).schedule);
}

} // namespace
} // namespace sorvel::test
