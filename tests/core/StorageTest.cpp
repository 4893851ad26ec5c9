#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "core/DataFolder.h"
#include "core/DataFileFixture.h"
#include "support/SampleRecords.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvel {
namespace {

using test::projectWithCue;
using test::readFile;
using test::writeFile;
using Kind = Storage::ReadResult::Kind;

class StorageTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    QString dataFile() const { return dataFolder() + QStringLiteral("/projects.json"); }

    static void waitForNextSecond() {
        const qint64 start = QDateTime::currentSecsSinceEpoch();
        while (QDateTime::currentSecsSinceEpoch() == start)
            QThread::msleep(20);
    }
};

TEST_F(StorageTest, DataFileLivesInTheDataFolderOfTheEnvironment) {
    EXPECT_EQ(Storage::directory(), dataFolder());
    EXPECT_EQ(Storage::filePath(), dataFile());
    EXPECT_EQ(DataFolder::legacyDirectory(), environment.dataHome() + "/Pinwale");
}

TEST_F(StorageTest, SavedLibraryLoadsBackAndLeavesOnlyTheDataFile) {
    Library library;
    library.projects = {projectWithCue("A"), projectWithCue("B", CueStage::Delivered)};
    library.types = {ProjectType::defaults().at(2)};
    ASSERT_TRUE(Storage::save(library));

    const Storage::ReadResult result = Storage::read();
    EXPECT_EQ(result.kind, Kind::Decoded);
    EXPECT_EQ(result.library, library);
    EXPECT_EQ(Storage::load(), library);
    // No lock file and no temporary file stay behind.
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(StorageTest, MissingFileReadsAsTheEmptyLibraryAndWritesNothing) {
    const Storage::ReadResult result = Storage::read();
    EXPECT_EQ(result.kind, Kind::Missing);
    EXPECT_EQ(result.library, Library{});
    EXPECT_TRUE(QFileInfo(dataFolder()).isDir());
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(StorageTest, UndecodableFileIsLoggedCopiedAsideOnceAndKeptInPlace) {
    const QByteArray broken = R"({"version": 2, "projects": [{"id": "x"}]})";
    writeFile(dataFile(), broken);
    const qint64 before = QDateTime::currentSecsSinceEpoch();

    testing::internal::CaptureStderr();
    const Storage::ReadResult first = Storage::read();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel decode error: "), std::string::npos) << log;
    EXPECT_EQ(first.kind, Kind::Undecodable);
    EXPECT_EQ(first.library, Library{});
    EXPECT_EQ(Storage::load(), Library{});

    const QStringList copies = asideCopies();
    ASSERT_EQ(copies.size(), 1);
    const auto match = QRegularExpression(R"(^projects-unreadable-(\d+)\.json$)").match(copies.first());
    ASSERT_TRUE(match.hasMatch()) << copies.first().toStdString();
    const qint64 seconds = match.captured(1).toLongLong();
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(readFile(dataFolder() + "/" + copies.first()), broken);
    EXPECT_EQ(readFile(dataFile()), broken);
}

TEST_F(StorageTest, SameUndecodableBytesAreCopiedOnlyOnceAcrossSeconds) {
    writeFile(dataFile(), "not json");
    Storage::load();
    waitForNextSecond();
    Storage::load();
    EXPECT_EQ(asideCopies().size(), 1);

    writeFile(dataFile(), "still not json");
    Storage::load();
    const QStringList copies = asideCopies();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(readFile(dataFolder() + "/" + copies.last()), "still not json");
}

// The next save replaces the undecodable file, so its bytes must be kept even
// when the name of this second is taken by other bytes (an editor saving twice).
TEST_F(StorageTest, UndecodableBytesAreKeptWhenTheNameOfThisSecondIsTaken) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 second = now; second < now + 3; ++second)
        writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second), "older copy");
    writeFile(dataFile(), "newest broken edit");

    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read().kind, Kind::Undecodable);
    EXPECT_EQ(Storage::read().kind, Kind::Undecodable);
    testing::internal::GetCapturedStderr();

    QStringList holdingEdit;
    for (const QString& name : asideCopies()) {
        if (readFile(dataFolder() + "/" + name) == "newest broken edit")
            holdingEdit << name;
    }
    ASSERT_EQ(holdingEdit.size(), 1) << asideCopies().join(", ").toStdString();
    EXPECT_EQ(asideCopies().size(), 4);
    EXPECT_EQ(readFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(now)), "older copy");
    // It is the newest copy, so the same bytes found again are not copied again.
    EXPECT_EQ(holdingEdit.first(), asideCopies().last());
}

TEST_F(StorageTest, MutateOnUndecodableFileChangesNothing) {
    writeFile(dataFile(), "{broken");
    bool changed = false;
    EXPECT_FALSE(Storage::mutate([&changed](Library&) { changed = true; }));
    EXPECT_FALSE(changed);
    EXPECT_EQ(readFile(dataFile()), "{broken");
    EXPECT_EQ(asideCopies().size(), 1);

    // A save still replaces it; the copy keeps the old bytes.
    ASSERT_TRUE(Storage::save(Library{}));
    EXPECT_EQ(Storage::read().kind, Kind::Decoded);
    EXPECT_EQ(asideCopies().size(), 1);
}

