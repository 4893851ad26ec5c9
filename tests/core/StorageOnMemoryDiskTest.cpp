#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "support/MemoryFileSystem.h"
#include "support/SampleRecords.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <exception>

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

// A disk that cannot read the data file (a bad sector) fails every read of it.
class UnreadableDataFile : public StorageOnMemoryDisk {
protected:
    void SetUp() override {
        StorageOnMemoryDisk::SetUp();
        ASSERT_TRUE(disk.outside().writeAtomically(dataFile(), before));
    }
    bool failsRead(const MemoryFileSystem::Operation& operation) const {
        if (operation.kind != Kind::Read || operation.path != dataFile())
            return false;
        MemoryFileSystem::failThisCall(EIO);
        return true;
    }
    // The kept-aside copies in the data folder, as paths.
    QStringList copies(const MemoryFileSystem& on) const {
        QStringList paths;
        for (const QString& name : on.names(environment.dataFolder()).value_or(QStringList())) {
            if (name.startsWith(QStringLiteral("projects-unreadable-")))
                paths << environment.dataFolder() + QLatin1Char('/') + name;
        }
        return paths;
    }
    static Storage::SaveResult saveAdding(MemoryFileSystem& on, const QString& name,
                                          QList<QStringList>* resolved = nullptr) {
        return Storage::save(
            on,
            [&](const Library* found) {
                if (resolved)
                    *resolved << (found ? projectNames(*found) : QStringList{QStringLiteral("nothing read")});
                Library mine = found ? *found : Library{};
                mine.projects.push_back(projectWithCue(name));
                return mine;
            },
            false);
    }

    const QByteArray before = RecordCoding::encodeLibrary(libraryOf({"Old"}));
};

// The save keeps the file it cannot read before it writes over it. Killed, or
// the power cut, at any call of that save from the failed read on, the data
// file is there with the old bytes or the new, and every copy kept holds the old.
TEST_F(UnreadableDataFile, ASaveOverItLeavesTheDataFileThereWhereverItIsCut) {
    int cuts = 0;
    for (const bool powerCut : {false, true}) {
        for (int cutAt = 0;; ++cutAt) {
            SCOPED_TRACE(QStringLiteral("%1 at call %2").arg(powerCut ? "power cut" : "kill").arg(cutAt).toStdString());
            MemoryFileSystem fresh;
            ASSERT_TRUE(fresh.outside().makeFolders(environment.dataFolder()));
            ASSERT_TRUE(fresh.outside().writeAtomically(dataFile(), before));
            int calls = -1; // from the first failed read on
            bool cut = false;
            fresh.before = [&](const MemoryFileSystem::Operation& operation) {
                if (!cut && calls >= 0 && calls++ == cutAt) {
                    cut = true;
                    powerCut ? fresh.powerCut() : fresh.crash();
                }
                // The program is gone: nothing more of it reaches the disk.
                if (cut)
                    return MemoryFileSystem::failThisCall(EIO);
                if (failsRead(operation) && calls < 0)
                    calls = 0;
            };
            QList<QStringList> resolved;
            const Storage::SaveResult result = saveAdding(fresh, QStringLiteral("New"), &resolved);
            fresh.before = {};
            const std::optional<QByteArray> file = fresh.contents(dataFile());
            ASSERT_TRUE(file) << "no data file";
            const bool replaced = *file != before;
            const QStringList kept = copies(fresh);
            for (const QString& copy : kept)
                EXPECT_EQ(fresh.contents(copy), before) << copy.toStdString();
            if (replaced) {
                EXPECT_EQ(projectNames(*RecordCoding::decodeLibrary(*file, QDateTime::currentDateTimeUtc())),
                          QStringList({"New"}));
                EXPECT_EQ(kept.size(), 1);
            }
            if (!cut) {
                EXPECT_EQ(resolved, QList<QStringList>({{"nothing read"}}));
                EXPECT_TRUE(result.written);
                EXPECT_TRUE(replaced);
                EXPECT_EQ(QStringList{result.movedAsideTo}, kept);
                break;
            }
            ++cuts;
        }
    }
    EXPECT_GT(cuts, 20);
}

