#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "support/MemoryFileSystem.h"
#include "support/SampleRecords.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

namespace sorvel {
namespace {

using test::MemoryFileSystem;
using test::projectWithCue;
using Kind = MemoryFileSystem::Operation::Kind;

Library libraryOf(std::initializer_list<const char*> names) {
    Library library;
    for (const char* name : names)
        library.projects.push_back(projectWithCue(QString::fromLatin1(name)));
    return library;
}

QStringList projectNames(const Library& library) {
    QStringList names;
    for (const AudioProject& project : library.projects)
        names << project.name;
    names.sort();
    return names;
}

// The real reading and writing of the data file, on the disk in memory: what
// it leaves there is what a disk would keep after a power cut at any instant.
class StorageOnMemoryDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(disk.outside().makeFolders(environment.dataFolder())); }
    QString dataFile() const { return environment.dataFolder() + QStringLiteral("/projects.json"); }

    test::TestEnvironment environment;
    MemoryFileSystem disk;
};

TEST_F(StorageOnMemoryDisk, ASavedLibraryReadsBackWholeAfterAPowerCut) {
    const Library library = libraryOf({"First", "Second"});
    ASSERT_TRUE(Storage::save(disk, library));

    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
    EXPECT_EQ(disk.openDescriptors(), 0);
    // Everything went through the seam: the real disk never saw the data folder.
    EXPECT_FALSE(QFileInfo::exists(environment.dataFolder()));

    disk.powerCut();
    const Storage::ReadResult read = Storage::read(disk);
    EXPECT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
    EXPECT_EQ(read.library, library);
}

TEST_F(StorageOnMemoryDisk, APowerCutAtAnyInstantOfASaveLeavesTheOldFileOrTheNewOne) {
    const Library before = libraryOf({"Old"});
    const Library after = libraryOf({"Old", "New"});
    int cuts = 0;
    for (int cutAt = 0;; ++cutAt) {
        SCOPED_TRACE(cutAt);
        MemoryFileSystem fresh;
        ASSERT_TRUE(fresh.outside().makeFolders(environment.dataFolder()));
        ASSERT_TRUE(fresh.outside().writeAtomically(dataFile(), RecordCoding::encodeLibrary(before)));
        int calls = 0;
        bool cut = false;
        fresh.before = [&](const MemoryFileSystem::Operation&) {
            if (!cut && calls++ == cutAt) {
                fresh.powerCut();
                cut = true;
            }
            // The program went down with the power: nothing more of it reaches the disk.
            if (cut)
                MemoryFileSystem::failThisCall(EIO);
        };
        Storage::save(fresh, after);
        fresh.before = {};
        if (!cut)
            break;
        ++cuts;
        const Storage::ReadResult read = Storage::read(fresh);
        ASSERT_EQ(read.kind, Storage::ReadResult::Kind::Decoded);
        EXPECT_TRUE(read.library == before || read.library == after)
            << projectNames(read.library).join(',').toStdString();
    }
    // The save took several steps, and a cut after the last kept the new file.
    EXPECT_GT(cuts, 5);
}

TEST_F(StorageOnMemoryDisk, AWriteWhoseFileIsReplacedAtItsSwapStartsAgainFromWhatIsThere) {
    ASSERT_TRUE(disk.outside().writeAtomically(dataFile(), RecordCoding::encodeLibrary(libraryOf({"Theirs"}))));
    bool replaced = false;
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Renameat2 && (operation.flags & RENAME_EXCHANGE) && !replaced) {
            replaced = true;
            ASSERT_TRUE(disk.outside().writeAtomically(
                dataFile(), RecordCoding::encodeLibrary(libraryOf({"Theirs", "Theirs later"}))));
        }
    };
    QList<QStringList> resolved;
    const Storage::SaveResult result = Storage::save(
        disk,
        [&](const Library* found) {
            Library mine = found ? *found : Library{};
            resolved << projectNames(mine);
            mine.projects.push_back(projectWithCue(QStringLiteral("Mine")));
            return mine;
        },
        false);
    disk.before = {};

    ASSERT_TRUE(replaced);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(resolved, QList<QStringList>({{"Theirs"}, {"Theirs", "Theirs later"}}));
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Mine", "Theirs", "Theirs later"}));
    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
}

