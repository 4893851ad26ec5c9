#include "core/Storage.h"
#include "core/DataFileFixture.h"
#include "core/DataFolder.h"
#include "core/FileSizeLimit.h"
#include "core/RecordCoding.h"
#include "core/SystemErrorText.h"
#include "core/WidgetIntents.h"
#include "support/ChildProcess.h"
#include "support/HeldWrite.h"
#include "support/SampleRecords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <linux/capability.h>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sorvel {
namespace {

using test::projectWithCue;
using test::readFile;
using test::writeFile;
using Kind = Storage::ReadResult::Kind;

class StorageTest : public ::testing::Test, protected test::DataFileFixture {};

TEST_F(StorageTest, DataFileLivesInTheDataFolderOfTheEnvironment) {
    EXPECT_EQ(Storage::directory(), dataFolder());
    EXPECT_EQ(Storage::filePath(), dataFile());
    EXPECT_EQ(DataFolder::legacyDirectory(), environment.dataHome() + "/Pinwale");
}

TEST_F(StorageTest, SavedLibraryLoadsBackAndLeavesOnlyTheDataFile) {
    Library library;
    library.projects = {projectWithCue("A"), projectWithCue("B", CueStage::Delivered)};
    library.types = {ProjectType::defaults().at(2)};
    ASSERT_TRUE(Storage::save(disk, library));

    const Storage::ReadResult result = Storage::read(disk);
    EXPECT_EQ(result.kind, Kind::Decoded);
    EXPECT_EQ(result.library, library);
    EXPECT_EQ(Storage::load(disk), library);
    // No lock file and no temporary file stay behind.
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(StorageTest, MissingFileReadsAsTheEmptyLibraryAndWritesNothing) {
    const Storage::ReadResult result = Storage::read(disk);
    EXPECT_EQ(result.kind, Kind::Missing);
    EXPECT_EQ(result.library, Library{});
    EXPECT_TRUE(QFileInfo(dataFolder()).isDir());
    EXPECT_TRUE(folderEntries().isEmpty());
}

// The data file as it is now, as the store passes a file it has seen stay as
// it is for a while: a save may then write over it though it does not decode.
std::optional<Storage::FileIdentity> seenStill() {
    struct stat seen {};
    if (::stat(QFile::encodeName(Storage::filePath()).constData(), &seen) != 0)
        return std::nullopt;
    return Storage::FileIdentity{quint64(seen.st_dev), quint64(seen.st_ino), qint64(seen.st_size),
                                 qint64(seen.st_mtim.tv_sec) * 1000000000 + seen.st_mtim.tv_nsec};
}

// The store's write of `mine`, over whatever the file holds, once it has been still.
Storage::SaveResult writeOver(const Library& mine) {
    PosixFileSystem disk;
    testing::internal::CaptureStderr();
    Storage::SaveResult saved = Storage::save(
        disk, [&](const Library*) { return mine; }, false, FolderLock::patientFor(FolderLock::usualPatienceMs), nullptr,
        seenStill());
    testing::internal::GetCapturedStderr();
    return saved;
}

TEST_F(StorageTest, UndecodableFileIsLoggedAndKeptAsideOnlyByTheWriteThatReplacesIt) {
    const QByteArray broken = R"({"version": 2, "projects": [{"id": "x"}]})";
    writeFile(dataFile(), broken);
    const qint64 before = QDateTime::currentSecsSinceEpoch();

    testing::internal::CaptureStderr();
    const Storage::ReadResult first = Storage::read(disk);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel decode error: "), std::string::npos) << log;
    EXPECT_EQ(first.kind, Kind::Undecodable);
    EXPECT_EQ(first.library, Library{});
    EXPECT_EQ(Storage::load(disk), Library{});
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"}) << "a read keeps no copy";

    Library mine;
    mine.projects = {projectWithCue("Mine")};
    const Storage::SaveResult saved = writeOver(mine);
    ASSERT_TRUE(saved.written);
    const QStringList copies = asideCopies();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(saved.undecodableKeptAs, dataFolder() + "/" + copies.first());
    const auto match = QRegularExpression(R"(^projects-unreadable-(\d+)\.json$)").match(copies.first());
    ASSERT_TRUE(match.hasMatch()) << copies.first().toStdString();
    const qint64 seconds = match.captured(1).toLongLong();
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(readFile(dataFolder() + "/" + copies.first()), broken);
    EXPECT_EQ(Storage::load(disk), mine);
}

// Another program rewrites the file in place: every read in between finds
// something that does not decode, an empty file or a fragment. Neither the
// readers of this program nor those of another (the widget program) keep a
// copy of each; the one write over it keeps the last bytes, once. An empty
// file holds nothing to keep.
TEST_F(StorageTest, AFileRewrittenInPlaceIsKeptOnceByTheWriteAndNeverAsAnEmptyCopy) {
    const QByteArray whole = R"({"version": 2, "projects": [{"id": "not a project"}]})";
    for (qsizetype length : {qsizetype(0), qsizetype(9), qsizetype(23), whole.size()}) {
        writeFile(dataFile(), whole.left(length));
        testing::internal::CaptureStderr();
        EXPECT_EQ(Storage::read(disk).kind, Kind::Undecodable);
        test::expectInChild([&] { EXPECT_EQ(Storage::read(disk).kind, Kind::Undecodable); });
        testing::internal::GetCapturedStderr();
    }
    EXPECT_TRUE(asideCopies().isEmpty()) << asideCopies().join(", ").toStdString();

    Library mine;
    mine.projects = {projectWithCue("Mine")};
    ASSERT_TRUE(writeOver(mine).written);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().first()), whole);

