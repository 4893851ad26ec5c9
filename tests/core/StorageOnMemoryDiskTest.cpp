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
