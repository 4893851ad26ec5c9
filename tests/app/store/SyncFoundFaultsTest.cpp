#include "SyncSimulation.h"

#include "app/store/RescueCopy.h"
#include "support/StoreTestSupport.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;

// Faults the sync's simulation found, each kept with a test of its own.
class SyncFoundFaults : public StoreFixture {};

Library withProgress(const AudioProject& tape, double progress) {
    AudioProject changed = tape;
    changed.manualProgress = progress;
    return Library{{changed}, ProjectType::defaults()};
}

// Two rescue copies of one run hold the same two steps; the second grew from
// a base that had taken in another program's step. When the file, after the
// first copy's merge, holds just that base, the second's steps are in it
// already: the value it holds must not bring them in a second time.
TEST_F(SyncFoundFaults, LaterRescueCopyOfARunAddsNoStepTheFirstBroughtInWhenTheFileHoldsItsBase) {
    AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    tape.progressMode = ProgressMode::Manual;
    ProgressSteps steps;
    const QUuid run = QUuid::createUuid();
    steps.add(tape.id, -0.1, 1);
    steps.add(tape.id, -0.1, 2);
    const QDateTime at = QDateTime::currentDateTimeUtc();
    // 0.5 stepped down twice; a widget's step up, read in; another one after the quit.
    ASSERT_TRUE(RescueCopy::write(disk, withProgress(tape, 0.5), withProgress(tape, 0.3), at, {run, 2, steps}).done());
    ASSERT_TRUE(RescueCopy::write(disk, withProgress(tape, 0.7), withProgress(tape, 0.5), at, {run, 3, steps}).done());
    writeDataFile(withProgress(tape, 0.9).projects);

    testing::internal::CaptureStderr();
    EXPECT_EQ(RescueCopy::restoreAll(disk, FolderLock::patientFor(kPatience)), 2);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(projectsInFile().size(), 1);
    EXPECT_DOUBLE_EQ(projectsInFile().first().manualProgress, 0.7)
        << "0.5, the widget's two steps up, the user's two down";
}

// The schedule that found it holds now (its merges' log not shown).
void expectHolds(quint64 seed) {
    testing::internal::CaptureStderr();
    const SimulationOutcome outcome = simulateSync(seed);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(outcome.held) << "seed " << seed << ": " << outcome.broken.toStdString() << "\n  "
                              << outcome.schedule.join(QStringLiteral("\n  ")).toStdString();
}

// An idle program wrote its projects over a file another program was
// rewriting in place, 2 s after the first half.
TEST_F(SyncFoundFaults, SimulatedSeed2NoIdleWriteOverAFileHalfWrittenInPlace) {
    expectHolds(2);
}

// Two copies, the first of which could not be merged at the start: the
// second was merged before it, and the first, merged later, undid it.
TEST_F(SyncFoundFaults, SimulatedSeed75ACopyThatCannotBeMergedHoldsTheLaterOnesBack) {
    expectHolds(75);
}

// A copy whose merge could not be written at the start, merged on a retry
// after this run had written a newer value of the same field, put its older
// value back.
TEST_F(SyncFoundFaults, SimulatedSeed4ACopyMergedLateLeavesNewerValuesOfTheFile) {
    expectHolds(4);
}

// A copy that could not be merged at the start, retried behind the store
// after this run had written newer notes, put its older notes back.
TEST_F(SyncFoundFaults, SimulatedSeed24ACopyTakenInAtTheStartLeavesThisRunsLaterNotes) {
    expectHolds(24);
}

// A write that waited for the folder landed after a quit had kept a copy of
// later changes, and the copy's step counted again at the next start.
TEST_F(SyncFoundFaults, SimulatedSeed2029AWriteThatWaitedLandsNotAfterTheQuitsCopy) {
    expectHolds(2029);
}

// A change made while another program rewrote the file in place, started
// within the echo window of the program's own write (where nothing is read):
// the save timer's write replaced the half-written file.
TEST_F(SyncFoundFaults, SimulatedSeed31NoWriteOverAWriteInPlaceBegunWithinTheEchoWindow) {
    expectHolds(31);
}

// Another program began writing in place just before the save timer fired:
// the write found the half-written file under the lock and replaced it.
TEST_F(SyncFoundFaults, SimulatedSeed22NoWriteOverAWriteInPlaceFoundUnderTheLock) {
    expectHolds(22);
}

// Killed while another program wrote in place: the next start merged a
// rescue copy over the half-written file.
TEST_F(SyncFoundFaults, SimulatedSeed11NoRescueCopyMergedOverAWriteInPlace) {
    expectHolds(11);
}

} // namespace
} // namespace sorvel::test
