#pragma once

#include "app/store/model/ProgressSteps.h"
#include "app/store/model/ProjectChange.h"
#include "app/store/model/SaveProblem.h"
#include "app/store/rescue/RescueCopies.h"
#include "app/store/sync/SyncMachine.h"
#include "app/store/sync/SyncSeams.h"
#include "core/AudioProject.h"
#include "core/FileOutcome.h"
#include "core/Library.h"
#include "core/Storage.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace sorvel {

// What the sync has done with the data file so far (figures and tests).
struct SyncActivity {
    int writes = 0; // successful writes
    int failedWrites = 0; // writes that left the file as it was
    int reloadReads = 0; // reads made because the folder changed (counted as they start)
    int failedReads = 0; // reloads that could not read the file (counted when done)
    int folderWaits = 0; // flushes that waited for a folder another program held, in vain
    int finishedReads = 0; // reloads whose result the store has taken
    int folderEvents = 0; // changes of the watched folders reported so far
};

// Keeps the data file and the store's library in step: it writes the store's
// changes a moment after the last one, merged with whatever another program
// wrote, reads the file again when its folder changes, holds off over a file
// that does not decode or cannot be read, and writes once more at a quit. What
// it does is decided by SyncMachine; time, the worker and the file work come
// in through seams (SyncSeams.h), the store through its Host.
class DataFileSync {
public:
    static constexpr int saveDelayMs = 300;
    static constexpr int echoWindowMs = 1000;
    static constexpr int retryDelayMs = 2000;
    static constexpr int longestRetryDelayMs = 60000;
    static constexpr int startWaitMs = 0;
    static constexpr int quitWaitMs = 2000;
    // How long a quit waits for its rescue copy: the state folder may hang too.
    static constexpr int rescueWaitMs = 2000;
    static constexpr int slowStartMs = 10000;
    static constexpr int undecodableQuietMs = 2000;
    // Several folder events arrive for one atomic write (temporary file, rename);
    // they are read as one.
    static constexpr int folderSettleMs = 50;
    // The echo window ends strictly after echoWindowMs.
    static constexpr int echoMarginMs = 10;

    // What the sync asks of the store that holds the library.
    struct Host {
        std::function<Library()> current; // what the store holds
        std::function<void(const Library&)> show; // shows a library, comparing it with what is held
        // Shows a library whose change is known; returns the projects held
        // before, which the sync lets go of off its thread.
        std::function<QList<AudioProject>(const Library&, const ProjectChange&)> showKnown;
        std::function<void()> reloadTimelines;
        // A write ended: `lasts` when it landed and its folder was synced (one
        // that was not is in the file, but is tried again).
        std::function<void(bool lasts)> saveFinished;
        std::function<void()> problemChanged;
        std::function<void()> folderWaitChanged;
        std::function<void()> firstReadFinished;
        // The sync broke a rule of its state (SyncRules); it has logged it. Optional.
        std::function<void(const QString& rule)> brokeRule;
    };
    struct Seams {
        std::unique_ptr<SyncClock> clock;
        std::shared_ptr<SyncFiles> files;
        std::unique_ptr<SyncWorker> worker;
    };

    // `standIn` is what the store holds before the first read (the empty library).
    DataFileSync(Host host, Seams seams, const Library& standIn);
    ~DataFileSync();
    DataFileSync(const DataFileSync&) = delete;
    DataFileSync& operator=(const DataFileSync&) = delete;

    // Starts the first read and waits for it `startWait`, unless another
    // program holds the folder; false when it did not land.
    bool begin(int startWait = startWaitMs, int slowStart = slowStartMs);

    // Events of the store and of the folder's watch.
    void changed();
    void stepped(const QUuid& project, double delta);
    void folderChanged();
    // The quit's one bounded wait: writes what is pending at once; waits
    // `folderPatienceMs` in all for another program's lock, and quitWaitMs
    // (or that, when longer) in all for the disk, then gives up: the change
    // stays pending. A job the disk held through one quit is not waited for again.
    void quit(int folderPatienceMs = quitWaitMs);
    // Keeps the unsaved library in a rescue copy (RescueCopies::keep),
    // waiting rescueWaitMs at most for it; ETIMEDOUT on the copies' folder then.
    FileOutcome keepRescueCopy();

    const SyncState& state() const { return m_state; }
    bool hasStarted() const { return m_state.job != SyncJob::FirstRead; }
    bool isDirty() const { return m_state.pending != SyncPending::Nothing; }
    bool isIdle() const;
    bool isWriteQueued() const { return m_state.pending == SyncPending::WriteWaits; }
    bool isWaitingForFolder() const { return m_worker->isWaitingForFolder(); }
    SaveProblem saveProblem() const { return m_saveProblem; }
    const SyncActivity& activity() const { return m_activity; }
    const Library& base() const { return m_synced; }
    std::optional<Library> lastReadLibrary() const;
    // Lets go of a library off the sync's thread.
    void discard(Library library) { m_worker->discard(std::move(library)); }

private:
    // What a read on the worker found, compared with the base and merged with
    // the unsaved edits.
    struct FolderRead {
        Storage::ReadResult read;
        bool unchanged = false;
        std::optional<Library> next;
        ProjectChange change;
        QStringList mergeNotes;
        SyncFiles::RescuesMerged rescues; // at the start
        quint64 revision = 0;
    };
    struct FinishedWrite {
        Library sent;
        Storage::SaveResult saved;
        quint64 revision = 0;
        bool leftToCopy = false; // RescueCopies::Carrier
    };