TEST_F(StorageTest, MutateOnMissingFileCreatesFolderAndFileWithDefaultTypes) {
    ASSERT_FALSE(QFileInfo::exists(dataFolder()));
    const AudioProject added = projectWithCue("New");
    EXPECT_TRUE(Storage::mutate([&added](Library& library) { library.projects.append(added); }));

    const auto stored = RecordCoding::decodeLibrary(readFile(dataFile()));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->projects, QList<AudioProject>{added});
    EXPECT_EQ(stored->types, ProjectType::defaults());
    EXPECT_TRUE(readFile(dataFile()).contains("\"version\": 2"));
}

TEST_F(StorageTest, MutateChangesTheStoredLibrary) {
    Library library;
    library.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(library));
    EXPECT_TRUE(Storage::mutate([](Library& stored) { stored.projects.first().name = "Renamed"; }));
    EXPECT_EQ(Storage::load().projects.first().name, "Renamed");
}

// Tests run as root, where permissions do not stop reading: a folder in the
// data file's place gives a read error (EISDIR) for everyone.
TEST_F(StorageTest, UnreadableFileIsMovedAsideAndNotReplacedByThatMutation) {
    writeFile(dataFile() + "/inside.txt", "user data");

    testing::internal::CaptureStderr();
    bool changed = false;
    EXPECT_FALSE(Storage::mutate([&changed](Library&) { changed = true; }));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel storage error: "), std::string::npos) << log;
    EXPECT_FALSE(changed);
    EXPECT_FALSE(QFileInfo::exists(dataFile()));

    const QStringList copies = asideCopies();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(dataFolder() + "/" + copies.first() + "/inside.txt"), "user data");

    // With the place free again, the next change starts a new file.
    EXPECT_TRUE(Storage::mutate([](Library&) {}));
    EXPECT_EQ(Storage::read().kind, Kind::Decoded);
}

TEST_F(StorageTest, UnreadableFileThatCannotBeMovedStaysAndIsNeverOverwritten) {
    writeFile(dataFile() + "/inside.txt", "user data");
    // Every name a move could take in the next seconds is already used.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (qint64 second = now; second < now + 30; ++second)
        writeFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(second), "older copy");

    const Storage::ReadResult result = Storage::read();
    EXPECT_EQ(result.kind, Kind::Unreadable);
    EXPECT_EQ(result.library, Library{});
    EXPECT_FALSE(Storage::mutate([](Library&) {}));
    EXPECT_FALSE(Storage::save(Library{}));
    EXPECT_EQ(readFile(dataFile() + "/inside.txt"), "user data");
    EXPECT_EQ(readFile(dataFolder() + QStringLiteral("/projects-unreadable-%1.json").arg(now)), "older copy");
}

// A pipe in the file's place would block the reader (the application at start,
// the widget at every timeline) until someone writes to it.
TEST_F(StorageTest, PipeInTheFilesPlaceIsUnreadableAndDoesNotBlock) {
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dataFile()).constData(), 0600), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read().kind, Kind::Unreadable);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
    EXPECT_EQ(asideCopies().size(), 1);
}

TEST_F(StorageTest, FileWithoutReadPermissionCountsAsUnreadable) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading";
    writeFile(dataFile(), "{}");
    QFile::setPermissions(dataFile(), QFileDevice::WriteOwner);
    EXPECT_EQ(Storage::read().kind, Kind::Unreadable);
    EXPECT_FALSE(QFileInfo::exists(dataFile()));
    EXPECT_EQ(asideCopies().size(), 1);
}

TEST_F(StorageTest, DataFolderThatCannotBeMadeIsReportedAndNothingRuns) {
    writeFile(dataFolder(), "a file where the folder should be");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Storage::read().kind, Kind::Unreadable);
    bool changed = false;
    EXPECT_FALSE(Storage::mutate([&changed](Library&) { changed = true; }));
    EXPECT_FALSE(Storage::save(Library{}));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Sorvel storage error: "), std::string::npos) << log;
    EXPECT_FALSE(changed);
    EXPECT_EQ(readFile(dataFolder()), "a file where the folder should be");
}

// Stands for a full disk: writes beyond `bytes` fail for as long as it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }

private:
    rlimit m_saved{};
    void (*m_savedSignal)(int) = SIG_DFL;
};

TEST_F(StorageTest, WriteThatRunsOutOfSpaceFailsAndKeepsTheOldFile) {
    Library small;
    small.projects = {projectWithCue("A")};
    ASSERT_TRUE(Storage::save(small));
    const QByteArray before = readFile(dataFile());

    Library large = small;
    for (int i = 0; i < 20; ++i)
        large.projects.append(projectWithCue(QStringLiteral("P%1").arg(i)));
    testing::internal::CaptureStderr();
    bool saved = true;
    bool mutated = true;
    {
        const FileSizeLimit limit(rlim_t(before.size()) + 64);
        saved = Storage::save(large);
        mutated = Storage::mutate([&large](Library& library) { library = large; });
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved);
    EXPECT_FALSE(mutated);
    EXPECT_NE(log.find("Sorvel write error: "), std::string::npos) << log;
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

} // namespace
} // namespace sorvel
