#pragma once

#include <QList>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

namespace sorvel {

// The job on the worker. The start's first read is one of its own: it
// announces the start and takes in what the quit of an earlier run left.
enum class SyncJob : std::uint8_t { None, FirstRead, Read, Write };

// What the last read or write found of the file. The base stands for the
// file's bytes only while the file is Good or Missing.
enum class SyncFile : std::uint8_t {
    Unknown, // nothing read yet
    Good, // decoded, or written by this program
    Missing, // no file; the empty library is shown
    Undecodable, // nothing is written over it unless the user changes something
    Unreadable, // read again later
};

// What this program holds that the file does not.
enum class SyncPending : std::uint8_t {
    Nothing,
    Changes, // the save timer (or its retry) writes them
    WriteWaits, // their write waits for the running job, or for the undecodable file's quiet
};

// The quit's one bounded wait: for the running job, then for its own write.
enum class SyncQuit : std::uint8_t { No, WaitsForJob, WaitsForWrite };

// Where the keeping-in-step of the data file stands: a few independent
// things, each kept once.
struct SyncState {
    SyncJob job = SyncJob::FirstRead;
    bool lockWait = false; // the job has waited a while for another program's lock
    SyncQuit quit = SyncQuit::No;
    SyncFile file = SyncFile::Unknown;
    SyncPending pending = SyncPending::Nothing;
    bool readQueued = false; // a read starts when the running job is done
    bool eventInEcho = false; // a folder event is looked at once the echo window has passed

    bool operator==(const SyncState&) const = default;
};

// What must hold in a state, checked against the world on every dispatch.
struct SyncRules {
    bool jobRuns = false; // the worker is busy
    bool saveTimerMayRun = false;
    bool quietMayRun = false; // the undecodable file's quiet timer
    bool baseIsFile = false; // the base stands for the file's bytes: nothing needs keeping aside
    bool jobMayStart = false; // a read or a write may start now
};
SyncRules rulesOf(const SyncState& state);
// The name of each rule the state breaks on its own (none for a state a transition can reach).
QList<QString> brokenRules(const SyncState& state);

// What happens to the sync: changes here, the file's folder, the worker's
// results, the lock, the timers and the quit. The steps after them are the
// machine's own: a row names one as what follows it, and it is looked up as
// an event in the same table, in the state and with the facts then.
enum class SyncEvent : std::uint8_t {
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
    ReadUndecodable, // a read found bytes that do not decode
    ReadUnreadable, // a read could not read the file at all
    WriteLanded, // a write renamed its draft over the file (durably or not)
    WriteFailed, // a write left the file as it was
    WriteWaitsForQuiet, // a write found the file undecodable and not yet still for the quiet: nothing written
    LockBusy, // a job has waited a while for the folder's lock
    LockFree, // that job has the lock now
    Quit, // the program quits: what is pending is written now
    QuitGoesOn, // the quit's wait goes on: the job it waited for is done
    QuitWaited, // the quit's one wait is over, written or not
    KeepRescue, // the quit gives up (answered "quit anyway", or a signal): keep a rescue copy
    // Steps.
    TakeCopies, // a result that knows the file: copies not merged are taken in
    JobEnds, // the job's result is taken: it is counted and the job ends
    NextJob, // the waiting job starts, or the sync rests
};

// What the sync does on a transition, in the order listed.
enum class SyncAction : std::uint8_t {
    MarkDirty, // counts a change: the store holds something the file does not
    RecordStep, // keeps the step, to carry it onto whatever the file holds
    StartSaveTimer, // restarted: only the last change of a burst writes
    RetrySaveLater, // starts the save timer with the retry delay, which then doubles
    ResetSaveRetry, // the retry delay starts over
    StopSaveTimer,
    StartSettleTimer,
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
    SayRescuesNotCarried, // copies wait for a later start in their folder, which cannot be written
    StartRead,
    StartWrite, // may replace an undecodable file only as it was when its quiet passed
    ShowRead, // the file's library (merged with the unsaved changes) is shown and is the new base
    ShowMissing, // the empty library is shown and is the new base
    MarkInStep, // the projects held are the file's good contents
    TakeWrite, // what was written is the new base; the store shows it, newer changes on top
    ForgetFile, // the file as it is now waits for a quiet of its own
    SayUndecodable,
    SayUnreadable,
    SayWriteFailed,
    SayWaitingForQuiet, // the user's change waits until the undecodable file has been still for the quiet
    SayFolderBusy, // or that the disk does not answer
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
    AnnounceStart, // firstReadFinished
    AnnounceFolderWait,
    ReloadWidget,
    LogFolderBusyAtQuit,
    StartQuitWait, // the quit's one deadline for the running job, its write and their delivery
    AwaitJob, // waits for the running job within the quit's deadline, then QuitGoesOn, or QuitWaited when it ran out
    NoteStuckAtQuit, // whether the disk held the job through the quit's wait: the next quit does not wait for it
    KeepRescueCopy,
};

// What the sync knows beside its state when an event arrives: the event's
// result and the timers.
struct SyncFacts {
    bool withinEchoWindow = false; // the last write finished within the echo window
    bool quietRunning = false; // the undecodable file's quiet timer runs
    bool holdsGoodState = false; // the projects held are the file's last good contents, or newer
    bool rescuesWaiting = false; // copies not merged wait to be taken in
    bool readChanged = false; // ReadDecoded: the file differs from the base
    bool restored = false; // the start's read merged rescue copies first
    bool rescuesNotMerged = false; // RescuesTried: some copies could not be merged
    bool rescuesNotCarried = false; // RescuesTried: some copies stay for a later start: their folder cannot be written
    bool revisionCurrent = true; // a result is about the latest change
    bool quitPatience = false; // the quit waits for the folder at all
    bool writeLeftToCopy = false; // WriteFailed: the write left the file to a rescue copy of newer changes
    bool writeNotDurable = false; // WriteLanded: the data folder could not be synced after the rename
};

// What a row asks of the state and the facts beyond its state pattern and event.
enum class SyncCondition : std::uint8_t {
    Always,
    QuietRuns,
    QuietRunsInEcho, // the quiet runs, and a write runs or finished within the echo window
    InEchoWindow, // a write runs, or finished within the echo window
    NoEventInEcho,
    RescuesNotMerged,
    RescuesNotCarried,
    RescuesWaiting,
    ReadChanged,
    RestoredUnshown, // the start merged copies into the file and the read did not show a change
    NoGoodProjects, // the projects held are not the file's last good contents
    RevisionCurrent,
    LeftToNewerCopy, // the write was left to a rescue copy of newer changes (no failure)
    NotDurable, // the write is in the file, but a crash of the system may still undo it
    NoQuiet, // the undecodable file's quiet does not run
    ReadQueued,
    QuitPatience,
};

// A set of values of one of the state's enums; empty: any.
template <typename Enum>
struct SyncAnyOf {
    std::uint8_t bits = 0;
    constexpr SyncAnyOf() = default;
    constexpr SyncAnyOf(std::initializer_list<Enum> values) {
        for (const Enum value : values)
            bits |= std::uint8_t(1u << unsigned(value));
    }
    constexpr bool matches(Enum value) const { return bits == 0 || (bits & (1u << unsigned(value))) != 0; }
};

// Which states a row is for.
struct SyncPattern {
    SyncAnyOf<SyncJob> job;
    SyncAnyOf<SyncPending> pending;
    SyncAnyOf<SyncQuit> quit;
    constexpr bool matches(const SyncState& state) const {
        return job.matches(state.job) && pending.matches(state.pending) && quit.matches(state.quit);
    }
};

// How a row changes the state; Keep leaves a part as it is. Setting the job
// ends any wait for the lock (the job that waited is over).
enum class SyncSet : std::uint8_t { Keep, No, Yes };
enum class SyncPendingTo : std::uint8_t { Keep, Nothing, Changes, AtLeastChanges, WriteWaits };
struct SyncNext {
    std::optional<SyncJob> job = std::nullopt;
    SyncSet lockWait = SyncSet::Keep;
    std::optional<SyncQuit> quit = std::nullopt;
    std::optional<SyncFile> file = std::nullopt;
    SyncPendingTo pending = SyncPendingTo::Keep;
    SyncSet readQueued = SyncSet::Keep;
    SyncSet eventInEcho = SyncSet::Keep;
    SyncState applyTo(SyncState state) const;
};

inline constexpr std::size_t syncMaxActions = 9;

// One row of the table: in a state of `pattern`, on `event`, when
// `condition` holds, `actions` are done in order, the state becomes `next`,
// and the step `then` follows (none when it is the event itself).
struct SyncRow {
    SyncPattern pattern;
    SyncEvent event = SyncEvent::ChangeHere;
    SyncCondition condition = SyncCondition::Always;
    std::array<SyncAction, syncMaxActions> actions{};
    std::size_t actionCount = 0;
    SyncNext next;
    std::optional<SyncEvent> then = std::nullopt;

