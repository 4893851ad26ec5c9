#include "app/store/sync/SyncMachine.h"

namespace sorvel {

namespace {

using A = SyncAction;

bool isJob(SyncState state) {
    return state == SyncState::NotRead || state == SyncState::Reading || state == SyncState::Writing
        || state == SyncState::WaitingForFolder || state == SyncState::Quitting;
}

} // namespace

SyncState SyncMachine::resting(const SyncFacts& facts, bool dirty, SyncState file) {
    if (dirty)
        return SyncState::Changed;
    if (file == SyncState::Undecodable || file == SyncState::Unreadable)
        return file;
    if (facts.settling || facts.eventDuringEcho)
        return SyncState::Settling;
    return SyncState::InStep;
}

SyncTransition SyncMachine::afterJob(SyncTransition done, const SyncFacts& facts, bool dirty, SyncState file) {
    const bool quiet =
        done.actions.contains(A::StartQuietTimer) || (facts.quietRunning && !done.actions.contains(A::StopQuietTimer));
    if (facts.writeQueued && dirty && !quiet) {
        done.actions << A::StartWrite;
        done.next = SyncState::Writing;
    } else if (facts.readQueued) {
        done.actions << A::StartRead << A::CountRead;
        done.next = SyncState::Reading;
    } else {
        done.next = resting(facts, dirty, file);
    }
    return done;
}

SyncTransition SyncMachine::readDone(SyncTransition done, const SyncFacts& facts, bool dirty, SyncState file) {
    if (facts.restored && !done.actions.contains(A::ReloadWidget))
        done.actions << A::ReloadWidget;
    if (!facts.atStart)
        done.actions << A::CountFinishedRead;
    done.actions << A::AnnounceStart;
    return afterJob(done, facts, dirty, file);
}

bool SyncMachine::takeRescues(SyncTransition& done, const SyncFacts& facts, bool dirty) {
    if (!facts.rescuesWaiting)
        return dirty;
    done.actions << A::MarkDirty << A::TakeRescues << A::StartSaveTimer;
    return true;
}

SyncTransition SyncMachine::reload(const SyncFacts& facts, SyncState state, QList<SyncAction> actions) {
    if (facts.workerBusy)
        return {actions << A::QueueRead, state};
    return {actions << A::StartRead << A::CountRead, SyncState::Reading};
}

SyncTransition SyncMachine::on(SyncState state, SyncEvent event, const SyncFacts& facts) {
    const SyncState rest = isJob(state) ? state : resting(facts, facts.dirty, facts.file);
    switch (event) {
    case SyncEvent::ChangeHere: return {{A::MarkDirty, A::StartSaveTimer}, isJob(state) ? state : SyncState::Changed};
    case SyncEvent::StepHere: return {{A::RecordStep}, state};
    case SyncEvent::SaveTimer:
        // A file that has just stopped decoding may be half of another
        // program's write in place: the write follows the read after its quiet.
        if (facts.quietRunning)
            return {{A::StopSaveTimer, A::QueueWrite, A::SayWaitingForQuiet}, state};
        if (facts.workerBusy)
            return {{A::StopSaveTimer, A::QueueWrite}, state};
        return {{A::StopSaveTimer, A::StartWrite}, SyncState::Writing};
    case SyncEvent::FolderEvent: {
        SyncTransition t{{A::CountFolderEvent}, state};
        if (facts.quietRunning)
            t.actions << A::RestartQuietTimer;
        t.actions << (facts.withinEchoWindow ? A::NoteEventInEcho : A::StartSettleTimer);
        t.next = isJob(state) || state == SyncState::Changed ? state : SyncState::Settling;
        return t;
    }
    case SyncEvent::SettleTimer:
        if (facts.withinEchoWindow)
            return {{A::NoteEventInEcho}, state};
        return reload(facts, state);
    case SyncEvent::EchoTimer:
        // Another program may have written right after this one did.
        if (!facts.eventDuringEcho)
            return {{}, state};
        return reload(facts, state, {A::ForgetEventInEcho});
    case SyncEvent::RetryTimer: return reload(facts, state);
    case SyncEvent::QuietTimer:
        // The undecodable file has been still for a while: a change of the
        // user's that waited for it is written now, and a later one may be.
        if (!(facts.writeQueued && facts.dirty) || facts.workerBusy)
            return {{A::NoteFileStill}, state};
        return {{A::NoteFileStill, A::StartWrite}, SyncState::Writing};
    case SyncEvent::RescuesTried:
        // Copies not merged are said, and taken in as changes of this
        // program's, written (and retired) like any change.
        // Copies that no write could retire (their folder cannot be written)
        // are not taken in: their changes would count twice.
        if (facts.rescuesNotMerged)
            return {{A::NoteRescuesWaiting, A::SayRescueNotMerged}, state};
        if (facts.rescuesNotCarried)
            return {{A::SayRescuesNotCarried}, state};
        return {{}, state};
    case SyncEvent::ReadDecoded: {
        SyncTransition t{{A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem}, state};
        // Another program changed the file: the widget shows it too, whoever wrote it.
        if (facts.readChanged)
            t.actions << A::ShowRead << A::ReloadWidget;
        t.actions << A::MarkInStep;
        return readDone(t, facts, takeRescues(t, facts, facts.dirty), SyncState::InStep);
    }
    case SyncEvent::ReadMissing: {
        SyncTransition t{{A::StopReadRetry, A::StopQuietTimer, A::ClearFileProblem}, state};
        // With changes pending the write makes the file anew.
        if (!facts.dirty)
            t.actions << A::ShowMissing;
        // No file at a start is nothing new to the widget.
        if (!facts.dirty && facts.started)
            t.actions << A::ReloadWidget;
        return readDone(t, facts, takeRescues(t, facts, facts.dirty), SyncState::InStep);
    }
    case SyncEvent::ReadUndecodable: {
        // The read kept the bytes aside. Whatever the store shows stays, and
        // the banner names the copy, or says that a change waits; nothing is
        // written over the file (it may
        // be another program's write in place, paused or never finished, a
        // restore being copied in, a hand edit being repaired) until the user
        // changes something, and then only once it has been still for a while.
        SyncTransition t{{A::StopReadRetry, A::ForgetFile}, state};
        t.actions << (facts.dirty ? A::SayWaitingForQuiet : A::SayUndecodable) << A::StartQuietTimer;
        return readDone(t, facts, facts.dirty, SyncState::Undecodable);
    }
    case SyncEvent::ReadUnreadable: {
        // Nothing is known of the file: everything is kept and it is read again later.
        SyncTransition t{{A::StopQuietTimer}, state};
        if (!facts.holdsGoodState && !facts.dirty)
            t.actions << A::SayUnreadable;
        t.actions << A::CountFailedRead << A::ForgetFile << A::RetryReadLater;
        return readDone(t, facts, facts.dirty, SyncState::Unreadable);
    }
    case SyncEvent::WriteLanded: {
        SyncTransition t{
            {A::OpenEchoWindow, A::TakeWrite, A::CountWrite, A::SayAfterWrite, A::AnnounceSave, A::ReloadWidget},
            state};
        return afterJob(t, facts, takeRescues(t, facts, !facts.revisionCurrent), SyncState::InStep);
    }
    case SyncEvent::WriteFailed: {
        // Not a failure: a quit kept a copy of newer changes meanwhile, and
        // the write of those carries it, as any save.
        if (facts.writeLeftToCopy && facts.dirty)
            return afterJob({{A::OpenEchoWindow, A::StartSaveTimer, A::AnnounceSave}, state}, facts, true, facts.file);
        // Tried again until it lands: a change that waits for the next change
        // or for the quit is lost when the program is killed.
        SyncTransition t{
            {A::OpenEchoWindow, A::CountFailedWrite, A::RetrySaveLater, A::SayWriteFailed, A::AnnounceSave}, state};
        return afterJob(t, facts, true, facts.file);
    }
    case SyncEvent::WriteWaitsForQuiet: {
        // Found under the lock: the file changed into something that does not
        // decode since the sync last saw it (another program's write in place
        // may have begun within the echo window, where nothing is read). Nothing
        // of this program's was written, so no echo follows; the change waits
        // for the quiet like one made after a read found the same.
        SyncTransition t{{A::ForgetFile, A::SayWaitingForQuiet, A::StartQuietTimer, A::QueueWrite, A::AnnounceSave},
                         state};
        return afterJob(t, facts, true, SyncState::Undecodable);
    }
    case SyncEvent::LockBusy:
        return {{A::AnnounceFolderWait},
                isJob(state) && state != SyncState::Quitting ? SyncState::WaitingForFolder : state};
    case SyncEvent::LockFree:
        if (state != SyncState::WaitingForFolder)
            return {{A::AnnounceFolderWait}, state};
        return {{A::AnnounceFolderWait}, facts.writingJob ? SyncState::Writing : SyncState::Reading};
    case SyncEvent::Quit:
        // With nothing to write a quit waits for nothing, whoever holds the folder.
        if (!facts.dirty)
            return {{}, state};
        return {{A::WaitForJobAtQuit}, SyncState::Quitting};
    case SyncEvent::QuitWaited: {
        if (!(facts.dirty && facts.workerBusy))
            return {{}, facts.workerBusy ? (facts.writingJob ? SyncState::Writing : SyncState::Reading) : rest};
        SyncTransition t{{}, SyncState::WaitingForFolder};
        if (facts.quitPatience)
            t.actions << A::CountFolderWait << A::LogFolderBusyAtQuit;
        t.actions << A::SayFolderBusy;
        return t;
    }
    case SyncEvent::KeepRescue: return {{A::KeepRescueCopy}, state};
    }
    return {{}, state};
}

} // namespace sorvel