// A read that fails once is tried again at once: what another program put
// in the file is merged, and no copy is kept.
TEST_F(UnreadableDataFile, AReadErrorThatDoesNotComeAgainIsReadOnceMoreAndMerged) {
    bool failed = false;
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (!failed)
            failed = failsRead(operation);
    };
    QList<QStringList> resolved;
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("Mine"), &resolved);
    disk.before = {};
    ASSERT_TRUE(failed);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(resolved, QList<QStringList>({{"Old"}}));
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Mine", "Old"}));
    EXPECT_TRUE(result.movedAsideTo.isEmpty());
    EXPECT_TRUE(copies(disk).isEmpty());
}

// Another program renames its file over the one kept aside before the write
// replaces it: the write starts again, reads that file and merges it.
TEST_F(UnreadableDataFile, AFileRenamedOverTheOneKeptAsideIsMergedNotReplaced) {
    bool linked = false;
    bool renamedOver = false;
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (linked && !renamedOver) {
            renamedOver = true;
            ASSERT_TRUE(disk.outside().writeAtomically(dataFile(), RecordCoding::encodeLibrary(libraryOf({"Theirs"}))));
        }
        linked = linked || operation.kind == Kind::Link;
        if (!renamedOver)
            failsRead(operation);
    };
    QList<QStringList> resolved;
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("Mine"), &resolved);
    disk.before = {};
    ASSERT_TRUE(renamedOver);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(resolved, QList<QStringList>({{"nothing read"}, {"Theirs"}}));
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"Mine", "Theirs"}));
    const QStringList kept = copies(disk);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(disk.contents(kept.first()), before);
    EXPECT_EQ(result.movedAsideTo, kept.first());
}

// A linked data file's target is what the write replaces, so it is the
// target that is kept under a second name, not the link.
TEST_F(UnreadableDataFile, ALinkedOneKeepsItsTargetAside) {
    const QString target = environment.dataHome() + QStringLiteral("/synced/projects.json");
    ASSERT_TRUE(disk.outside().makeFolders(environment.dataHome() + QStringLiteral("/synced")));
    ASSERT_TRUE(disk.outside().writeAtomically(target, before));
    ASSERT_TRUE(disk.outside().remove(dataFile()));
    ASSERT_TRUE(disk.outside().makeSymlink(target, dataFile()));
    disk.before = [&](const MemoryFileSystem::Operation& operation) { failsRead(operation); };
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("New"));
    disk.before = {};
    EXPECT_TRUE(result.written);
    const QStringList kept = copies(disk);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(disk.contents(kept.first()), before);
    EXPECT_EQ(projectNames(Storage::read(disk).library), QStringList({"New"}));
    EXPECT_EQ(disk.contents(target), disk.contents(dataFile())) << "still written through the link";
}

// Where the file cannot have a second name (a file system without hard
// links), it is not moved out of its place either: nothing is written.
TEST_F(UnreadableDataFile, OneThatCannotHaveASecondNameIsNotWrittenOver) {
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Link)
            MemoryFileSystem::failThisCall(EPERM);
        failsRead(operation);
    };
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("New"));
    disk.before = {};
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error.number, EIO);
    EXPECT_EQ(disk.contents(dataFile()), before);
    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
}

// A save that fails after keeping the file aside drops the second name it
// gave it while the file is still in its place: the folder is as it was.
TEST_F(UnreadableDataFile, ASaveThatFailsLeavesNoSecondNameBehind) {
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Mkostemp)
            MemoryFileSystem::failThisCall(ENOSPC);
        failsRead(operation);
    };
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("New"));
    disk.before = {};
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error.number, ENOSPC);
    EXPECT_EQ(disk.contents(dataFile()), before);
    EXPECT_EQ(disk.names(environment.dataFolder()), QStringList({"projects.json"}));
}

// A save killed right after keeping the file aside leaves that second name;
// the next save over the same file keeps it under it: one copy, not two.
TEST_F(UnreadableDataFile, ASaveAfterOneKilledKeepsItUnderTheSameName) {
    bool killed = false;
    bool linked = false;
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (linked && !killed) {
            killed = true;
            disk.crash();
        }
        if (killed)
            return MemoryFileSystem::failThisCall(EIO);
        linked = operation.kind == Kind::Link;
        failsRead(operation);
    };
    EXPECT_FALSE(saveAdding(disk, QStringLiteral("New")).written);
    ASSERT_TRUE(killed);
    const QStringList left = copies(disk);
    ASSERT_EQ(left.size(), 1);

    disk.before = [&](const MemoryFileSystem::Operation& operation) { failsRead(operation); };
    const Storage::SaveResult result = saveAdding(disk, QStringLiteral("New"));
    disk.before = {};
    EXPECT_TRUE(result.written);
    EXPECT_EQ(copies(disk), left);
    EXPECT_EQ(result.movedAsideTo, left.first());
    EXPECT_EQ(disk.contents(left.first()), before);
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