    // Caught while it is empty, the file is written over with nothing kept.
    writeFile(dataFile(), "");
    test::expectInChild([&] { EXPECT_EQ(Storage::read(disk).kind, Kind::Undecodable); });
    const Storage::SaveResult overEmpty = writeOver(mine);
    ASSERT_TRUE(overEmpty.written);
    EXPECT_TRUE(overEmpty.undecodableKeptAs.isEmpty());
    EXPECT_EQ(asideCopies().size(), 1);
    for (const QString& name : asideCopies())
        EXPECT_GT(QFileInfo(dataFolder() + "/" + name).size(), 0) << name.toStdString();
}

// The kept copies are bounded: past ten, or past 128 MiB together, the oldest
// go, and the log says which. Only a writer removes any; a folder moved aside
// stays, and the copy just made is never the one removed.
TEST_F(StorageTest, KeptCopiesAreBoundedTheOldestGoingFirst) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QDir().mkpath(dataFolder());
    for (qint64 second = now - 100; second < now - 88; ++second)
        writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second), "older copy");
    writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json/inside.txt").arg(now - 200), "user data");
    writeFile(dataFile(), "broken edit");

    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read(disk).kind, Kind::Undecodable);
    test::expectInChild([&] { EXPECT_EQ(Storage::read(disk).kind, Kind::Undecodable); });
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(asideCopies().size(), 13) << "a read removes nothing";

    Library mine;
    mine.projects = {projectWithCue("Mine")};
    testing::internal::CaptureStderr();
    const Storage::SaveResult saved = Storage::save(
        disk, [&](const Library*) { return mine; }, false, FolderLock::patientFor(FolderLock::usualPatienceMs), nullptr,
        seenStill());
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(saved.written);
    QStringList plainCopies;
    for (const QString& name : asideCopies()) {
        if (QFileInfo(dataFolder() + "/" + name).isFile())
            plainCopies << name;
    }
    ASSERT_EQ(plainCopies.size(), 10) << plainCopies.join(", ").toStdString();
    EXPECT_EQ(readFile(dataFolder() + "/" + plainCopies.last()), "broken edit");
    EXPECT_EQ(saved.undecodableKeptAs, dataFolder() + "/" + plainCopies.last());
    // The three oldest went, each named in the log.
    for (qint64 second = now - 100; second < now - 97; ++second) {
        const QString name = QStringLiteral("projects-unreadable-%1.json").arg(second);
        EXPECT_FALSE(plainCopies.contains(name)) << name.toStdString();
        EXPECT_NE(log.find("removed " + (dataFolder() + "/" + name).toStdString()), std::string::npos) << log;
    }
    EXPECT_EQ(readFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json/inside.txt").arg(now - 200)),
              "user data");

    // Past the bytes: one large old copy goes for the next, small as it is.
    const QString large = dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(now - 90);
    ASSERT_EQ(::truncate(QFile::encodeName(large).constData(), qint64(200) * 1024 * 1024), 0); // sparse
    writeFile(dataFile(), "another broken edit");
    const Storage::SaveResult again = writeOver(mine);
    ASSERT_TRUE(again.written);
    EXPECT_FALSE(QFileInfo::exists(large));
    EXPECT_EQ(readFile(again.undecodableKeptAs), "another broken edit");
}

// The write keeps the bytes even when the name of this second is taken by
// other bytes (an editor saving twice).
TEST_F(StorageTest, UndecodableBytesAreKeptWhenTheNameOfThisSecondIsTaken) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 second = now; second < now + 3; ++second)
        writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second), "older copy");
    writeFile(dataFile(), "newest broken edit");

    ASSERT_TRUE(writeOver(Library{}).written);

    QStringList holdingEdit;
    for (const QString& name : asideCopies()) {
        if (readFile(dataFolder() + "/" + name) == "newest broken edit")
            holdingEdit << name;
    }
    ASSERT_EQ(holdingEdit.size(), 1) << asideCopies().join(", ").toStdString();
    EXPECT_EQ(asideCopies().size(), 4);
    EXPECT_EQ(readFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(now)), "older copy");
    EXPECT_EQ(holdingEdit.first(), asideCopies().last());

    // The same bytes again are not copied again.
    writeFile(dataFile(), "newest broken edit");
    ASSERT_TRUE(writeOver(Library{}).written);
    EXPECT_EQ(asideCopies().size(), 4);
}

TEST_F(StorageTest, MutateOnUndecodableFileChangesNothing) {
    writeFile(dataFile(), "{broken");
    bool changed = false;
    EXPECT_FALSE(Storage::mutate(disk, [&changed](Library&) { changed = true; }));
    EXPECT_FALSE(changed);
    EXPECT_EQ(readFile(dataFile()), "{broken");
    EXPECT_TRUE(asideCopies().isEmpty()) << "nothing written, nothing to keep";

    // The store's save still replaces it; the copy keeps the old bytes.
    ASSERT_TRUE(writeOver(Library{}).written);
    EXPECT_EQ(Storage::read(disk).kind, Kind::Decoded);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().first()), "{broken");
}

TEST_F(StorageTest, MutateOnMissingFileCreatesFolderAndFileWithDefaultTypes) {
    ASSERT_FALSE(QFileInfo::exists(dataFolder()));
    const AudioProject added = projectWithCue("New");
    EXPECT_TRUE(Storage::mutate(disk, [&added](Library& library) { library.projects.append(added); }));

    const auto stored = RecordCoding::decodeLibrary(readFile(dataFile()), test::fileTime());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->projects, QList<AudioProject>{added});
    EXPECT_EQ(stored->types, ProjectType::defaults());
    EXPECT_TRUE(readFile(dataFile()).contains("\"version\": 2"));
}

TEST_F(StorageTest, MutateThatChangesNothingWritesNothing) {
    // No file: none is made for an empty library.
    EXPECT_FALSE(Storage::mutate(
        disk, [](Library& library) { library.projects.removeIf([](const AudioProject&) { return true; }); }));
    EXPECT_FALSE(QFileInfo::exists(dataFile()));

    Library library;
    library.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(disk, library));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(dataFile()).constData(), &before), 0);
    EXPECT_FALSE(Storage::mutate(disk, [](Library& stored) { stored.projects.first().name = QStringLiteral("A"); }));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(dataFile()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(StorageTest, MutateChangesTheStoredLibrary) {
    Library library;
    library.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(disk, library));
    EXPECT_TRUE(Storage::mutate(disk, [](Library& stored) { stored.projects.first().name = "Renamed"; }));
    EXPECT_EQ(Storage::load(disk).projects.first().name, "Renamed");
}

