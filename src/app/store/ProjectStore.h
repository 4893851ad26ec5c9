#pragma once

#include "app/store/FileStampPoller.h"
#include "app/store/PendingRescues.h"
#include "app/store/ProgressSteps.h"
#include "app/store/ProjectChange.h"
#include "app/store/RescueCopy.h"
#include "app/store/SaveProblem.h"
#include "app/store/StorageWorker.h"
#include "core/AudioProject.h"
#include "core/FileOutcome.h"
#include "core/FolderLock.h"
#include "core/Library.h"
#include "core/Storage.h"
#include "core/TypeRegistry.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class QFileSystemWatcher;

namespace sorvel {

// The application's single owner of all projects. Every change made in the
// application goes through one of its operations; the whole data file is
// written 0.3 s after the last change, and changes written by other processes
// (the widget) are reloaded from the data folder. Both happen on a worker
// thread; a write merges with whatever another program wrote since the store
// last saw the file, and so does a reload while edits are unsaved.
class ProjectStore final : public QObject {
    Q_OBJECT
public:
    struct ArchiveOptions {
        bool moveFolders = false;
        bool writeSummary = true;
    };

    // What the store asks of the desktop; replaced in tests so that no dialog opens.
    struct Desktop {
        // Asks the user for a project folder; none when cancelled.
        std::function<std::optional<QString>()> chooseFolder;
        // Opens a file-manager window on an existing directory.
        std::function<void(const QString& directory)> openFolder;
        // Tells a running widget program to read the data file again.
        std::function<void()> reloadTimelines;
    };

    static constexpr int saveDelayMs = 300;
    static constexpr int echoWindowMs = 1000;
    // A write that failed (disk full, folder not writable) is tried again after
    // this, twice as long after each further failure, up to the longest delay.
    static constexpr int retryDelayMs = 2000;
    static constexpr int longestRetryDelayMs = 60000;
    // While another program holds the data folder, the start waits this long
    // for the first read before the window shows (the read lands later), and
    // flush() this long for the folder before it gives up.
    static constexpr int startWaitMs = 0;
    static constexpr int quitWaitMs = 2000;
    // A start whose first read takes longer than this (a hung disk) lets the
    // window show all the same.
    static constexpr int slowStartMs = 10000;
    // A data file that stops decoding may be half of another program's write
    // in place: a change of the user's is written over it only once it has
    // not changed for this long.
    static constexpr int undecodableQuietMs = 2000;

    // Migrates, loads and starts watching. The application's one store is
    // built by main.cpp; tests make stores of their own. The first read
    // runs on the worker; the constructor waits for it only while no other
    // program holds the data folder.
    explicit ProjectStore(Desktop desktop, QObject* parent = nullptr);
    ~ProjectStore() override;

    const QList<AudioProject>& projects() const { return m_projects; }
    // Which projects the latest projectsChanged was about.
    const ProjectChange& lastChange() const { return m_lastChange; }
    // The store's project types; views read them here.
    TypeRegistry& registry() const { return m_registry; }

    // Lookups: no change, no save.
    const AudioProject* project(const QUuid& id) const;
    qint64 projectCount(const QUuid& typeID) const;

    // Changes of projects. Ids are taken by value: callers often pass a field
    // of a record that the change itself replaces.
    void update(QUuid id, const std::function<void(AudioProject&)>& body);
    // Replaces the whole record and stamps updatedAt (the editing views' binding).
    void replace(QUuid id, const AudioProject& value);
    void updateCue(QUuid projectID, QUuid cueID, const std::function<void(Cue&)>& body);
    void setCueStage(QUuid projectID, QUuid cueID, CueStage stage);
    void advanceCue(QUuid projectID, QUuid cueID);
    // Steps the manual progress by `delta` as the widget's intent does. A step
    // adds to whatever another program stepped meanwhile: it is carried onto
    // the file's value when the store merges, where a value set outright
    // (through update or replace) follows the field rule.
    void stepProgress(QUuid id, double delta);
    void markDone(const QSet<QUuid>& ids);
    void setFocus(QUuid id);
    void unarchive(QUuid id);
    // Adds what the user typed as a note at the top of the log, trimmed;
    // false, with nothing changed, when it is blank.
    bool addLogNote(QUuid id, const QString& text);
    void chooseFolder(QUuid id);
    void revealFolder(const QUuid& id) const;
    void deleteProjects(const QSet<QUuid>& ids);
    void addProject(const AudioProject& project);