// Thrown from the disk's hook: the program is killed there, and its work ends.
struct Killed {};

// Where a save over the file it read (another program's "Theirs") is killed,
// what its draft's name holds then, and what the next start must do with it.
struct KillPoint {
    const char* what;
    // Another program renames its own file over the data file right before the first swap.
    bool renamedOver;
    // Killed right before this call; `swaps` counts the swaps made so far.
    std::function<bool(const MemoryFileSystem::Operation&, int swaps)> before;
    // What stands under the draft's name after the kill.
    QStringList underDraft;
    // What the data file holds after the kill, and after the next start.
    QStringList inFile;
    // Whether the next start keeps what is under the draft's name aside.
    bool keptAside;
};

bool isSwap(const MemoryFileSystem::Operation& operation) {
    return operation.kind == Kind::Renameat2 && (operation.flags & RENAME_EXCHANGE);
}

bool isDraftRemoval(const MemoryFileSystem::Operation& operation) {
    return operation.kind == Kind::Unlink && QFileInfo(operation.path).fileName().startsWith(".sorvel-draft-");
}

class StorageKilledInASwap : public StorageOnMemoryDisk, public ::testing::WithParamInterface<KillPoint> {
protected:
    QStringList namesStarting(const QString& prefix) const {
        QStringList names = disk.names(environment.dataFolder()).value_or(QStringList());
        names.removeIf([&](const QString& name) { return !name.startsWith(prefix); });
        return names;
    }
    QString inFolder(const QString& name) const { return environment.dataFolder() + QLatin1Char('/') + name; }
    QStringList namesIn(const QString& path) const {
        const std::optional<QByteArray> bytes = disk.contents(path);
        const std::optional<Library> library =
            bytes ? RecordCoding::decodeLibrary(*bytes, QDateTime::currentDateTimeUtc()) : std::nullopt;
        return library ? projectNames(*library) : QStringList{QStringLiteral("(nothing that decodes)")};
    }

    // Saves "Mine" onto what the file holds, killed where the point says.
    void saveKilled(const KillPoint& point) {
        ASSERT_TRUE(disk.outside().writeAtomically(dataFile(), RecordCoding::encodeLibrary(libraryOf({"Theirs"}))));
        bool down = false;
        int swaps = 0;
        disk.before = [&](const MemoryFileSystem::Operation& operation) {
            if (down) {
                // Closing and unlocking run in destructors, which must not throw.
                if (operation.kind != Kind::Close && operation.kind != Kind::Flock && std::uncaught_exceptions() == 0)
                    throw Killed{};
                MemoryFileSystem::failThisCall(EIO);
                return;
            }
            if (point.before(operation, swaps)) {
                down = true;
                disk.crash();
                throw Killed{};
            }
            if (isSwap(operation) && swaps++ == 0 && point.renamedOver) {
                ASSERT_TRUE(disk.outside().writeAtomically(
                    dataFile(), RecordCoding::encodeLibrary(libraryOf({"Theirs", "Theirs later"}))));
            }
        };
        EXPECT_THROW(Storage::save(
                         disk,
                         [](const Library* found) {
                             Library mine = found ? *found : Library{};
                             mine.projects.push_back(projectWithCue(QStringLiteral("Mine")));
                             return mine;
                         },
                         false),
                     Killed);
        disk.before = {};
    }
};

