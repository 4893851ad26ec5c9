#include "app/store/rescue/RescueCopy.h"
#include "app/store/sync/DataFileSync.h"
#include "app/store/sync/RealSyncSeams.h"
#include "core/DataFolder.h"
#include "core/RecordCoding.h"
#include "support/ControlledWorker.h"
#include "support/MemoryFileSystem.h"
#include "support/SimClock.h"
#include "support/StoreTestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <functional>
#include <map>

namespace sorvel::test {
namespace {

// A data file that reads as the test queues it, and counts the writes.
class ScriptedFiles final : public SyncFiles {
public:
    std::deque<Storage::ReadResult::Kind> reads;
    int saves = 0;

    void migrate(const FolderLock::Waiter&) override {}
    RescuesMerged mergeRescues(const FolderLock::Waiter&) override { return {}; }
    void removeStaleDrafts(const FolderLock::Waiter&) override {}
    Storage::ReadResult read(const FolderLock::Waiter&) override {
        Storage::ReadResult result;
        result.kind = reads.empty() ? Storage::ReadResult::Kind::Missing : reads.front();
        if (!reads.empty())
            reads.pop_front();
        return result;
    }
    Storage::SaveResult save(const std::function<Library(const Library* found)>& resolve, bool,
                             const FolderLock::Waiter&, Storage::Carried*,
                             const std::optional<Storage::FileIdentity>&) override {
        ++saves;
        Storage::SaveResult saved;
        saved.written = true;
        saved.resolved = resolve(nullptr);
        saved.library = saved.resolved;
        return saved;
    }
    FileOutcome writeRescue(const std::optional<Library>&, const Library&, const QDateTime&,
                            const RescueCopy::KeptSteps&, bool, const std::optional<Storage::WriteMark>&) override {
        return {};
    }
    std::unique_ptr<Storage::Carried> carryRescues(QStringList&, const QString&) override { return nullptr; }
};

// A store that holds `library` and shows whatever the sync gives it;
// `lasted` gets each write's end.
DataFileSync::Host heldHost(Library& library, QList<bool>* lasted = nullptr) {
    DataFileSync::Host host;
    host.current = [&library] { return library; };
    host.show = [&library](const Library& shown) { library = shown; };
    host.showKnown = [&library](const Library& shown, const ProjectChange&) {
        library = shown;
        return QList<AudioProject>{};
    };
    host.reloadTimelines = [] {};
    host.saveFinished = [lasted](bool lasts) {
        if (lasted)
            *lasted << lasts;
    };
    host.problemChanged = [] {};
    host.folderWaitChanged = [] {};
    host.firstReadFinished = [] {};
    host.brokeRule = [](const QString& rule) { ADD_FAILURE() << "the sync broke its rule: " << rule.toStdString(); };
    return host;
}

class DataFileSyncState : public ::testing::Test {
protected:
    DataFileSyncState() {
        auto clock = std::make_unique<SimClock>(m_now, QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
        auto worker = std::make_unique<ControlledWorker>(m_now);
        m_clock = clock.get();
        m_worker = worker.get();
        m_sync = std::make_unique<DataFileSync>(
            heldHost(m_library), DataFileSync::Seams{std::move(clock), m_files, std::move(worker)}, Library{});
    }

    void change() {
        m_library.projects << AudioProject::make(QStringLiteral("Cue %1").arg(m_library.projects.size()),
                                                 ProjectType::musicID);
        m_sync->changed();
    }
    const SyncState& state() const { return m_sync->state(); }

    Library m_library;
    qint64 m_now = 1000;
    SimClock* m_clock = nullptr;
    ControlledWorker* m_worker = nullptr;
    std::shared_ptr<ScriptedFiles> m_files = std::make_shared<ScriptedFiles>();
    std::unique_ptr<DataFileSync> m_sync;
};

// A start, a change, its save and its landing, each step in the state it must leave.
TEST_F(DataFileSyncState, AChangeGoesFromChangedToWritingToInStep) {
    m_files->reads = {Storage::ReadResult::Kind::Decoded};
    EXPECT_EQ(state().job, SyncJob::FirstRead);
    ASSERT_TRUE(m_sync->begin());
    EXPECT_TRUE(m_sync->hasStarted());
    EXPECT_EQ(state(), (SyncState{SyncJob::None, false, SyncQuit::No, SyncFile::Good, SyncPending::Nothing}));

    change();
    EXPECT_EQ(state().pending, SyncPending::Changes);
    EXPECT_TRUE(m_clock->isActive(SyncTimer::Save));

    m_clock->fire(SyncTimer::Save);
    EXPECT_EQ(state().job, SyncJob::Write);
    EXPECT_TRUE(m_worker->isBusy());

    m_worker->finish(0, 0);
    EXPECT_EQ(state(), (SyncState{SyncJob::None, false, SyncQuit::No, SyncFile::Good, SyncPending::Nothing}));
    EXPECT_EQ(m_files->saves, 1);
}

// A read that finds the file undecodable while a change waits: nothing is
// written until the file has been still for the quiet, the save timer only
// queues the write, and the quiet's end starts it.
TEST_F(DataFileSyncState, AChangeWaitsForTheQuietOfAnUndecodableFile) {
    m_files->reads = {Storage::ReadResult::Kind::Decoded, Storage::ReadResult::Kind::Undecodable};
    ASSERT_TRUE(m_sync->begin());
    m_sync->folderChanged();
    m_clock->fire(SyncTimer::Settle);
    ASSERT_EQ(state().job, SyncJob::Read);
    change();

    m_worker->finish(0, 0);
    EXPECT_EQ(state().job, SyncJob::None);
    EXPECT_EQ(state().file, SyncFile::Undecodable);
    EXPECT_EQ(state().pending, SyncPending::Changes);
    EXPECT_TRUE(m_clock->isActive(SyncTimer::UndecodableQuiet));

    m_clock->fire(SyncTimer::Save);
    EXPECT_EQ(state().pending, SyncPending::WriteWaits);
    EXPECT_FALSE(m_worker->isBusy());
    EXPECT_EQ(m_files->saves, 0);

    m_clock->fire(SyncTimer::UndecodableQuiet);
    EXPECT_EQ(state().job, SyncJob::Write);
    m_worker->finish(0, 0);
    EXPECT_EQ(m_files->saves, 1);
    EXPECT_EQ(state(), (SyncState{SyncJob::None, false, SyncQuit::No, SyncFile::Good, SyncPending::Nothing}));
}

// A quit with nothing pending waits for nothing and leaves no quit state; one
// with a change writes it and ends its quit state too.
TEST_F(DataFileSyncState, AQuitEndsItsOwnState) {
    ASSERT_TRUE(m_sync->begin());
    EXPECT_EQ(state().file, SyncFile::Missing);
    m_sync->quit();
    EXPECT_EQ(state().quit, SyncQuit::No);
    EXPECT_EQ(m_files->saves, 0);

    change();
    m_sync->quit();
    EXPECT_EQ(m_files->saves, 1);
    EXPECT_EQ(state(), (SyncState{SyncJob::None, false, SyncQuit::No, SyncFile::Good, SyncPending::Nothing}));
}

// The sync as it ships, over the real file code on a disk in memory whose
// data folder cannot be synced after a write's rename while the test says.
class DataFileSyncOnMemoryDisk : public StoreFixture {
protected:
    DataFileSyncOnMemoryDisk() {
        memory.outside().makeFolders(DataFolder::directory());
        memory.outside().makeFolders(RescueCopy::folder());
        memory.outside().makeFolders(DataFolder::runtimeDirectory());
        memory.before = [this](const MemoryFileSystem::Operation& operation) {
            if (folderSyncFails && operation.kind == MemoryFileSystem::Operation::Kind::Fsync
                && operation.path == DataFolder::directory()) {
                ++folderSyncsFailed;
                MemoryFileSystem::failThisCall(EIO);
            }
        };
    }
    ~DataFileSyncOnMemoryDisk() override { memory.before = {}; }

