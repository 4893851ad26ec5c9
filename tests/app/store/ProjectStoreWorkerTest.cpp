#include "support/StoreTestSupport.h"

#include "app/store/ProjectStore.h"
#include "app/store/StorageWorker.h"
#include "core/FolderLock.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"

#include "../../../bench/SampleLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <limits>
#include <thread>

namespace sorvel::test {
namespace {

constexpr int kPatience = 5000;

// Another program holding the data folder: every write of the store waits
// for it, for as long as the test wants.
class FolderHolder {
public:
    // `whileHeld` runs on the holder's thread once the lock is taken.
    explicit FolderHolder(std::function<void()> whileHeld = {}) {
        m_thread = std::thread([this, whileHeld] {
            PosixFileSystem disk;
            QDir().mkpath(Storage::directory());
            const FolderLock lock(disk, Storage::directory(), FolderLock::Mode::Write);
            if (whileHeld)
                whileHeld();
            m_held = true;
            while (!m_released)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        while (!m_held)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FolderHolder() {
        release();
        m_thread.join();
    }
    void release() { m_released = true; }
    // Releases the folder after `milliseconds`, from the holder's side.
    void releaseAfter(int milliseconds) {
        std::thread([this, milliseconds] {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            release();
        }).detach();
    }

private:
    std::thread m_thread;
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_released{false};
};

// Writes the data file as the holder of the lock may: directly, atomically.
void writeHeldFile(const QList<AudioProject>& projects) {
    QSaveFile file(Storage::filePath());
    file.open(QIODevice::WriteOnly);
    file.write(RecordCoding::encodeLibrary(Library{projects, ProjectType::defaults()}));
    file.commit();
}

class ProjectStoreWorker : public StoreFixture {
protected:
    AudioProject tape = AudioProject::make(QStringLiteral("Tape"), ProjectType::musicID);
    AudioProject other = AudioProject::make(QStringLiteral("Other"), ProjectType::sfxID);
};

TEST_F(ProjectStoreWorker, BurstOfEditsDuringASlowWriteEndsWithTheNewestAndNothingOlderAfterIt) {
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    QStringList written; // the notes of each write, in order
    QObject::connect(&store, &ProjectStore::saveFinished, [&](bool ok) {
        EXPECT_TRUE(ok);
        written << projectsInFile().first().notes;
    });

    auto holder = std::make_unique<FolderHolder>();
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("0"); });
    // The write has started and waits for the folder.
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPatience));
    for (int i = 1; i <= 5; ++i)
        store.update(tape.id, [i](AudioProject& p) { p.notes = QString::number(i); });
    // The burst's own save is due meanwhile.
    ASSERT_TRUE(waitUntil([&] { return store.isWriteQueued(); }, kPatience));
    EXPECT_TRUE(written.isEmpty()) << "the window's thread never waits: nothing could be written yet";
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("5"));
    holder.reset();

    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(written, (QStringList{"0", "5"}));
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("5"));
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("5"));
    EXPECT_EQ(store.activity().writes, 2);
}

TEST_F(ProjectStoreWorker, QuitDuringAWriteWaitsForItThenWritesTheNewerChange) {
    writeDataFile({tape});
    ProjectStore store(disk, desktop.seams());
    QStringList written;
    QObject::connect(&store, &ProjectStore::saveFinished, [&](bool) { written << projectsInFile().first().notes; });

    FolderHolder holder;
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("first"); });
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPatience));
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("second"); });
    holder.releaseAfter(300);
    store.saveNow();

    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(written, (QStringList{"first", "second"}));
    EXPECT_EQ(projectsInFile().first().notes, QStringLiteral("second"));
}

TEST_F(ProjectStoreWorker, FolderEventDuringAWriteIsHandledAfterItAndOwnBytesAreNotForeign) {
    writeDataFile({tape, other});
    ProjectStore store(disk, desktop.seams());
    int changes = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, [&] { ++changes; });

    auto holder = std::make_unique<FolderHolder>();
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_EQ(changes, 1);
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPatience));
    // Folder events while the write waits: an unrelated file.
    const int eventsBefore = store.activity().folderEvents;
    writeFile(environment.dataFolder() + QStringLiteral("/notes.txt"), "a folder event");
    ASSERT_TRUE(waitUntil([&] { return store.activity().folderEvents > eventsBefore; }, kPatience));
    holder.reset();

    ASSERT_TRUE(waitUntil([&] { return store.activity().writes == 1 && !store.isDirty(); }, kPatience));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(changes, 1) << "the store's own write came back as a change";
    EXPECT_EQ(store.activity().writes, 1);
    EXPECT_LE(store.activity().reloadReads, 1);
    EXPECT_FALSE(store.isDirty());
    EXPECT_EQ(store.projects(), projectsInFile());
}