// Tests run as root, where permissions do not stop reading: a folder in the
// data file's place gives a read error (EISDIR) for everyone.
TEST_F(StorageTest, UnreadableFileStaysWhereItIsAndMutateWritesNothing) {
    writeFile(dataFile() + "/inside.txt", "user data");

    testing::internal::CaptureStderr();
    bool changed = false;
    EXPECT_FALSE(Storage::mutate(disk, [&changed](Library&) { changed = true; }));
    const Storage::ReadResult result = Storage::read(disk);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel storage error: "), std::string::npos) << log;
    EXPECT_FALSE(changed);
    EXPECT_EQ(result.kind, Kind::Unreadable);
    EXPECT_EQ(result.library, Library{});
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(readFile(dataFile() + "/inside.txt"), "user data");
    EXPECT_TRUE(asideCopies().isEmpty());
    EXPECT_FALSE(Storage::save(disk, Library{}));
    EXPECT_EQ(readFile(dataFile() + "/inside.txt"), "user data");
}

TEST_F(StorageTest, SameReadErrorIsLoggedOnceUntilAGoodRead) {
    writeFile(dataFile() + "/inside.txt", "user data");
    testing::internal::CaptureStderr();
    Storage::read(disk);
    Storage::read(disk);
    Storage::mutate(disk, [](Library&) {});
    std::string log = testing::internal::GetCapturedStderr();
    size_t lines = 0;
    for (size_t at = log.find("cannot read"); at != std::string::npos; at = log.find("cannot read", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << log;

    ASSERT_TRUE(QDir(dataFile()).removeRecursively());
    writeFile(dataFile(), RecordCoding::encodeLibrary(Library{}));
    EXPECT_EQ(Storage::read(disk).kind, Kind::Decoded);
    ASSERT_TRUE(QFile::remove(dataFile()));
    writeFile(dataFile() + "/inside.txt", "user data");
    testing::internal::CaptureStderr();
    Storage::read(disk);
    log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("cannot read"), std::string::npos) << "a failure that comes back is reported again";
}

// Another process out of descriptors reads the file while it is good.
TEST_F(StorageTest, ReaderOutOfDescriptorsLeavesTheFileWhereItIs) {
    Library library;
    library.projects = {projectWithCue("A"), projectWithCue("B")};
    ASSERT_TRUE(Storage::save(disk, library));
    const QByteArray before = readFile(dataFile());

    const int kind = test::runInChild([&] {
        // The folder lock still opens; the data file does not.
        const test::DescriptorLimit limit(1);
        const Storage::ReadResult read = Storage::read(disk);
        const bool intentWrote = Storage::mutate(disk, [](Library& stored) { stored.projects.clear(); });
        return intentWrote ? 100 : int(read.kind);
    });
    EXPECT_EQ(kind, int(Kind::Unreadable));
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

Library resolvedAs(const Library* found, const Library& mine) {
    return found ? Library{found->projects + mine.projects, mine.types} : mine;
}

TEST_F(StorageTest, StoreSaveMovesAFolderInTheFilesPlaceAsideAndWrites) {
    writeFile(dataFile() + "/inside.txt", "user data");
    Library mine;
    mine.projects = {projectWithCue("Mine")};
    testing::internal::CaptureStderr();
    const Storage::SaveResult saved = Storage::save(
        disk, [&](const Library* found) { return resolvedAs(found, mine); }, false);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(saved.written) << saved.error.text().toStdString();
    EXPECT_EQ(saved.library, mine);
    EXPECT_EQ(Storage::load(disk), mine);
    const QStringList copies = asideCopies();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + copies.first() + "/inside.txt"), "user data");
}

TEST_F(StorageTest, StoreSaveMovesAsideWithoutReplacingAnyEarlierCopy) {
    writeFile(dataFile() + "/inside.txt", "user data");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 second = now; second < now + 30; ++second)
        writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second), "older copy");

    testing::internal::CaptureStderr();
    const Storage::SaveResult saved = Storage::save(
        disk, [](const Library*) { return Library{}; }, false);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(saved.written);
    // The folder moved aside, and the ten newest copies within the bound.
    EXPECT_EQ(asideCopies().size(), 11);
    for (qint64 second = now + 20; second < now + 30; ++second)
        EXPECT_EQ(readFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second)), "older copy");
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().last() + "/inside.txt"), "user data");
}

// A copy named after the largest number there is (a hand-made name) must not
// make the next name overflow: the next copies are numbered from the clock,
// whether the bytes are copied or the file is moved.
TEST_F(StorageTest, ACopyNamedAfterTheLargestNumberLeavesTheNextNamesFromTheClock) {
    const QString largest = QStringLiteral("projects-unreadable-9223372036854775807.json");
    writeFile(dataFolder() + "/" + largest, "hand-made copy");
    writeFile(dataFile(), "broken edit");

    ASSERT_TRUE(writeOver(Library{}).written);
    ASSERT_TRUE(QFile::remove(dataFile()));
    writeFile(dataFile() + "/inside.txt", "user data"); // a folder in the file's place is moved, not copied
    const Storage::SaveResult saved = writeOver(Library{});

    EXPECT_TRUE(saved.written);
    EXPECT_EQ(readFile(dataFolder() + "/" + largest), "hand-made copy");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QStringList kept;
    for (const QString& name : asideCopies()) {
        if (name == largest)
            continue;
        const auto match = QRegularExpression(R"(^projects-unreadable-(\d+)\.json$)").match(name);
        ASSERT_TRUE(match.hasMatch()) << name.toStdString();
        EXPECT_LE(match.captured(1).toLongLong(), now + 10) << name.toStdString();
        kept << name;
    }
    ASSERT_EQ(kept.size(), 2) << asideCopies().join(", ").toStdString();
    QStringList contents;
    for (const QString& name : kept) {
        const QString path = dataFolder() + "/" + name;
        contents << QString::fromUtf8(readFile(QFileInfo(path).isDir() ? path + "/inside.txt" : path));
    }
    contents.sort();
    EXPECT_EQ(contents, QStringList({"broken edit", "user data"}));
}