    void start() {
        auto clock = std::make_unique<SimClock>(m_now, QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
        auto worker = std::make_unique<ControlledWorker>(m_now);
        m_clock = clock.get();
        m_worker = worker.get();
        m_sync = std::make_unique<DataFileSync>(
            heldHost(m_library, &m_lasted),
            DataFileSync::Seams{std::move(clock), std::make_shared<DiskFiles>(memory), std::move(worker)}, Library{});
        ASSERT_TRUE(m_sync->begin());
    }
    // The save timer (or its retry) fires and its write runs.
    void write() {
        m_clock->fire(SyncTimer::Save);
        ASSERT_EQ(m_sync->state().job, SyncJob::Write);
        m_worker->finish(0, 0);
    }
    // Starts on a file with a tape at 0.5 and steps it to 0.6, unwritten.
    void startWithTheTapeStepped() {
        AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
        tape.progressMode = ProgressMode::Manual;
        tape.manualProgress = 0.5;
        replaceFile(Library{{tape}, ProjectType::defaults()});
        start();
        m_library.projects.first().manualProgress = 0.6;
        m_sync->changed();
        m_sync->stepped(tape.id, 0.1);
    }
    Library file() const {
        const std::optional<QByteArray> bytes = memory.contents(DataFolder::filePath());
        std::optional<Library> library =
            bytes ? RecordCoding::decodeLibrary(*bytes, QDateTime::currentDateTimeUtc()) : std::nullopt;
        EXPECT_TRUE(library.has_value()) << "the data file decodes";
        return library.value_or(Library{});
    }
    void replaceFile(const Library& library) {
        ASSERT_TRUE(memory.outside().writeAtomically(DataFolder::filePath(), RecordCoding::encodeLibrary(library)));
    }
    static const AudioProject* named(const Library& library, const QUuid& id) {
        for (const AudioProject& project : library.projects) {
            if (project.id == id)
                return &project;
        }
        return nullptr;
    }

    MemoryFileSystem memory;
    bool folderSyncFails = false;
    int folderSyncsFailed = 0;
    Library m_library;
    QList<bool> m_lasted;
    qint64 m_now = 1000;
    SimClock* m_clock = nullptr;
    ControlledWorker* m_worker = nullptr;
    std::unique_ptr<DataFileSync> m_sync;
};

// A write whose folder could not be synced is in the file: the next merge
// starts from it. Another program renames the project it added; the write
// tried again keeps that later name rather than putting the added one back.
TEST_F(DataFileSyncOnMemoryDisk, AWriteThatMayNotLastIsTheNextMergesBaseAndTriedAgainUntilItLasts) {
    const AudioProject theirs = AudioProject::make(QStringLiteral("Theirs"), ProjectType::musicID);
    replaceFile(Library{{theirs}, ProjectType::defaults()});
    start();
    const AudioProject added = AudioProject::make(QStringLiteral("Added here"), ProjectType::musicID);
    m_library.projects << added;
    m_sync->changed();

    folderSyncFails = true;
    write();
    folderSyncFails = false;
    ASSERT_EQ(folderSyncsFailed, 1);
    ASSERT_NE(named(file(), added.id), nullptr) << "the rename took place";
    EXPECT_NE(named(m_sync->base(), added.id), nullptr) << "the base is what the file holds";
    EXPECT_EQ(m_lasted, QList<bool>{false});
    EXPECT_TRUE(m_sync->isDirty()) << "tried again until it lasts";
    EXPECT_EQ(m_sync->saveProblem().kind, SaveProblem::Kind::WriteFailed);
    EXPECT_EQ(m_sync->saveProblem().error.number, EIO);
    EXPECT_EQ(m_sync->activity().writes, 1);

    Library renamed = file();
    for (AudioProject& project : renamed.projects) {
        if (project.id == added.id) {
            project.name = QStringLiteral("Renamed elsewhere");
            project.updatedAt = project.updatedAt.addSecs(60);
        }
    }
    replaceFile(renamed);

    write();
    ASSERT_NE(named(file(), added.id), nullptr);
    EXPECT_EQ(named(file(), added.id)->name, QStringLiteral("Renamed elsewhere"));
    ASSERT_NE(named(m_library, added.id), nullptr);
    EXPECT_EQ(named(m_library, added.id)->name, QStringLiteral("Renamed elsewhere")) << "the store shows the file";
    EXPECT_EQ(m_lasted, QList<bool>({false, true}));
    EXPECT_FALSE(m_sync->isDirty());
    EXPECT_EQ(m_sync->saveProblem().kind, SaveProblem::Kind::None);
}

// The steps a write that may not last carried are in the file: written
// again, they count once, and a later step of another program's stays.
TEST_F(DataFileSyncOnMemoryDisk, StepsOfAWriteThatMayNotLastCountOnceWhenItIsTriedAgain) {
    startWithTheTapeStepped();

    folderSyncFails = true;
    write();
    folderSyncFails = false;
    ASSERT_EQ(folderSyncsFailed, 1);
    ASSERT_DOUBLE_EQ(file().projects.first().manualProgress, 0.6);

    Library stepped = file();
    stepped.projects.first().manualProgress = 0.7;
    stepped.projects.first().updatedAt = stepped.projects.first().updatedAt.addSecs(60);
    replaceFile(stepped);

    write();
    EXPECT_DOUBLE_EQ(file().projects.first().manualProgress, 0.7) << "0.5, this program's step, the other's";
    EXPECT_DOUBLE_EQ(m_library.projects.first().manualProgress, 0.7);
    EXPECT_FALSE(m_sync->isDirty());
}

// A quit whose write may not last keeps a copy of its changes tied to that
// write. What happens to the file until the next start: `meanwhile`.
class AQuitWhoseWriteMayNotLast : public DataFileSyncOnMemoryDisk {
protected:
    // Quits with the tape stepped from 0.5 to 0.6; then `meanwhile`, then a new start.
    void quitThenStartAgain(const std::function<void()>& meanwhile) {
        startWithTheTapeStepped();

        folderSyncFails = true;
        m_sync->quit(DataFileSync::quitWaitMs);
        ASSERT_EQ(folderSyncsFailed, 1);
        ASSERT_TRUE(m_sync->isDirty());
        const FileOutcome kept = m_sync->keepRescueCopy();
        ASSERT_TRUE(kept.done());
        EXPECT_TRUE(QFileInfo(kept.path).fileName().startsWith(QStringLiteral("projects-restoring-")))
            << kept.path.toStdString();
        m_sync.reset();
        folderSyncFails = false;

        meanwhile();
        m_library = {};
        start();
    }
    double progressInFile() const { return file().projects.value(0).manualProgress; }
    // Neither merged again later nor waiting: the copy was retired or merged.
    bool copiesWait() const {
        for (const QString& name : memory.names(RescueCopy::folder()).value_or(QStringList())) {
            if (name.startsWith(QStringLiteral("projects-rescued-"))
                || name.startsWith(QStringLiteral("projects-restoring-")))
                return true;
        }
        return false;
    }
};

TEST_F(AQuitWhoseWriteMayNotLast, IsNotCountedAgainWhenTheWriteLasted) {
    quitThenStartAgain([] {});
    EXPECT_DOUBLE_EQ(progressInFile(), 0.6) << "the step counts once";
    EXPECT_DOUBLE_EQ(m_library.projects.value(0).manualProgress, 0.6);
    EXPECT_FALSE(copiesWait());
}

TEST_F(AQuitWhoseWriteMayNotLast, BringsItsChangesBackWhenAPowerCutUndidTheWrite) {
    quitThenStartAgain([this] {
        memory.powerCut();
        ASSERT_DOUBLE_EQ(progressInFile(), 0.5) << "the rename did not last";
    });
    EXPECT_DOUBLE_EQ(progressInFile(), 0.6);
    EXPECT_DOUBLE_EQ(m_library.projects.value(0).manualProgress, 0.6);
    EXPECT_FALSE(copiesWait());
}

TEST_F(AQuitWhoseWriteMayNotLast, LeavesALaterChangeOfAnotherProgramAlone) {
    quitThenStartAgain([this] {
        Library stepped = file();
        stepped.projects.first().manualProgress = 0.7;
        replaceFile(stepped);
    });
    EXPECT_DOUBLE_EQ(progressInFile(), 0.7) << "the other program's step after the quit stays";
    EXPECT_FALSE(copiesWait());
}

} // namespace
} // namespace sorvel::test