    // Changes of project types; ids by value as above.
    QUuid addType();
    // Moves the types at `offsets`, in their order, to before `toOffset`.
    void moveTypes(const QList<int>& offsets, int toOffset);
    void deleteType(QUuid id, QUuid moveProjectsTo);
    void resetTypes();
    void updateType(QUuid id, const std::function<void(ProjectType&)>& body);

    // Archives the projects in store order, into a month folder of `archiveFolder`
    // when there is one; returns the error lines, empty on success.
    QStringList archive(const QSet<QUuid>& ids, const ArchiveOptions& options,
                        const std::optional<QString>& archiveFolder);

    // Writes a pending change at once (quit); with nothing pending it waits
    // for nothing. While another program holds the data folder it waits
    // `folderPatienceMs` in all, then gives up: the change stays pending
    // (written when the folder is free) and saveProblem() says why.
    void flush(int folderPatienceMs = quitWaitMs);
    // Keeps the unsaved library in a rescue file (RescueCopy::write), the
    // same one again while nothing changed since. The write that carries
    // these changes to the data file retires it, whenever it lands.
    FileOutcome keepRescueCopy();

    // Whether the file's contents have been read once (false only while the
    // start waits for the data folder).
    bool hasStarted() const { return m_started; }
    // Whether a read or write has been waiting a while for the data folder
    // that another program holds.
    bool isWaitingForFolder() const;
    // What the store holds: the projects and the registry's types.
    Library currentLibrary() const;
    // What the data file held when the store last read or wrote it (the base
    // of its merges); none before the first read that found the file or its absence.
    std::optional<Library> lastReadLibrary() const;

    bool isDirty() const { return m_dirty; }
    // Why the last write failed, while changes wait to be written; empty otherwise.
    SaveProblem saveProblem() const { return m_saveProblem; }
    // One line naming what has not reached the data file yet; empty when nothing.
    QString unsavedSummary() const;

    // What the store has done with the data file so far (figures and tests).
    struct Activity {
        int writes = 0; // successful writes
        int failedWrites = 0; // writes that left the file as it was
        int reloadReads = 0; // reads made because the folder changed (counted as they start)
        int failedReads = 0; // reloads that could not read the file (counted when done)
        int folderWaits = 0; // flushes that waited for a folder another program held, in vain
        int finishedReads = 0; // reloads whose result the store has taken
        int folderEvents = 0; // changes of the watched folders reported so far
    };
    const Activity& activity() const { return m_activity; }
    // Whether the data folder is being watched.
    bool isWatching() const;
    // Whether nothing is running or due: no job on the worker or waiting for
    // it, no save, retry or settling of folder events ahead, no echo window
    // open. Only a change or a folder event starts work again.
    bool isIdle() const;
    // Whether a write is due and waits for the running job to end.
    bool isWriteQueued() const { return m_writeWanted; }

Q_SIGNALS:
    // Fires only when the array of projects really changed.
    void projectsChanged();
    // After every write of the data file; `succeeded` false when nothing was written.
    void saveFinished(bool succeeded);
    // When saveProblem() changes.
    void saveProblemChanged();
    // When isWaitingForFolder() changes.
    void folderWaitChanged();
    // When hasStarted() turns true: what the shelf shows is the file's now.
    void firstReadFinished();

private:
    // What a read on the worker found, compared with the library it was
    // handed and merged with the unsaved edits there.
    struct FolderRead {
        Storage::ReadResult read;
        bool unchanged = false; // decoded and equal to the last-synced library
        // Decoded and changed: what the store shows next (the file's library,
        // merged with the unsaved edits), and whether its projects differ
        // from those the store held when the read started.
        std::optional<Library> next;
        ProjectChange change;
        QStringList mergeNotes; // what merging the unsaved edits set aside, logged when `next` is shown
    };