TEST_P(StorageKilledInASwap, TheNextStartRemovesOnlyWhatIsProvablyItsOwnAndKeepsTheRest) {
    const KillPoint& point = GetParam();
    saveKilled(point);
    const QStringList drafts = namesStarting(QStringLiteral(".sorvel-draft-"));
    ASSERT_EQ(drafts.size(), 1) << drafts.join(", ").toStdString();
    const QString draft = inFolder(drafts.first());
    const std::optional<QByteArray> leftBytes = disk.contents(draft);
    ASSERT_TRUE(leftBytes);
    ASSERT_EQ(namesIn(draft), point.underDraft);
    ASSERT_EQ(namesIn(dataFile()), point.inFile);

    testing::internal::CaptureStderr();
    Storage::removeStaleDrafts(disk);
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_EQ(namesStarting(QStringLiteral(".sorvel-draft-")), QStringList());
    EXPECT_EQ(namesIn(dataFile()), point.inFile);
    const QStringList kept = namesStarting(QStringLiteral("projects-unreadable-"));
    if (!point.keptAside) {
        EXPECT_EQ(kept, QStringList());
        EXPECT_EQ(log.find("Sorvel storage error: "), std::string::npos) << log;
        return;
    }
    // Another program's write: its bytes intact beside the file, and the log names where.
    ASSERT_EQ(kept.size(), 1) << kept.join(", ").toStdString();
    EXPECT_EQ(disk.contents(inFolder(kept.first())), leftBytes);
    EXPECT_NE(log.find("Sorvel storage error: " + draft.toStdString()), std::string::npos) << log;
    EXPECT_NE(log.find(kept.first().toStdString()), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(StorageOnMemoryDisk, StorageKilledInASwap,
                         ::testing::Values(KillPoint{"BetweenTheSwapsThatTookOutAnotherProgramsFile",
                                                     true,
                                                     [](const MemoryFileSystem::Operation& operation, int swaps) {
                                                         return isSwap(operation) && swaps == 1;
                                                     },
                                                     {"Theirs", "Theirs later"},
                                                     {"Mine", "Theirs"},
                                                     true},
                                           KillPoint{"RightBeforeTheSwap",
                                                     false,
                                                     [](const MemoryFileSystem::Operation& operation, int) {
                                                         return isSwap(operation);
                                                     },
                                                     {"Mine", "Theirs"},
                                                     {"Theirs"},
                                                     false},
                                           KillPoint{"AfterTheSwapTookOutTheFileRead",
                                                     false,
                                                     [](const MemoryFileSystem::Operation& operation, int swaps) {
                                                         return isDraftRemoval(operation) && swaps == 1;
                                                     },
                                                     {"Theirs"},
                                                     {"Mine", "Theirs"},
                                                     false},
                                           KillPoint{"AfterTheDraftWasSwappedBack",
                                                     true,
                                                     [](const MemoryFileSystem::Operation& operation, int swaps) {
                                                         return isDraftRemoval(operation) && swaps == 2;
                                                     },
                                                     {"Mine", "Theirs"},
                                                     {"Theirs", "Theirs later"},
                                                     false}),
                         [](const ::testing::TestParamInfo<KillPoint>& info) { return std::string(info.param.what); });

// What a write carries into the file learns of the draft under the name it
// has when it is swapped in, and reads that back from the mark's text.
class MarkRecorder final : public Storage::Carried {
public:
    std::optional<Storage::WriteMark> mark;
    int replacing(const Storage::WriteMark& made) override {
        mark = made;
        return 0;
    }
    void replaced(bool) override {}
    void notReplaced() override {}
};

TEST_F(StorageOnMemoryDisk, AWritesMarkNamesTheDraftThatIsSwappedInAndReadsBackFromItsText) {
    ASSERT_TRUE(Storage::save(disk, libraryOf({"Before"})));
    QString swapped;
    disk.before = [&](const MemoryFileSystem::Operation& operation) {
        if (isSwap(operation))
            swapped = QFileInfo(operation.path).fileName();
    };
    MarkRecorder carried;
    const Storage::SaveResult result = Storage::save(
        disk, [](const Library*) { return libraryOf({"After"}); }, false, FolderLock::noWait(), &carried);
    disk.before = {};
    ASSERT_TRUE(result.written);
    ASSERT_TRUE(carried.mark);
    EXPECT_EQ(carried.mark->draftName, swapped);
    EXPECT_TRUE(carried.mark->replaced);

    const QString text = carried.mark->text();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9._]+$")).match(text).hasMatch()) << text.toStdString();
    EXPECT_EQ(Storage::WriteMark::fromText(text), carried.mark);
    // Marks an earlier version made, named after a draft of six letters, still read.
    for (const Storage::WriteMark& earlier :
         {Storage::WriteMark{carried.mark->replaced, QStringLiteral(".sorvel-draft-Ab12Cd"), carried.mark->draft},
          Storage::WriteMark{std::nullopt, QStringLiteral(".sorvel-draft-Zz99Yy"), carried.mark->draft}})
        EXPECT_EQ(Storage::WriteMark::fromText(earlier.text()), earlier) << earlier.text().toStdString();
    EXPECT_EQ(Storage::WriteMark::fromText(QStringLiteral("n_") + text.section(QLatin1Char('_'), 1)), std::nullopt);
}

} // namespace
} // namespace sorvel