// A quota or a limited service caps how large a file may grow. A write past
// the cap fails as a full disk does, with the reason, in both programs (the
// widget's intents change the file, the application's store saves it): the
// process goes on, the file stays as it was and no temporary file is left.
TEST_F(StorageTest, AWritePastTheFileSizeLimitFailsAndLeavesTheFileAsItWas) {
    const Library held{{projectWithCue(QStringLiteral("Held"))}, ProjectType::defaults()};
    ASSERT_TRUE(Storage::save(disk, held));
    const QByteArray bytes = readFile(dataFile());
    AudioProject added = projectWithCue(QStringLiteral("Added"));
    added.notes = QString(4096, QLatin1Char('n'));

    test::expectInChild([&] {
        test::FileSizeCap cap(rlim_t(bytes.size()));
        ASSERT_TRUE(cap.isLowered());
        EXPECT_EQ(Storage::change(disk, [&](Library& library) { library.projects.append(added); }),
                  Storage::Change::NotWritten);
        const Storage::SaveResult saved = Storage::save(
            disk,
            [&](const Library* found) {
                Library grown = found ? *found : held;
                grown.projects.append(added);
                return grown;
            },
            false);
        EXPECT_FALSE(saved.written);
        EXPECT_EQ(saved.error.number, EFBIG);
        EXPECT_EQ(readFile(dataFile()), bytes);
        EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("projects.json")});

        // With room again the same change is written.
        cap.lift();
        EXPECT_EQ(Storage::change(disk, [&](Library& library) { library.projects.append(added); }),
                  Storage::Change::Written);
    });
    const Storage::ReadResult read = Storage::read(disk);
    ASSERT_EQ(read.kind, Kind::Decoded);
    ASSERT_EQ(read.library.projects.size(), 2);
    EXPECT_EQ(read.library.projects.at(1).notes, added.notes);
}