TEST_F(StorageOnMemoryDisk, ASaveWhoseSyncFailsLeavesTheFileAsItWas) {
    const Library before = libraryOf({"Kept"});
    ASSERT_TRUE(Storage::save(disk, before));
    disk.setFsyncFails(true);
    EXPECT_FALSE(Storage::save(disk, libraryOf({"Kept", "Lost"})));
    disk.setFsyncFails(false);
    EXPECT_EQ(Storage::read(disk).library, before);
    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
}

// Fails the data folder's sync after every rename of a write, as a disk
// that takes the rename but cannot make it durable.
void failFolderSyncs(MemoryFileSystem& disk, const QString& folder, int* failed) {
    disk.before = [folder, failed](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Fsync && operation.path == folder) {
            ++*failed;
            MemoryFileSystem::failThisCall(EIO);
        }
    };
}

// The file holds the new bytes: every way of writing counts the write as
// made (a merge starts from it, a change is not made twice) and says that it
// may not last.
TEST_F(StorageOnMemoryDisk, AWriteWhoseFolderCannotBeSyncedIsInTheFileAndSaysItMayNotLast) {
    ASSERT_TRUE(Storage::save(disk, libraryOf({"Old"})));
    int failed = 0;
    failFolderSyncs(disk, environment.dataFolder(), &failed);

    const Storage::SaveResult saved = Storage::save(
        disk,
        [](const Library* found) {
            Library mine = found ? *found : Library{};
            mine.projects.push_back(projectWithCue(QStringLiteral("Saved")));
            return mine;
        },
        false);
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(saved.written);
    EXPECT_TRUE(saved.notDurable);
    EXPECT_EQ(saved.error.number, EIO);
    EXPECT_EQ(projectNames(saved.library), QStringList({"Old", "Saved"}));
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Old", "Saved"}));

    FileError why;
    const Storage::Change changed = Storage::change(
        disk, [](Library& library) { library.projects.push_back(projectWithCue(QStringLiteral("Changed"))); },
        FolderLock::patientFor(0), &why);
    EXPECT_EQ(failed, 2);
    EXPECT_EQ(changed, Storage::Change::Written);
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Changed", "Old", "Saved"}));

    EXPECT_TRUE(Storage::save(disk, libraryOf({"Whole"})));
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Whole"}));

    // A write that lasts says so.
    disk.before = {};
    const Storage::SaveResult lasting = Storage::save(
        disk, [](const Library* found) { return found ? *found : Library{}; }, false);
    EXPECT_TRUE(lasting.written);
    EXPECT_FALSE(lasting.notDurable);
    EXPECT_TRUE(lasting.error.isEmpty());
    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
}

// What stood in the file's place was moved aside and the new file took it:
// the write says where that went, and nothing is moved back over it.
TEST_F(StorageOnMemoryDisk, AWriteAfterMovingAFolderAsideThatCannotBeSyncedSaysWhereItWent) {
    ASSERT_TRUE(disk.outside().makeFolders(dataFile()));
    int failed = 0;
    failFolderSyncs(disk, environment.dataFolder(), &failed);
    const Storage::SaveResult saved = Storage::save(
        disk, [](const Library*) { return libraryOf({"Mine"}); }, false);
    disk.before = {};

    EXPECT_GE(failed, 1);
    EXPECT_TRUE(saved.written);
    EXPECT_TRUE(saved.notDurable);
    ASSERT_FALSE(saved.movedAsideTo.isEmpty());
    EXPECT_TRUE(disk.names(saved.movedAsideTo).has_value()) << "the folder is where the write says";
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Mine"}));
}

TEST_F(StorageOnMemoryDisk, AnotherHolderOfTheFolderKeepsReadsAndWritesOut) {
    ASSERT_TRUE(Storage::save(disk, libraryOf({"Before"})));
    const auto holder = disk.outside().lock(environment.dataFolder(), true);
    ASSERT_TRUE(holder);
    EXPECT_EQ(Storage::read(disk, FolderLock::noWait()).kind, Storage::ReadResult::Kind::Busy);
    const Storage::SaveResult result = Storage::save(
        disk, [](const Library*) { return libraryOf({"While held"}); }, false, FolderLock::noWait());
    EXPECT_FALSE(result.written);
    // The real code tries the lock again and again, never blocking on it.
    EXPECT_EQ(disk.blockingLockCalls(), 0);

    ASSERT_TRUE(disk.outside().unlock(*holder));
    EXPECT_EQ(projectNames(Storage::read(disk, FolderLock::noWait()).library), QStringList({"Before"}));
}

} // namespace
} // namespace sorvel
