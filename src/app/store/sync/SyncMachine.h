#pragma once

#include <QList>

namespace sorvel {

// Where the keeping-in-step of the data file stands. A job on the worker
// (reading, writing) or the quit's wait outranks the resting states, which say
// what the store waits for while nothing runs.
enum class SyncState {
    NotRead, // the start's first read runs; nothing is known of the file yet
    InStep, // the store shows what the file holds; nothing is due
    Changed, // changes of this program wait for the save timer (or its retry)
    Settling, // folder events wait to settle or for the echo window to pass
    Reading, // a read of the file runs on the worker
    Writing, // a write runs on the worker
    WaitingForFolder, // a read or write has waited a while for another program's lock
    Undecodable, // the file does not decode; nothing is written over it unless the user changes something
    Unreadable, // the file cannot be read at all; it is read again later
    Quitting, // a quit waits, once and for a bounded time, for its write
};

// What happens to the sync: changes here, the file's folder, the worker's
// results, the lock, the timers and the quit.
enum class SyncEvent {
    ChangeHere, // the user changed something
    StepHere, // a step of manual progress was made, just after its change
    FolderEvent, // the watched folders changed
    SaveTimer, // the last change is old enough to write (or a failed write's retry is due)
    SettleTimer, // the folder events of one outside write have all arrived
    EchoTimer, // the echo window of the store's own write has passed
    RetryTimer, // a read that failed is due again
    QuietTimer, // the undecodable file has not changed for a while
    RescuesTried, // the start merged the rescue copies of earlier runs first, or some of them could not be
    ReadDecoded, // a read found a file that decodes
    ReadMissing, // a read found no file
    ReadUndecodable, // a read found bytes that do not decode (kept aside by the read)
    ReadUnreadable, // a read could not read the file at all
    WriteLanded, // a write renamed its draft over the file
    WriteFailed, // a write left the file as it was
    WriteWaitsForQuiet, // a write found the file undecodable and not yet still for the quiet: nothing written
    LockBusy, // a job has waited a while for the folder's lock
    LockFree, // that job has the lock now
    Quit, // the program quits: what is pending is written now
    QuitWaited, // the quit's one wait is over, written or not
    KeepRescue, // the quit gives up (answered "quit anyway", or a signal): keep a rescue copy
};

// What the sync does on a transition, in the order listed.
enum class SyncAction {
    MarkDirty, // counts a change; the store holds something the file does not
    RecordStep, // keeps the step, to carry it onto whatever the file holds
    StartSaveTimer,
    RetrySaveLater, // starts the save timer with the retry delay, which then doubles
    StopSaveTimer,
    StartSettleTimer,
    NoteEventInEcho, // looked at once the echo window has passed
    ForgetEventInEcho,
    CountFolderEvent,
    RestartQuietTimer, // while it runs: the undecodable file is still changing
    StartQuietTimer,
    StopQuietTimer,
    NoteFileStill, // the undecodable file as last found has been still for the quiet: a write may replace it
    RetryReadLater, // starts the read retry with its delay, which then doubles
    StopReadRetry,
    NoteRescuesWaiting, // keeps the copies not merged, to take in once the file is known
    TakeRescues, // shows the copies not merged on top of what is held, their steps as steps, to be written
    SayRescueNotMerged, // names the first copy whose merge could not be written, and why
    SayRescuesNotCarried, // copies wait for a later start in their folder, which cannot be written: said until the quit
    StartRead,
    StartWrite,
    QueueRead, // started when the running job is done
    QueueWrite,
    ShowRead, // the file's library (merged with the unsaved changes) is shown and is the new base
    ShowMissing, // the empty library is shown and is the new base
    MarkInStep, // the base stands for the file's bytes, which hold good projects
    TakeWrite, // what was written is the new base; the store shows it
    ForgetFile, // the base no longer stands for the file's bytes: they are kept aside before a write
    SayUndecodable,
    SayUnreadable,
    SayWriteFailed,
    SayWaitingForQuiet, // the user's change waits until the undecodable file has been still for the quiet
    SayFolderBusy,
    ClearFileProblem, // an undecodable or unreadable file's problem ends
    SayAfterWrite, // what still waits (a copy not merged), where the write moved what stood in the file's place, or
                   // nothing
    CountRead,
    CountFinishedRead,
    CountFailedRead,
    CountWrite,
    CountFailedWrite,
    CountFolderWait,
    OpenEchoWindow,
    AnnounceSave, // saveFinished
    AnnounceStart, // firstReadFinished, once
    AnnounceFolderWait,
    ReloadWidget,
    LogFolderBusyAtQuit,
    WaitForJobAtQuit, // the quit's one bounded wait: the running job, the write, its delivery
    KeepRescueCopy,
};

// What the sync knows beside its state when an event arrives.
struct SyncFacts {
    bool dirty = false;
    bool workerBusy = false;
    bool started = false;
    bool withinEchoWindow = false; // a write runs, or finished within the echo window
    bool eventDuringEcho = false;
    bool settling = false; // the settle timer runs
    bool quietRunning = false; // the undecodable file's quiet timer runs
    bool holdsGoodState = false; // the projects held are the file's last good contents, or newer
    bool readQueued = false;
    bool writeQueued = false;
    bool readChanged = false; // ReadDecoded: the file differs from the base
    bool restored = false; // the start's read merged rescue copies first
    bool rescuesNotMerged = false; // RescuesTried: some copies could not be merged
    bool rescuesNotCarried = false; // RescuesTried: some copies stay for a later start: their folder cannot be written
    bool rescuesWaiting = false; // copies not merged wait to be taken in
    bool atStart = false; // the result is the start's first read
    bool revisionCurrent = true; // a result is about the latest change
    bool quitPatience = false; // the quit waits for the folder at all
    bool writingJob = false; // the running job is a write
    // WriteFailed: the write left the file to a rescue copy of newer changes.
    bool writeLeftToCopy = false;
    // What the last read or write found of the file: InStep, Undecodable or Unreadable.
    SyncState file = SyncState::InStep;
};

struct SyncTransition {
    QList<SyncAction> actions;
    SyncState next = SyncState::InStep;
};

// The sync's decisions, one place for all: the state and event in, what is
// done and the next state out. Nothing here touches a file, a timer or a thread.
class SyncMachine {
public:
    static SyncTransition on(SyncState state, SyncEvent event, const SyncFacts& facts);

private:
    // Where the sync rests once no job runs: `dirty` and `file` as they are after the transition.
    static SyncState resting(const SyncFacts& facts, bool dirty, SyncState file);
    // A job's result: the job ends, the one waiting starts, or the sync rests.
    // A write waits while the undecodable file's quiet runs, also one this transition starts.
    static SyncTransition afterJob(SyncTransition done, const SyncFacts& facts, bool dirty, SyncState file);
    // Every read's result ends so: counted, and the start announced once.
    static SyncTransition readDone(SyncTransition done, const SyncFacts& facts, bool dirty, SyncState file);
    static SyncTransition reload(const SyncFacts& facts, SyncState state, QList<SyncAction> actions = {});
    // Copies not merged at the start are taken in as changes once the sync
    // knows what the file holds; whether changes are pending then.
    static bool takeRescues(SyncTransition& done, const SyncFacts& facts, bool dirty);
};

} // namespace sorvel