// Another program moves the data folder away and puts a copy in its place
// while a writer holds the folder: a second writer gets into the copy at once.
// The first notices before its rename that its lock no longer covers the
// data folder, and starts again there, so neither change is lost.
TEST_F(StorageTest, AFolderReplacedWhileAWriterHoldsItLosesNoChange) {
    const AudioProject first = projectWithCue(QStringLiteral("First"));
    const AudioProject second = projectWithCue(QStringLiteral("Second"));
    ASSERT_TRUE(Storage::save(disk, Library{{first}, ProjectType::defaults()}));

    int holding[2];
    int goOn[2];
    ASSERT_EQ(::pipe(holding), 0);
    ASSERT_EQ(::pipe(goOn), 0);
    std::fflush(nullptr);
    const pid_t writer = ::fork();
    if (writer == 0) {
        bool told = false;
        const bool written = Storage::mutate(disk, [&](Library& library) {
            library.projects.first().notes = QStringLiteral("from the first writer");
            if (!std::exchange(told, true)) {
                char byte = 1;
                if (::write(holding[1], &byte, 1) != 1 || ::read(goOn[0], &byte, 1) != 1)
                    ::_exit(2);
            }
        });
        ::_exit(written ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(holding[0], &byte, 1), 1);

    const QString moved = dataFolder() + QStringLiteral(".moved");
    ASSERT_TRUE(QDir().rename(dataFolder(), moved));
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_TRUE(QFile::copy(moved + QStringLiteral("/projects.json"), dataFile()));
    EXPECT_TRUE(Storage::mutate(disk, [&](Library& library) { library.projects.append(second); }));

    ASSERT_EQ(::write(goOn[1], &byte, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const int fd : {holding[0], holding[1], goOn[0], goOn[1]})
        ::close(fd);

    const Storage::ReadResult read = Storage::read(disk);
    ASSERT_EQ(read.kind, Kind::Decoded);
    ASSERT_EQ(read.library.projects.size(), 2);
    EXPECT_EQ(read.library.projects.at(0).notes, QStringLiteral("from the first writer"));
    EXPECT_EQ(read.library.projects.at(1).id, second.id);
}

// The names of the library's projects, in order, as one line.
std::string projectNames(const Library& library) {
    QStringList names;
    for (const AudioProject& project : library.projects)
        names << project.name;
    return names.join(QStringLiteral(", ")).toStdString();
}

// Another program replaces or removes the data file without the lock while a
// write of the store or the widget has read and merged it and is about to
// put its draft in the file's place. The write notices, reads and merges
// again, so that the other program's change is kept with its own: whether
// the file was replaced, appeared where there was none, or went away.
TEST_F(StorageTest, AFileReplacedDuringAWriteIsReadAgainAndMergedNotOverwritten) {
    const AudioProject held = projectWithCue(QStringLiteral("Held"));
    const AudioProject theirs = projectWithCue(QStringLiteral("Theirs"));
    const AudioProject mine = projectWithCue(QStringLiteral("Mine"));
    // The writes, each in the other process; 0 when it wrote.
    const auto storeSaves = [&] {
        const auto merged = [&](const Library* found) { return resolvedAs(found, Library{{mine}, {}}); };
        return Storage::save(disk, merged, false).written ? 0 : 1;
    };
    const auto changeAddsMine = [&] {
        const auto addMine = [&](Library& library) { library.projects.append(mine); };
        return Storage::change(disk, addMine) == Storage::Change::Written ? 0 : 1;
    };
    const auto widgetTaps = [&] {
        return AdjustProgressIntent{RecordCoding::idText(held.id), 0.1}.perform(disk) == IntentOutcome::Done ? 0 : 1;
    };
    const Library withHeld{{held}, ProjectType::defaults()};
    Library renamed = withHeld;
    renamed.projects.first().name = QStringLiteral("Renamed elsewhere");
    const auto renameOver = [&](const Library& library) {
        return [&, bytes = RecordCoding::encodeLibrary(library)] { test::renameOverWithoutTheLock(dataFile(), bytes); };
    };
    struct Case {
        const char* what;
        std::optional<Library> before; // the file the write reads; none: no file
        std::function<int()> write;
        std::function<void()> meanwhile; // another program, while the write is held
        std::string after; // the projects' names in the file afterwards
    };
    const std::vector<Case> cases{
        {"the store's save", withHeld, storeSaves, renameOver({{held, theirs}, {}}), "Held, Theirs, Mine"},
        {"a change", withHeld, changeAddsMine, renameOver({{held, theirs}, {}}), "Held, Theirs, Mine"},
        {"a change where there was no file", std::nullopt, changeAddsMine, renameOver({{theirs}, {}}), "Theirs, Mine"},
        {"a change whose file went away", withHeld, changeAddsMine, [&] { ASSERT_TRUE(QFile::remove(dataFile())); },
         "Mine"},
        {"the widget's tap", withHeld, widgetTaps, renameOver(renamed), "Renamed elsewhere"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        ASSERT_TRUE(QDir(dataFolder()).removeRecursively());
        if (each.before) {
            ASSERT_TRUE(Storage::save(disk, *each.before));
        }

        test::HeldWrite write(each.write);
        const int holds = write.actAtEachHold([&](int pass) {
            if (pass == 0)
                each.meanwhile();
        });
        EXPECT_EQ(write.finish(), 0);
        EXPECT_EQ(holds, 2) << "the write did not start again after the file was replaced";
        const Storage::ReadResult read = Storage::read(disk);
        ASSERT_EQ(read.kind, Kind::Decoded);
        EXPECT_EQ(projectNames(read.library), each.after);
        EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
    }
    EXPECT_DOUBLE_EQ(Storage::load(disk).projects.first().manualProgress, 0.1) << "the widget's tap, the last case";
}

// A program that keeps replacing the file while the write is held each time:
// after a few passes the write gives up as a failed write does (to be tried
// again later) and never overwrites what the other program wrote last.
TEST_F(StorageTest, AWriteWhoseFileIsReplacedAtEveryPassFailsAndOverwritesNothing) {
    const AudioProject mine = projectWithCue(QStringLiteral("Mine"));
    ASSERT_TRUE(Storage::save(disk, Library{{projectWithCue(QStringLiteral("Held"))}, ProjectType::defaults()}));
    QByteArray lastTheirs;
    const auto replaceEachTime = [&](int pass) {
        lastTheirs = RecordCoding::encodeLibrary(
            Library{{projectWithCue(QStringLiteral("Theirs %1").arg(pass))}, ProjectType::defaults()});
        test::renameOverWithoutTheLock(dataFile(), lastTheirs);
    };

    test::HeldWrite change([&] {
        testing::internal::CaptureStderr();
        FileError why;
        const Storage::Change changed = Storage::change(
            disk, [&](Library& library) { library.projects.append(mine); },
            FolderLock::patientFor(FolderLock::usualPatienceMs), &why);
        // The reason is the system's "in use", which the window says in its own language.
        return changed == Storage::Change::NotWritten && why.number == EBUSY ? 0 : 1;
    });
    EXPECT_GT(change.actAtEachHold(replaceEachTime), 1);
    EXPECT_EQ(change.finish(), 0) << "the change was written, or failed without the reason \"in use\"";
    EXPECT_EQ(readFile(dataFile()), lastTheirs);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});

    test::HeldWrite save([&] {
        testing::internal::CaptureStderr();
        const Storage::SaveResult saved = Storage::save(
            disk,
            [&](const Library* found) {
                return resolvedAs(found, Library{{mine}, {}});
            },
            false);
        return !saved.written && !saved.folderBusy && saved.error.number == EBUSY ? 0 : 1;
    });
    EXPECT_GT(save.actAtEachHold(replaceEachTime), 1);
    EXPECT_EQ(save.finish(), 0) << "the save was written, or failed without the reason \"in use\"";
    EXPECT_EQ(readFile(dataFile()), lastTheirs);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(StorageTest, StoreSaveMergesADecodedFileAndKeepsItAsideWhenAsked) {
    Library theirs;
    theirs.projects = {projectWithCue("Theirs")};
    ASSERT_TRUE(Storage::save(disk, theirs));
    const QByteArray before = readFile(dataFile());
    Library mine;
    mine.projects = {projectWithCue("Mine")};

    const Storage::SaveResult merged = Storage::save(
        disk, [&](const Library* found) { return resolvedAs(found, mine); }, false);
    ASSERT_TRUE(merged.written);
    EXPECT_EQ(merged.library.projects.size(), 2);
    EXPECT_EQ(Storage::load(disk), merged.library);
    EXPECT_TRUE(asideCopies().isEmpty()) << "a file the caller has seen needs no copy";

    const QByteArray seen = readFile(dataFile());
    ASSERT_TRUE(Storage::save(
                    disk, [&](const Library* found) { return resolvedAs(found, mine); }, true)
                    .written);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().first()), seen);
    EXPECT_NE(seen, before);
}