TEST_F(ProjectStoreWorker, ChangeWrittenJustBeforeTheStoresWriteIsMergedAndShown) {
    writeDataFile({tape, other});
    ProjectStore store(disk, desktop.seams());

    AudioProject changed = other;
    changed.notes = QStringLiteral("theirs");
    auto holder = std::make_unique<FolderHolder>([&] { writeHeldFile({tape, changed}); });
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    ASSERT_TRUE(waitUntil([&] { return store.isWaitingForFolder(); }, kPatience));
    holder.reset();

    ASSERT_TRUE(waitUntil([&] { return store.project(other.id)->notes == QStringLiteral("theirs"); }, kPatience));
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(store.projects(), projectsInFile());
}

// The other program's change is read while the user edits another project
// and then deletes one: the read's result arrives after those edits and is
// merged under them; nothing of either side is lost or comes back.
TEST_F(ProjectStoreWorker, EditsMadeWhileAReadWaitsStayOnTopOfWhatItBrings) {
    const AudioProject third = AudioProject::make(QStringLiteral("Third"), ProjectType::musicID);
    writeDataFile({tape, other, third});
    ProjectStore store(disk, desktop.seams());
    ASSERT_TRUE(waitUntilIdle(store));

    AudioProject changed = other;
    changed.notes = QStringLiteral("theirs");
    auto holder = std::make_unique<FolderHolder>([&] { writeHeldFile({tape, changed, third}); });
    ASSERT_TRUE(waitUntil([&] { return store.activity().reloadReads == 1; }, kPatience));
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    store.deleteProjects({third.id});
    holder.reset();

    ASSERT_TRUE(waitUntil([&] { return store.project(other.id)->notes == QStringLiteral("theirs"); }, kPatience));
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(store.project(third.id), nullptr);
    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    const QList<AudioProject> written = projectsInFile();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(store.projects(), written);
}

TEST_F(ProjectStoreWorker, DamagedFileDecodedOnTheWorkerKeepsTheProjectsAndTheUnsavedEdit) {
    writeDataFile({tape, other});
    ProjectStore store(disk, desktop.seams());
    store.update(tape.id, [](AudioProject& p) { p.notes = QStringLiteral("mine"); });
    QSaveFile garbage(Storage::filePath());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ not json");
    ASSERT_TRUE(garbage.commit());

    ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, kPatience));
    EXPECT_EQ(store.projects().size(), 2);
    EXPECT_EQ(store.project(tape.id)->notes, QStringLiteral("mine"));
    EXPECT_EQ(store.projects(), projectsInFile());
    const QStringList copies = QDir(environment.dataFolder()).entryList({QStringLiteral("projects-unreadable-*.json")});
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(environment.dataFolder() + QLatin1Char('/') + copies.first()), QByteArray("{ not json"));
}

// Reads come in bursts; the worker's parser keeps its buffers from one to the
// next, however large the file, and lets them go once no job has come for a while.
TEST_F(ProjectStoreWorker, ParserBuffersStayBetweenReadsAndGoAfterAWhileWithoutJobs) {
    // Larger than the buffers a thread without a kept parser holds on to.
    ASSERT_TRUE(Storage::save(disk, bench::sampleLibrary(800, 30, 10)));
    ASSERT_GT(QFileInfo(Storage::filePath()).size(), 8 << 20);
    const auto read = [&] {
        EXPECT_EQ(Storage::read(disk).kind, Storage::ReadResult::Kind::Decoded);
        return StorageWorker::Delivery();
    };

    StorageWorker keeping(nullptr, std::numeric_limits<int>::max());
    EXPECT_FALSE(keeping.holdsParserBuffers());
    keeping.start(read);
    ASSERT_TRUE(keeping.finish());
    EXPECT_TRUE(keeping.holdsParserBuffers());

    StorageWorker lettingGo(nullptr, 0);
    lettingGo.start(read);
    ASSERT_TRUE(lettingGo.finish());
    EXPECT_TRUE(waitUntil([&] { return !lettingGo.holdsParserBuffers(); }, kPatience));
}

} // namespace
} // namespace sorvel::test
