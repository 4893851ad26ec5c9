#include "app/store/sync/SyncMachine.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

using A = SyncAction;

// Changes wait to be written: a write is queued and the job `job` runs.
SyncState pending(SyncJob job) {
    SyncState state;
    state.job = job;
    state.pending = SyncPending::WriteWaits;
    state.file = SyncFile::Undecodable;
    return state;
}

SyncFacts quiet(bool running) {
    SyncFacts facts;
    facts.quietRunning = running;
    return facts;
}

// What a dispatch does: the event's row, then each step that follows, with
// the quiet timer as the actions leave it.
struct Chain {
    QList<SyncAction> actions;
    SyncState next;
};
Chain run(SyncState state, SyncEvent event, bool quietRunning) {
    Chain chain;
    std::optional<SyncEvent> step = event;
    while (step) {
        const SyncTransition t = SyncMachine::on(state, *step, quiet(quietRunning));
        for (const SyncAction action : t.actions) {
            if (action == A::StartQuietTimer)
                quietRunning = true;
            if (action == A::StopQuietTimer)
                quietRunning = false;
        }
        chain.actions << t.actions;
        state = t.next;
        step = t.then;
    }
    chain.next = state;
    return chain;
}

// A change of the user's meets a file that does not decode, by every way it
// can: the write waits until the file has been still for the quiet, and the
// banner says so; only the quiet's end lets it go, and notes the file still.
TEST(SyncMachineQuiet, AChangeIsWrittenOverAnUndecodableFileOnlyOnceTheQuietHasPassed) {
    {
        SCOPED_TRACE("a read finds the file undecodable while the write waits for it");
        const Chain t = run(pending(SyncJob::Read), SyncEvent::ReadUndecodable, false);
        EXPECT_FALSE(t.actions.contains(A::StartWrite));
        EXPECT_TRUE(t.actions.contains(A::StartQuietTimer));
        EXPECT_TRUE(t.actions.contains(A::SayWaitingForQuiet));
        EXPECT_EQ(t.next.job, SyncJob::None);
        EXPECT_EQ(t.next.pending, SyncPending::WriteWaits);
    }
    {
        SCOPED_TRACE("the write finds it so under the lock");
        SyncState writing = pending(SyncJob::Write);
        writing.pending = SyncPending::Changes;
        const Chain t = run(writing, SyncEvent::WriteWaitsForQuiet, false);
        EXPECT_FALSE(t.actions.contains(A::StartWrite));
        EXPECT_FALSE(t.actions.contains(A::OpenEchoWindow)) << "nothing was written";
        EXPECT_TRUE(t.actions.contains(A::StartQuietTimer));
        EXPECT_TRUE(t.actions.contains(A::SayWaitingForQuiet));
        EXPECT_EQ(t.next.job, SyncJob::None);
        EXPECT_EQ(t.next.pending, SyncPending::WriteWaits);
    }
    {
        SCOPED_TRACE("the save timer, and a failed write's end, while the quiet runs");
        SyncState changed = pending(SyncJob::None);
        changed.pending = SyncPending::Changes;
        const Chain saved = run(changed, SyncEvent::SaveTimer, true);
        EXPECT_FALSE(saved.actions.contains(A::StartWrite));
        EXPECT_EQ(saved.next.pending, SyncPending::WriteWaits);
        EXPECT_TRUE(saved.actions.contains(A::SayWaitingForQuiet));
        EXPECT_FALSE(run(pending(SyncJob::Write), SyncEvent::WriteFailed, true).actions.contains(A::StartWrite));
    }
    {
        SCOPED_TRACE("the quiet passes");
        const Chain t = run(pending(SyncJob::None), SyncEvent::QuietTimer, false);
        EXPECT_EQ(t.actions, (QList<A>{A::NoteFileStill, A::StopSaveTimer, A::StartWrite}));
        EXPECT_EQ(t.next.job, SyncJob::Write);
        SyncState idle;
        idle.job = SyncJob::None;
        idle.file = SyncFile::Undecodable;
        EXPECT_EQ(run(idle, SyncEvent::QuietTimer, false).actions, QList<A>{A::NoteFileStill});
    }
}

} // namespace
} // namespace sorvel::test