// The decoder fills in what a record may leave empty (a cue's number is its
// position): the store's next merge starts from what the file holds.
TEST_F(StorageTest, StoreSaveGivesTheLibraryTheWrittenFileHolds) {
    Library mine;
    mine.projects = {projectWithCue("Mine")};
    mine.projects.first().items.first().number.clear();
    const Storage::SaveResult saved = Storage::save(
        disk, [&](const Library*) { return mine; }, false);
    ASSERT_TRUE(saved.written);
    EXPECT_EQ(saved.library.projects.first().items.first().number, "");
    EXPECT_EQ(saved.library, Storage::load(disk));
    EXPECT_EQ(saved.resolved, mine);
}

// A passing error (here: out of descriptors) says nothing about the file; it
// is neither moved nor replaced, and the write waits for a later try.
TEST_F(StorageTest, StoreSaveWritesNothingWhenTheReadErrorMayPass) {
    Library library;
    library.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(disk, library));
    const QByteArray before = readFile(dataFile());
    const int written = test::runInChild([&] {
        const test::DescriptorLimit limit(1);
        return Storage::save(
                   disk, [](const Library*) { return Library{}; }, false)
                   .written
            ? 1
            : 0;
    });
    EXPECT_EQ(written, 0);
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(StorageTest, StaleDraftsOfThisProgramAreRemovedAndNothingElse) {
    const QString old = dataFolder() + "/.sorvel-draft-Ab12Cd";
    const QString fresh = dataFolder() + "/.sorvel-draft-Zz99Yy";
    const QStringList others{"projects.json.backup", ".sorvel-draft-toolongname", "notes.txt", "projects.json.Ab12Cd"};
    writeFile(old, "half");
    writeFile(fresh, "writing right now");
    for (const QString& name : others)
        writeFile(dataFolder() + "/" + name, "the user's");
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-120);
    for (const QString& path : QStringList{old}
             + QStringList{dataFolder() + "/" + others.at(0), dataFolder() + "/" + others.at(1),
                           dataFolder() + "/" + others.at(3)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }

    Storage::removeStaleDrafts(disk);
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(fresh));
    for (const QString& name : others)
        EXPECT_EQ(readFile(dataFolder() + "/" + name), "the user's") << name.toStdString();
}

// Another program writes through a link into a synced folder and is killed
// mid-write: the part it wrote stays in the link target's folder under a
// draft name. The next start removes it there too, under the same rules as
// in the data folder: only this program's names, and only once they are old.
TEST_F(StorageTest, ADraftLeftInTheLinkTargetsFolderIsRemovedAtTheNextStart) {
    const QString synced = environment.scratch() + "/synced";
    const QString target = synced + "/projects.json";
    Library library;
    library.projects = {projectWithCue("Linked")};
    writeFile(target, RecordCoding::encodeLibrary(library));
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_TRUE(QFile::link(target, dataFile()));
    const QDir syncedFolder(synced);
    const auto draftsThere = [&] {
        return syncedFolder.entryList({".sorvel-draft-*"}, QDir::Files | QDir::Hidden | QDir::System);
    };

    for (int i = 0; i < 20; ++i)
        library.projects.append(projectWithCue(QStringLiteral("More %1").arg(i)));
    const int status = test::runInChild([&] {
        // The write goes past the size cap, and the signal a cap raises ends the program.
        FileSizeLimit::failWritesWithError();
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit cap{rlim_t(readFile(target).size()), RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        Storage::mutate(disk, [&](Library& stored) { stored = library; });
        return 0;
    });
    ASSERT_EQ(status, -1) << "the writer was not killed mid-write";
    const QStringList left = draftsThere();
    ASSERT_EQ(left.size(), 1) << "the killed write left no draft beside the link's target";
    const QString draft = synced + "/" + left.first();
    EXPECT_FALSE(readFile(draft).isEmpty());
    EXPECT_EQ(Storage::load(disk).projects.size(), 1);

    // Younger than a minute it may be another writer's, right now.
    Storage::removeStaleDrafts(disk);
    EXPECT_TRUE(QFileInfo::exists(draft));

    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-120);
    test::setModified(draft, longAgo);
    writeFile(synced + "/.sorvel-draft-Ab12", "not one of ours");
    test::setModified(synced + "/.sorvel-draft-Ab12", longAgo);
    Storage::removeStaleDrafts(disk);
    EXPECT_FALSE(QFileInfo::exists(draft));
    EXPECT_EQ(draftsThere(), QStringList{".sorvel-draft-Ab12"}) << draftsThere().join(", ").toStdString();
    EXPECT_EQ(Storage::load(disk).projects.size(), 1);
}

