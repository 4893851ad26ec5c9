#include "app/store/sync/SyncMachine.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

using A = SyncAction;

// Changes wait to be written: a write is queued (or due) and a job may run.
SyncFacts pending(bool workerBusy, bool quietRunning) {
    SyncFacts facts;
    facts.dirty = true;
    facts.writeQueued = true;
    facts.workerBusy = workerBusy;
    facts.quietRunning = quietRunning;
    facts.started = true;
    facts.file = SyncState::Undecodable;
    return facts;
}

// A change of the user's meets a file that does not decode, by every way it
// can: the write waits until the file has been still for the quiet, and the
// banner says so; only the quiet's end lets it go, and notes the file still.
TEST(SyncMachineQuiet, AChangeIsWrittenOverAnUndecodableFileOnlyOnceTheQuietHasPassed) {
    {
        SCOPED_TRACE("a read finds the file undecodable while the write waits for it");
        const SyncTransition t = SyncMachine::on(SyncState::Reading, SyncEvent::ReadUndecodable, pending(true, false));
        EXPECT_FALSE(t.actions.contains(A::StartWrite));
        EXPECT_TRUE(t.actions.contains(A::StartQuietTimer));
        EXPECT_TRUE(t.actions.contains(A::SayWaitingForQuiet));
        EXPECT_EQ(t.next, SyncState::Changed);
    }
    {
        SCOPED_TRACE("the write finds it so under the lock");
        SyncFacts facts = pending(true, false);
        facts.writeQueued = false;
        facts.writingJob = true;
        const SyncTransition t = SyncMachine::on(SyncState::Writing, SyncEvent::WriteWaitsForQuiet, facts);
        EXPECT_FALSE(t.actions.contains(A::StartWrite));
        EXPECT_FALSE(t.actions.contains(A::OpenEchoWindow)) << "nothing was written";
        EXPECT_TRUE(t.actions.contains(A::QueueWrite));
        EXPECT_TRUE(t.actions.contains(A::StartQuietTimer));
        EXPECT_TRUE(t.actions.contains(A::SayWaitingForQuiet));
        EXPECT_EQ(t.next, SyncState::Changed);
    }
    {
        SCOPED_TRACE("the save timer, and a failed write's end, while the quiet runs");
        const SyncTransition saved = SyncMachine::on(SyncState::Changed, SyncEvent::SaveTimer, pending(false, true));
        EXPECT_FALSE(saved.actions.contains(A::StartWrite));
        EXPECT_TRUE(saved.actions.contains(A::QueueWrite));
        EXPECT_TRUE(saved.actions.contains(A::SayWaitingForQuiet));
        const SyncTransition failed = SyncMachine::on(SyncState::Writing, SyncEvent::WriteFailed, pending(true, true));
        EXPECT_FALSE(failed.actions.contains(A::StartWrite));
    }
    {
        SCOPED_TRACE("the quiet passes");
        const SyncTransition t = SyncMachine::on(SyncState::Changed, SyncEvent::QuietTimer, pending(false, false));
        EXPECT_EQ(t.actions, (QList<A>{A::NoteFileStill, A::StartWrite}));
        EXPECT_EQ(t.next, SyncState::Writing);
        SyncFacts idle;
        idle.file = SyncState::Undecodable;
        EXPECT_EQ(SyncMachine::on(SyncState::Undecodable, SyncEvent::QuietTimer, idle).actions,
                  QList<A>{A::NoteFileStill});
    }
}

} // namespace
} // namespace sorvel::test
