#include "app/store/sync/DataFileSync.h"
#include "support/ControlledWorker.h"
#include "support/SimClock.h"

#include <gtest/gtest.h>

#include <deque>

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
                            const RescueCopy::KeptSteps&, bool) override {
        return {};
    }
    std::unique_ptr<Storage::Carried> carryRescues(QStringList&, const QString&) override { return nullptr; }
};

class DataFileSyncState : public ::testing::Test {
protected:
    DataFileSyncState() {
        auto clock = std::make_unique<SimClock>(m_now, QDateTime::fromMSecsSinceEpoch(0, Qt::UTC));
        auto worker = std::make_unique<ControlledWorker>(m_now);
        m_clock = clock.get();
        m_worker = worker.get();
        DataFileSync::Host host;
        host.current = [this] { return m_library; };
        host.show = [this](const Library& library) { m_library = library; };
        host.showKnown = [this](const Library& library, const ProjectChange&) {
            m_library = library;
            return QList<AudioProject>{};
        };
        host.reloadTimelines = [] {};
        host.saveFinished = [](bool) {};
        host.problemChanged = [] {};
        host.folderWaitChanged = [] {};
        host.firstReadFinished = [] {};
        host.brokeRule = [](const QString& rule) {
            ADD_FAILURE() << "the sync broke its rule: " << rule.toStdString();
        };
        m_sync = std::make_unique<DataFileSync>(host, DataFileSync::Seams{std::move(clock), m_files, std::move(worker)},
                                                Library{});
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

} // namespace
} // namespace sorvel::test