// Another program renames its file over the data file while a write of this
// program's is held right before its swap, and the write is killed at each of
// its steps in turn: the kill right after the swap took that file out leaves it
// under the draft's name. The next start keeps it aside, its bytes intact.
TEST_F(StorageTest, AnotherProgramsFileThatAKilledWriteTookOutIsKeptAsideAtTheNextStart) {
    const QByteArray theirs =
        RecordCoding::encodeLibrary(Library{{projectWithCue(QStringLiteral("Theirs"))}, ProjectType::defaults()});
    // Steps are counted for writes that carry something; this one carries nothing.
    class CarriesNothing final : public Storage::Carried {
    public:
        int replacing(const Storage::WriteMark&) override { return 0; }
        void replaced(bool) override {}
        void notReplaced() override {}
    };
    QDir folder(dataFolder());
    QString draft;
    for (int step = 1; step <= 20 && draft.isEmpty(); ++step) {
        SCOPED_TRACE(testing::Message() << "killed after file operation " << step);
        folder.removeRecursively();
        ASSERT_TRUE(Storage::save(disk, Library{{projectWithCue(QStringLiteral("Read"))}, ProjectType::defaults()}));
        test::HeldWrite write([&] {
            qputenv("SORVEL_EXIT_AFTER_STEP", QByteArray::number(step));
            testing::internal::CaptureStderr(); // the child's log is of no use here
            CarriesNothing carried;
            Storage::save(
                disk,
                [](const Library* found) {
                    Library mine = found ? *found : Library{};
                    mine.projects.append(projectWithCue(QStringLiteral("Mine")));
                    return mine;
                },
                false, FolderLock::patientFor(FolderLock::usualPatienceMs), &carried);
            return 0;
        });
        write.actAtEachHold([&](int pass) {
            if (pass == 0)
                test::renameOverWithoutTheLock(dataFile(), theirs);
        });
        const int status = write.finish();
        ASSERT_TRUE(status == 0 || status == Storage::exitedAtStepStatus) << status;
        for (const QString& name : folder.entryList({".sorvel-draft-*"}, QDir::Files | QDir::Hidden | QDir::System)) {
            if (readFile(folder.filePath(name)) == theirs)
                draft = folder.filePath(name);
        }
    }
    ASSERT_FALSE(draft.isEmpty()) << "no kill left the other program's file under a draft's name";
    EXPECT_EQ(projectNames(Storage::load(disk)), "Read, Mine");

    test::setModified(draft, QDateTime::currentDateTime().addSecs(-120));
    testing::internal::CaptureStderr();
    Storage::removeStaleDrafts(disk);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(QFileInfo::exists(draft));
    const QStringList kept = folder.entryList({"projects-unreadable-*.json"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << kept.join(", ").toStdString();
    EXPECT_EQ(readFile(folder.filePath(kept.first())), theirs);
    EXPECT_NE(log.find("Sorvel storage error: " + draft.toStdString()), std::string::npos) << log;
    EXPECT_NE(log.find(kept.first().toStdString()), std::string::npos) << log;
    EXPECT_EQ(projectNames(Storage::load(disk)), "Read, Mine");
}

// A group, other than this process's own, that it may give its files (one of
// its supplementary groups; any group when it may change groups at will).
std::optional<gid_t> anotherUsableGroup(const QString& folder) {
    QList<gid_t> candidates;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> supplementary(size_t(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, supplementary.data()) == count)
        candidates.append(QList<gid_t>(supplementary.cbegin(), supplementary.cend()));
    ::setgrent();
    while (const group* entry = ::getgrent())
        candidates.append(entry->gr_gid);
    ::endgrent();

    const QByteArray probe = QFile::encodeName(folder + "/group-probe");
    const int fd = ::open(probe.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::nullopt;
    std::optional<gid_t> usable;
    for (const gid_t candidate : candidates) {
        if (candidate != ::getegid() && ::fchown(fd, uid_t(-1), candidate) == 0) {
            usable = candidate;
            break;
        }
    }
    ::close(fd);
    ::unlink(probe.constData());
    return usable;
}

struct ModeAndGroup {
    mode_t mode = 0;
    gid_t group = 0;
    bool operator==(const ModeAndGroup&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ModeAndGroup& shown) {
    return out << "mode " << std::oct << shown.mode << std::dec << ", group " << shown.group;
}

ModeAndGroup modeAndGroup(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return {info.st_mode & 07777, info.st_gid};
}

void giveModeAndGroup(const QString& path, const ModeAndGroup& wanted) {
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chown(name.constData(), uid_t(-1), wanted.group), 0) << std::strerror(errno);
    ASSERT_EQ(::chmod(name.constData(), wanted.mode), 0) << std::strerror(errno);
}

// A data file shared with a group (a studio's users, the audio group) and
// closed to others keeps both through every kind of write: the store's save,
// a change and a widget tap. Each write replaces the file with a new one.
TEST_F(StorageTest, EveryWriteKeepsTheFilesModeAndGroup) {
    const AudioProject project = projectWithCue("Shared");
    ASSERT_TRUE(Storage::save(disk, Library{{project}, ProjectType::defaults()}));
    const std::optional<gid_t> group = anotherUsableGroup(dataFolder());
    if (!group)
        GTEST_SKIP() << "this user may give files no group but its own, so no write can lose one";
    const ModeAndGroup shared{0640, *group};
    giveModeAndGroup(dataFile(), shared);

    const Storage::SaveResult saved = Storage::save(
        disk,
        [&](const Library* found) {
            Library next = *found;
            next.projects.append(projectWithCue("Store"));
            return next;
        },
        false);
    ASSERT_TRUE(saved.written);
    EXPECT_EQ(modeAndGroup(dataFile()), shared) << "after the store's save";

    ASSERT_EQ(Storage::change(disk, [](Library& library) { library.projects.append(projectWithCue("Change")); }),
              Storage::Change::Written);
    EXPECT_EQ(modeAndGroup(dataFile()), shared) << "after a change";

    ASSERT_EQ((AdjustProgressIntent{RecordCoding::idText(project.id), 0.1}.perform(disk)), IntentOutcome::Done);
    EXPECT_EQ(modeAndGroup(dataFile()), shared) << "after a widget tap";
    EXPECT_EQ(Storage::load(disk).projects.size(), 3);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

// Drops one capability of this process (only ever in a child process).
bool dropCapability(int capability) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    data[capability / 32].effective &= ~(1u << (capability % 32));
    return ::syscall(SYS_capset, &header, data) == 0;
}

// The file belongs to a group its writer is not in (root made it so): the
// system refuses that group to the new file. The write still happens, keeps
// the mode, and says once that the group was lost and why.
TEST_F(StorageTest, AGroupTheWriterMayNotGiveIsLoggedOnceAndTheModeIsKept) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a file of a group its writer is not in";
    const AudioProject project = projectWithCue("Shared");
    ASSERT_TRUE(Storage::save(disk, Library{{project}, ProjectType::defaults()}));
    const std::optional<gid_t> group = anotherUsableGroup(dataFolder());
    ASSERT_TRUE(group);
    giveModeAndGroup(dataFile(), {0640, *group});

    test::expectInChild([&] {
        ASSERT_TRUE(dropCapability(CAP_CHOWN));
        testing::internal::CaptureStderr();
        const IntentOutcome tapped = AdjustProgressIntent{RecordCoding::idText(project.id), 0.1}.perform(disk);
        const QString log = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(tapped, IntentOutcome::Done);
        EXPECT_DOUBLE_EQ(Storage::load(disk).projects.first().manualProgress, 0.1);
        EXPECT_EQ(modeAndGroup(dataFile()), (ModeAndGroup{0640, ::getegid()}));
        const QStringList said = log.split('\n').filter(QStringLiteral("group"));
        ASSERT_EQ(said.size(), 1) << log.toStdString();
        EXPECT_TRUE(said.first().contains(SystemErrorText::inEnglish(EPERM))) << log.toStdString();
        EXPECT_TRUE(said.first().contains(QString::number(*group))
                    || said.first().contains(::getgrgid(*group)->gr_name))
            << log.toStdString();
    });
}

// A pipe in the file's place would block the reader (the application at start,
// the widget at every timeline) until someone writes to it.
TEST_F(StorageTest, PipeInTheFilesPlaceIsUnreadableAndDoesNotBlock) {
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dataFile()).constData(), 0600), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read(disk).kind, Kind::Unreadable);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(QFileInfo(dataFile()).exists());
    EXPECT_TRUE(asideCopies().isEmpty());
}