    void scheduleSave();
    void writeNow();
    void startWrite();
    void startRead();
    // The read of the data file on the worker, merged onto `base` with the
    // store's edits; the start also migrates and removes stale drafts first.
    StorageWorker::Job readJob(bool atStart);
    void startWaitingJob();
    // False when it gave up on a folder another program holds, its deadline passed.
    bool waitForWorker(const QDeadlineTimer& deadline);
    // On the worker: tries the folder's lock again while another program
    // holds it, until it is free or the store goes away.
    FolderLock::Waiter folderWaiter();
    void watchForExternalChanges();
    void watchLinkedFolder();
    void watchFile();
    // `place` cannot be watched: changes are looked for in the data file's
    // stamp instead, from now on; the log says why, once.
    void pollInstead(const QString& place);
    void folderChanged();
    void settleFolderEvents();
    void echoWindowEnded();
    bool withinEchoWindow() const;
    void reloadFromFile();
    // True when the read found the file changed: the widget is to read it too.
    bool applyRead(const FolderRead& result, quint64 revision);
    void retryReadLater();
    // What the merge of rescue copies (at the start, or tried again) could
    // not write: said, and tried again like a failed write.
    void rescuesMerged(const QList<RescueCopy::NotMerged>& notWritten);
    void retryRescues();
    // What the banner says once a write has landed: what still waits (a rescue
    // copy not merged), the copy of a file whose repeated keys the write
    // dropped, or where the write moved what stood in the file's place.
    SaveProblem problemAfterWrite(const Storage::SaveResult& saved) const;
    // The undecodable file has not changed for a while: a change of the
    // user's that waited for it is written now.
    void undecodableFileQuiet();
    void finishWrite(const Library& sent, quint64 revision, const Storage::SaveResult& saved);
    void setSaveProblem(const SaveProblem& problem);
    // Asks a running widget program to read the data file again.
    void reloadTimelines();
    void apply(const Library& library);
    // Shows `library`, known to differ in its projects or not; what the store
    // held before is let go on the worker.
    void applyKnown(const Library& library, const ProjectChange& change);
    void setSynced(const Library& library);
    void setProjects(const QList<AudioProject>& projects);
    void announce(ProjectChange change);
    int indexOf(const QUuid& id) const;

    Desktop m_desktop;
    mutable TypeRegistry m_registry;
    QString m_folder;
    QString m_linkedFolder; // the folder of the data file's link target, when elsewhere
    QList<AudioProject> m_projects;
    ProjectChange m_lastChange;
    QTimer m_saveTimer;
    QTimer m_echoRecheck;
    QTimer m_folderSettle;
    QTimer m_readRetry;
    QTimer m_undecodableQuiet;
    QTimer m_rescueRetry;
    QElapsedTimer m_sinceLastWrite;
    bool m_dirty = false;
    bool m_started = false;
    bool m_eventDuringEcho = false;
    int m_retryDelayMs = retryDelayMs;
    int m_readRetryDelayMs = retryDelayMs;
    int m_rescueRetryDelayMs = retryDelayMs;
    // Rescue copies of earlier runs whose merge could not be written, and
    // whether the next read tries them again.
    QList<RescueCopy::NotMerged> m_unmergedRescues;
    bool m_rescueRetryDue = false;
    // What the file held when the store last read or wrote it: the common
    // ancestor against which a save or a reload merges. When the store has not
    // seen the file (it could not be read, or did not decode) this is what the
    // store started from, and the file is kept aside before it is written over.
    Library m_synced;
    bool m_syncedWithFile = false;
    bool m_hasReadFile = false; // m_synced came from the file, not the stand-in
    SaveProblem m_saveProblem;
    ProgressSteps m_steps; // not written yet
    // Counts the changes, so that a result can tell whether it is still current.
    quint64 m_revision = 0;
    bool m_writing = false;
    bool m_writeWanted = false; // a write is due once the running job is done
    bool m_readWanted = false; // a read is due once the running job is done
    // Whether the projects held are the file's last good contents (or newer):
    // false while they are the empty stand-in for a missing, undecodable or
    // unreadable file, which is never written unless the user changes something.
    bool m_holdsGoodState = false;
    Activity m_activity;
    // Shared with the write jobs, which may outlive the store on a hung disk.
    std::shared_ptr<PendingRescues> m_rescues = std::make_shared<PendingRescues>();
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    FileStampPoller m_poller{Storage::filePath()};
    // Last: destroyed first, so that no job outlives what it refers to.
    StorageWorker m_worker;
};

} // namespace sorvel