    // An event with what it is about. Events that arrive while one is
    // dispatched (a delivery during the quit's wait, a view's change as the
    // store shows a library) wait in the queue for its transition to end.
    struct Queued {
        SyncEvent event;
        std::shared_ptr<const FolderRead> read;
        std::shared_ptr<const FinishedWrite> write;
        QUuid stepProject;
        double stepDelta = 0;
    };
    void dispatch(Queued queued);
    void dispatch(SyncEvent event) { dispatch(Queued{event, {}, {}, {}, 0}); }
    // Checks the state's rules against the worker and the timers.
    void checkRules();
    SyncFacts facts() const;
    void perform(SyncAction action);
    void startRead();
    void startWrite();
    void startQuitWait();
    void awaitJob();
    // The quit's: for another program's lock, and for everything (a disk
    // that does not answer).
    struct Deadlines {
        qint64 folderMs = 0;
        qint64 allMs = 0;
    };
    // Whether the running job is held by the disk rather than by another program's lock.
    bool isStuckInDisk() const;
    SyncWorker::Job readJob(bool atStart);
    void deliverRead(std::shared_ptr<const FolderRead> result, bool atStart);
    void takeRead(const FolderRead& result);
    void takeWrite(const FinishedWrite& done);
    void takeRescues();
    void keepRescue();
    void timerFired(SyncTimer timer);
    bool withinEchoWindow() const;
    void setSaveProblem(const SaveProblem& problem);
    void setSynced(const Library& library);
    // What the banner says once a write has landed: what still waits (a rescue
    // copy not merged, or copies left for a later start), the copy of a file whose repeated keys the write
    // dropped, or where the write moved what stood in the file's place.
    SaveProblem problemAfterWrite(const Storage::SaveResult& saved) const;

    Host m_host;
    SyncState m_state;
    QList<Queued> m_queue;
    bool m_dispatching = false;
    bool m_holdsGoodState = false;
    bool m_hasReadFile = false;
    // The undecodable file as the last read or write found it, and the same
    // once it has been still for the quiet: only that may be written over.
    std::optional<Storage::FileIdentity> m_undecodableSeen;
    std::optional<Storage::FileIdentity> m_stillUndecodable;
    // Rescue copies of earlier runs whose merge could not be written at the
    // start: once the file is known, taken in as the change
    // `m_rescuesTakenAt`; said until a write carries them.
    QList<RescueCopy::NotMerged> m_unmergedRescues;
    bool m_rescuesTaken = false;
    // Copies left for a later start, their folder not writable: said after every write.
    SaveProblem m_rescuesNotCarried;
    quint64 m_rescuesTakenAt = 0;
    int m_quitPatienceMs = 0;
    Deadlines m_quitDeadlines;
    bool m_stuckAtQuit = false; // a quit's wait ended with the job held by the disk
    qint64 m_lastWriteAt = -1;
    int m_retryDelayMs = retryDelayMs;
    int m_readRetryDelayMs = retryDelayMs;
    quint64 m_revision = 0;
    // The common ancestor against which a save or a reload merges.
    Library m_synced;
    ProgressSteps m_steps; // not written yet
    // What the last write started from, when its folder could not be synced
    // after it: a quit's rescue copy of its changes grows from it, should a
    // crash of the system have undone the write.
    struct BeforeWrite {
        std::optional<Library> base; // lastReadLibrary() then
        ProgressSteps steps; // those the write carried
        quint64 revision = 0; // the write's
    };
    std::optional<BeforeWrite> m_beforeMayNotLast;
    SaveProblem m_saveProblem;
    FileOutcome m_kept; // the rescue copy kept last
    SyncActivity m_activity;
    // What the event being dispatched is about.
    const Queued* m_event = nullptr;
    const FolderRead* m_read = nullptr;
    const FinishedWrite* m_write = nullptr;
    std::unique_ptr<SyncClock> m_clock;
    std::shared_ptr<SyncFiles> m_files;
    // Shared with the write jobs, which may outlive the sync on a hung disk.
    std::shared_ptr<RescueCopies> m_rescues;
    // A rescue copy is being kept off this thread (and may be stuck there).
    std::shared_ptr<std::atomic<bool>> m_keepingAside = std::make_shared<std::atomic<bool>>(false);
    // Last: destroyed first, so that no job outlives what it refers to.
    std::unique_ptr<SyncWorker> m_worker;
};

} // namespace sorvel
