#include "RealLayerSimulation.h"

#include "support/SimulationRunner.h"
#include "support/StoreTestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>

namespace sorvel::test {
namespace {

// Under the sanitizers a schedule runs many times slower, beside every other test of the run.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSchedules = 200;
#elif defined(__SANITIZE_THREAD__)
// The race detector sees the jobs the disk holds, on their own thread.
constexpr int kSchedules = 300;
#else
constexpr int kSchedules = 10000;
#endif

// SORVEL_REAL_LAYER_SCHEDULES runs more (or fewer) schedules, from SORVEL_REAL_LAYER_SEED on.
const SimulationRunner<RealLayerOutcome> runner({"RealLayerSimulation.*", "SORVEL_REAL_LAYER_SEED",
                                                 "SORVEL_REAL_LAYER_SCHEDULES", kSchedules},
                                                simulateRealLayer);

// The fixture's folders give the data and state folders' paths, which the
// schedules make inside the disk in memory only.
class RealLayerSimulation : public StoreFixture {};

TEST_F(RealLayerSimulation, EverySeededScheduleOverTheRealFileCodeKeepsEveryChange) {
    const auto run = runner.run();
    const RealLayerOutcome& all = run.all;
    const int count = run.count;
    std::printf("real layer simulation: %d schedules from seed %llu, %d file operations, %d acts of other programs "
                "inside the program's jobs, %d kills, %d power cuts, %d errno failures, %d hangs, %.0f ms "
                "per 1,000 schedules, %lld broke\n",
                count, static_cast<unsigned long long>(run.first), all.fileOperations, all.actsInside, all.kills,
                all.powerCuts, all.failures, all.hangs, run.msPerThousand, static_cast<long long>(run.broken.size()));
    // Nothing of it touched the real disk.
    EXPECT_FALSE(QFileInfo::exists(environment.dataFolder()));
    EXPECT_GE(all.kills, count / 10) << "the schedules place too few kills to prove anything";
    EXPECT_GE(all.powerCuts, count / 10) << "the schedules cut the power too rarely to prove anything";
    EXPECT_GE(all.actsInside, count / 10) << "other programs act inside the program's jobs too rarely";
    EXPECT_GE(all.failures, count / 10) << "operations fail too rarely to prove anything";
    EXPECT_GE(all.hangs, count / 20) << "the data disk stops answering inside jobs too rarely";
    EXPECT_TRUE(run.broken.isEmpty()) << "the first that broke: " << run.firstBroken;
}

TEST_F(RealLayerSimulation, ASeedRepeatsItsScheduleExactly) {
    const RealLayerOutcome once = runner.quietly(4242);
    const RealLayerOutcome again = runner.quietly(4242);
    EXPECT_EQ(once.schedule, again.schedule);
    EXPECT_EQ(once.fileOperations, again.fileOperations);
    EXPECT_NE(once.schedule, runner.quietly(4243).schedule);
}

// The jobs the disk holds run on a thread of their own, taking turns with the
// simulation's: their schedules repeat too.
TEST_F(RealLayerSimulation, ASeedWithHangsRepeatsItsScheduleExactly) {
    quint64 seed = 1;
    RealLayerOutcome once = runner.quietly(seed);
    while (once.hangs < 2 && seed < 100)
        once = runner.quietly(++seed);
    ASSERT_GE(once.hangs, 2) << "no schedule of the first hundred hangs the disk twice";
    const RealLayerOutcome again = runner.quietly(seed);
    EXPECT_EQ(once.schedule, again.schedule) << "seed " << seed;
    EXPECT_EQ(once.fileOperations, again.fileOperations);
    EXPECT_EQ(once.hangs, again.hangs);
}

} // namespace
} // namespace sorvel::test
