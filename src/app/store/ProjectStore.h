#pragma once

#include "app/store/model/ProjectChange.h"
#include "app/store/model/SaveProblem.h"
#include "app/store/sync/DataFileSync.h"
#include "app/store/UnsavedChangesGuard.h"
#include "core/AudioProject.h"
#include "core/FileOutcome.h"
#include "core/Library.h"
#include "core/TypeRegistry.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace sorvel {

class FileSystem;
class FolderWatch;

// The application's single owner of all projects. Every change made in the
// application goes through one of its operations; keeping the data file in
// step with them (writing, reading what other programs wrote, merging) is the
// DataFileSync's, which it tells of every change.
class ProjectStore final : public QObject, public UnsavedChangesGuard::Changes {
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

    static constexpr int saveDelayMs = DataFileSync::saveDelayMs;
    static constexpr int echoWindowMs = DataFileSync::echoWindowMs;
    static constexpr int retryDelayMs = DataFileSync::retryDelayMs;
    static constexpr int longestRetryDelayMs = DataFileSync::longestRetryDelayMs;
    static constexpr int startWaitMs = DataFileSync::startWaitMs;
    static constexpr int quitWaitMs = DataFileSync::quitWaitMs;
    static constexpr int slowStartMs = DataFileSync::slowStartMs;
    static constexpr int undecodableQuietMs = DataFileSync::undecodableQuietMs;

    // Migrates, loads and starts watching. The application's one store is
    // built by main.cpp; tests make stores of their own. The first read
    // runs on the worker; the constructor waits for it only while no other
    // program holds the data folder. The data file, its folder and the
    // rescue copies are read and written through `files`, which must outlive
    // the store (and the threads it may leave behind on a disk that hangs).
    ProjectStore(FileSystem& files, Desktop desktop, QObject* parent = nullptr);
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

    // The quit's one wait: writes a pending change at once; with nothing
    // pending it waits for nothing. While another program holds the data
    // folder it waits `folderPatienceMs` in all, and for a disk that does not
    // answer quitWaitMs, then gives up: the change stays pending (written
    // when the folder is free) and saveProblem() says why.
    void quit(int folderPatienceMs = quitWaitMs) override;
    // Writes what is pending now rather than after the save delay, and waits
    // for it as a quit does (the session may end without a quit): bounded,
    // never on another program for longer.
    void saveNow() { quit(); }
    // Keeps the unsaved library in a rescue file (RescueCopy::write), the
    // same one again while nothing changed since. The write that carries
    // these changes to the data file retires it, whenever it lands.
    FileOutcome keepRescueCopy() override;

    // Whether the file's contents have been read once (false only while the
    // start waits for the data folder).
    bool hasStarted() const { return m_sync.hasStarted(); }
    // Whether a read or write has been waiting a while for the data folder
    // that another program holds.
    bool isWaitingForFolder() const;
    // What the store holds: the projects and the registry's types.
    Library currentLibrary() const;
    // What the data file held when the store last read or wrote it (the base
    // of its merges); none before the first read that found the file or its absence.
    std::optional<Library> lastReadLibrary() const;

    bool isDirty() const override { return m_sync.isDirty(); }
    // Why the last write failed, while changes wait to be written; empty otherwise.
    SaveProblem saveProblem() const override { return m_sync.saveProblem(); }
    // One line naming what has not reached the data file yet; empty when nothing.
    QString unsavedSummary() const override;

    // What the store has done with the data file so far (figures and tests).
    using Activity = SyncActivity;
    const Activity& activity() const { return m_sync.activity(); }
    // Whether the data folder is being watched.
    bool isWatching() const;
    // Whether nothing is running or due: no job on the worker or waiting for
    // it, no save, retry or settling of folder events ahead, no echo window
    // open. Only a change or a folder event starts work again.
    bool isIdle() const;
    // Whether a write is due and waits for the running job to end.
    bool isWriteQueued() const { return m_sync.isWriteQueued(); }

Q_SIGNALS:
    // Fires only when the array of projects really changed.
    void projectsChanged();
    // After every write of the data file; `succeeded` false when nothing was
    // written, or when its folder could not be synced (it is tried again).
    void saveFinished(bool succeeded);
    // When saveProblem() changes.
    void saveProblemChanged();
    // When isWaitingForFolder() changes.
    void folderWaitChanged();
    // When hasStarted() turns true: what the shelf shows is the file's now.
    void firstReadFinished();

private:
    DataFileSync::Host syncHost();
    void scheduleSave();
    void apply(const Library& library);
    void setProjects(const QList<AudioProject>& projects);
    void announce(ProjectChange change);
    int indexOf(const QUuid& id) const;

    FileSystem& m_files;
    Desktop m_desktop;
    mutable TypeRegistry m_registry;
    QString m_folder;
    QList<AudioProject> m_projects;
    ProjectChange m_lastChange;
    DataFileSync m_sync;
    std::unique_ptr<FolderWatch> m_watch;
};

} // namespace sorvel
