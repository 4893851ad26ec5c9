#include "SyncSimulation.h"

#include "support/StoreTestSupport.h"

#include <QByteArray>
#include <QList>
#include <QSet>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace sorvel::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kSchedules = 3000;
#else
constexpr int kSchedules = 30000;
#endif

// SORVEL_SYNC_SCHEDULES runs more (or fewer) schedules, from SORVEL_SYNC_SEED on.
int schedules() {
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("SORVEL_SYNC_SCHEDULES", &ok);
    return ok && wanted > 0 ? wanted : kSchedules;
}

quint64 firstSeed() {
    bool ok = false;
    const qulonglong seed = qEnvironmentVariable("SORVEL_SYNC_SEED").toULongLong(&ok);
    return ok ? seed : 1;
}

// The merges log what they set aside, thousands of lines a run: not shown
// while the schedules run.
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

std::string described(quint64 seed, const SimulationOutcome& outcome) {
    return QStringLiteral("seed %1 broke: %2\nrepeat: SORVEL_SYNC_SEED=%1 SORVEL_SYNC_SCHEDULES=1 "
                          "build/tests/store_tests --gtest_filter='SyncSimulation.*'\nschedule:\n  %3")
        .arg(seed)
        .arg(outcome.broken, outcome.schedule.join(QStringLiteral("\n  ")))
        .toStdString();
}

SimulationOutcome quietly(quint64 seed) {
    const QuietLog quiet;
    return simulateSync(seed);
}

class SyncSimulation : public StoreFixture {};

TEST_F(SyncSimulation, EverySeededScheduleKeepsEveryChangeOnce) {
    const quint64 first = firstSeed();
    const int count = schedules();
    SimulationOutcome all;
    QList<quint64> broken;
    const auto started = std::chrono::steady_clock::now();
    for (quint64 seed = first; seed < first + quint64(count); ++seed) {
        const SimulationOutcome outcome = quietly(seed);
        all.operations += outcome.operations;
        all.crashes += outcome.crashes;
        all.fileOperations += outcome.fileOperations;
        all.hangs += outcome.hangs;
        all.actsInside += outcome.actsInside;
        if (!outcome.held) {
            broken << seed;
            std::printf("broke: seed %llu: %s\n", static_cast<unsigned long long>(seed), qPrintable(outcome.broken));
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The figures of the run, for whoever reads the log.
    std::printf("sync simulation: %d schedules from seed %llu, %d operations, %d file operations, %d kills, "
                "%d hangs, %d acts of other programs inside the program's jobs, %.0f ms per 1,000 schedules, "
                "%lld broke\n",
                count, static_cast<unsigned long long>(first), all.operations, all.fileOperations, all.crashes,
                all.hangs, all.actsInside, seconds * 1000000 / count, static_cast<long long>(broken.size()));
    EXPECT_GT(all.crashes, count / 10) << "the schedules place too few kills to prove anything";
    EXPECT_GT(all.hangs, count / 20) << "the disk stops answering too rarely to prove anything";
    EXPECT_GT(all.actsInside, count / 20) << "other programs act inside the program's jobs too rarely";
    EXPECT_TRUE(broken.isEmpty()) << "the first that broke: "
                                  << (broken.isEmpty() ? std::string()
                                                       : described(broken.first(), quietly(broken.first())));
}

TEST_F(SyncSimulation, ASeedRepeatsItsScheduleExactly) {
    const SimulationOutcome once = quietly(4242);
    const SimulationOutcome again = quietly(4242);
    EXPECT_EQ(once.schedule, again.schedule);
    EXPECT_NE(once.schedule, quietly(4243).schedule);
}

} // namespace
} // namespace sorvel::test