    std::span<const SyncAction> doneActions() const { return {actions.data(), actionCount}; }
};

struct SyncTransition {
    QList<SyncAction> actions;
    SyncState next;
    std::optional<SyncEvent> then = std::nullopt; // the step that follows, looked up once the actions are done
    int row = -1; // the row of the table that decided, -1 for none
};

// The sync's decisions, one table for all: the state and event in, what is
// done, the next state and the step that follows out; the first row that
// matches wins. Nothing here touches a file, a timer or a thread.
class SyncMachine {
public:
    static std::span<const SyncRow> table();
    static SyncTransition on(const SyncState& state, SyncEvent event, const SyncFacts& facts);
    static bool holds(SyncCondition condition, const SyncState& state, const SyncFacts& facts);

    // Names, as the printed table shows them.
    static QString name(SyncJob value);
    static QString name(SyncFile value);
    static QString name(SyncPending value);
    static QString name(SyncQuit value);
    static QString name(SyncEvent value);
    static QString name(SyncAction value);
    static QString name(SyncCondition value);
    static QList<SyncJob> jobs();
    static QList<SyncFile> files();
    static QList<SyncPending> pendings();
    static QList<SyncQuit> quits();
    static QList<SyncEvent> events();
    static QList<SyncAction> actions();
    static bool isStep(SyncEvent event);
    // The state in one line, for the log.
    static QString describe(const SyncState& state);
    // The table in markdown: a header, then one line a row, in order.
    static QString markdown();
};

} // namespace sorvel
