#include "SyncSimulation.h"

#include "support/SimulationRunner.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace sorvel::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kSchedules = 3000;
#else
constexpr int kSchedules = 30000;
#endif

// SORVEL_SYNC_SCHEDULES runs more (or fewer) schedules, from SORVEL_SYNC_SEED on.
const SimulationRunner<SimulationOutcome>
    runner({"SyncSimulation.*", "SORVEL_SYNC_SEED", "SORVEL_SYNC_SCHEDULES", kSchedules}, simulateSync);

class SyncSimulation : public StoreFixture {};

TEST_F(SyncSimulation, EverySeededScheduleKeepsEveryChangeOnce) {
    const auto run = runner.run();
    const SimulationOutcome& all = run.all;
    const int count = run.count;
    // The figures of the run, for whoever reads the log.
    std::printf("sync simulation: %d schedules from seed %llu, %d operations, %d file operations, %d kills, "
                "%d hangs, %d acts of other programs inside the program's jobs, %.0f ms per 1,000 schedules, "
                "%lld broke\n",
                count, static_cast<unsigned long long>(run.first), all.operations, all.fileOperations, all.crashes,
                all.hangs, all.actsInside, run.msPerThousand, static_cast<long long>(run.broken.size()));
    EXPECT_GT(all.crashes, count / 10) << "the schedules place too few kills to prove anything";
    EXPECT_GT(all.hangs, count / 20) << "the disk stops answering too rarely to prove anything";
    EXPECT_GT(all.actsInside, count / 20) << "other programs act inside the program's jobs too rarely";
    EXPECT_TRUE(run.broken.isEmpty()) << "the first that broke: " << run.firstBroken;
}

TEST_F(SyncSimulation, ASeedRepeatsItsScheduleExactly) {
    const SimulationOutcome once = runner.quietly(4242);
    const SimulationOutcome again = runner.quietly(4242);
    EXPECT_EQ(once.schedule, again.schedule);
    EXPECT_NE(once.schedule, runner.quietly(4243).schedule);
}

} // namespace
} // namespace sorvel::test