TEST_F(StorageTest, FileWithoutReadPermissionCountsAsUnreadable) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading";
    writeFile(dataFile(), "{}");
    QFile::setPermissions(dataFile(), QFileDevice::WriteOwner);
    EXPECT_EQ(Storage::read(disk).kind, Kind::Unreadable);
    EXPECT_TRUE(QFileInfo::exists(dataFile()));
    EXPECT_TRUE(asideCopies().isEmpty());
}

TEST_F(StorageTest, DataFolderThatCannotBeMadeIsReportedAndNothingRuns) {
    writeFile(dataFolder(), "a file where the folder should be");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read(disk).kind, Kind::Unreadable);
    bool changed = false;
    EXPECT_FALSE(Storage::mutate(disk, [&changed](Library&) { changed = true; }));
    EXPECT_FALSE(Storage::save(disk, Library{}));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel storage error: "), std::string::npos) << log;
    EXPECT_FALSE(changed);
    EXPECT_EQ(readFile(dataFolder()), "a file where the folder should be");
}

// Stands for a full disk, in a child process only: writes beyond `bytes`
// fail with an error for as long as the cap lives.
struct FullDisk {
    explicit FullDisk(rlim_t bytes) : cap((FileSizeLimit::failWritesWithError(), bytes)) {}
    test::FileSizeCap cap;
};

TEST_F(StorageTest, WriteThatRunsOutOfSpaceFailsAndKeepsTheOldFile) {
    Library small;
    small.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(disk, small));
    const QByteArray before = readFile(dataFile());

    Library large = small;
    for (int i = 0; i < 20; ++i)
        large.projects.append(projectWithCue(QStringLiteral("P%1").arg(i)));
    test::expectInChild([&] {
        testing::internal::CaptureStderr();
        const FullDisk full(rlim_t(before.size()) + 64);
        EXPECT_FALSE(Storage::save(disk, large));
        EXPECT_FALSE(Storage::mutate(disk, [&large](Library& library) { library = large; }));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("Sorvel write error: "), std::string::npos) << log;
    });
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

// A hand-edited file that does not decode, on a disk too full for a copy of
// it: it is moved aside rather than written over, and stays whole.
TEST_F(StorageTest, UndecodableFileOnAFullDiskIsNeverOverwritten) {
    const QByteArray edited = QByteArray(R"({"version": 2, "projects": [)") + QByteArray(400, ' ') + "oops";
    writeFile(dataFile(), edited);
    Library mine;
    mine.projects = {projectWithCue("Mine")};
    // The caller has seen the file still as it is: it may be written over.
    const std::optional<Storage::FileIdentity> still = seenStill();
    ASSERT_TRUE(still);
    const auto save = [&] {
        return Storage::save(
            disk, [&](const Library*) { return mine; }, false, FolderLock::patientFor(5000), nullptr, still);
    };

    test::expectInChild([&] {
        testing::internal::CaptureStderr();
        const FullDisk full(64);
        EXPECT_FALSE(save().written);
        EXPECT_FALSE(save().written);
        testing::internal::GetCapturedStderr();
    });
    QStringList holding;
    for (const QString& entry : folderEntries()) {
        if (readFile(dataFolder() + "/" + entry) == edited)
            holding << entry;
    }
    // The write failed too, so the file went back where it was.
    EXPECT_EQ(holding, QStringList{"projects.json"}) << folderEntries().join(", ").toStdString();

    // With room again it is kept aside and the edit is written.
    ASSERT_TRUE(save().written);
    EXPECT_EQ(Storage::load(disk), mine);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().first()), edited);
}

// A file the caller has not seen, on a disk too full for a copy of it: it is
// moved aside for the write, and when the write fails too it goes back, so the
// next try still finds and merges its projects.
TEST_F(StorageTest, FileMovedAsideForAWriteThatFailsIsPutBack) {
    Library theirs;
    for (int i = 0; i < 5; ++i)
        theirs.projects.append(projectWithCue(QStringLiteral("Theirs %1").arg(i)));
    ASSERT_TRUE(Storage::save(disk, theirs));
    const QByteArray before = readFile(dataFile());
    Library mine;
    mine.projects = {projectWithCue("Mine")};

    test::expectInChild([&] {
        testing::internal::CaptureStderr();
        const FullDisk full(64);
        EXPECT_FALSE(Storage::save(
                         disk, [&](const Library* found) { return resolvedAs(found, mine); }, true)
                         .written);
        testing::internal::GetCapturedStderr();
    });
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});

    ASSERT_TRUE(Storage::save(
                    disk, [&](const Library* found) { return resolvedAs(found, mine); }, true)
                    .written);
    EXPECT_EQ(Storage::load(disk).projects.size(), 6);
    ASSERT_EQ(asideCopies().size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + asideCopies().first()), before);
}

} // namespace
} // namespace sorvel
