#include "core/WidgetIntents.h"
#include "core/DataFileFixture.h"
#include "core/RecordCoding.h"
#include "core/Storage.h"
#include "support/ChildProcess.h"
#include "support/SampleRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace sorvel {
namespace {

using test::projectWithCue;
using test::readFile;
using test::writeFile;

class WidgetIntentsTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    QString dataFile() const { return dataFolder() + "/projects.json"; }

    // Stores one project, manual or not, at the given progress; returns its id text.
    QString storeProject(double manualProgress, ProgressMode mode = ProgressMode::Manual) {
        AudioProject project = projectWithCue("P");
        project.progressMode = mode;
        project.manualProgress = manualProgress;
        project.updatedAt = QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        Library library;
        library.projects = {project};
        EXPECT_TRUE(Storage::save(disk, library));
        return RecordCoding::idText(project.id);
    }

    AudioProject storedProject() {
        const Library library = Storage::load(disk);
        return library.projects.isEmpty() ? AudioProject{} : library.projects.first();
    }

    static double stepped(double start, double delta) { return AdjustProgressIntent::steppedProgress(start, delta); }
};

// A file of the earlier format has cues without ids; the widget shows the ids
// its read gave them, and the intent's read of the same file must give the same.
TEST_F(WidgetIntentsTest, ToggleFindsACueOfAFileOfTheEarlierFormat) {
    ASSERT_TRUE(QDir().mkpath(dataFolder()));
    writeFile(dataFile(), R"({"version": 2, "projects": [
        {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Film", "items": [{"title": "A"}]}]})");
    const AudioProject shown = storedProject();
    ASSERT_EQ(shown.items.size(), 1);
    ASSERT_EQ(shown.items.first().stage, CueStage::NotStarted);

    ToggleItemIntent{RecordCoding::idText(shown.id), RecordCoding::idText(shown.items.first().id), CueStage::NotStarted}
        .perform(disk);

    const AudioProject stored = storedProject();
    ASSERT_EQ(stored.items.size(), 1);
    EXPECT_EQ(stored.items.first().id, shown.items.first().id);
    EXPECT_NE(stored.items.first().stage, CueStage::NotStarted);
}

// The button shows one cue; the cue the tap finds under its identifier must
// still read as shown, number, title and stage, or nothing is changed and the
// tap says why. A project gone from the file is said to be gone.
TEST_F(WidgetIntentsTest, ATapActsOnlyOnTheCueAndTapeItShowed) {
    const AudioProject project = projectWithCue("P");
    Library library;
    library.projects = {project};
    ASSERT_TRUE(Storage::save(disk, library));
    const Cue& cue = project.items.first();
    const QString projectID = RecordCoding::idText(project.id);
    const QString cueID = RecordCoding::idText(cue.id);
    const QByteArray before = readFile(dataFile());
    const auto shown = [&](const QString& number, const QString& title, CueStage stage) {
        return ToggleItemIntent{projectID, cueID, stage, number, title};
    };

    EXPECT_EQ(shown("2", cue.title, cue.stage).perform(disk), IntentOutcome::TapeChanged);
    EXPECT_EQ(shown(cue.number, "Another", cue.stage).perform(disk), IntentOutcome::TapeChanged);
    EXPECT_EQ(shown(cue.number, cue.title, CueStage::Mixed).perform(disk), IntentOutcome::TapeChanged);
    EXPECT_EQ((ToggleItemIntent{projectID, RecordCoding::idText(QUuid::createUuid()), cue.stage, cue.number, cue.title}
                   .perform(disk)),
              IntentOutcome::TapeChanged);
    const QString gone = RecordCoding::idText(QUuid::createUuid());
    EXPECT_EQ((ToggleItemIntent{gone, cueID, cue.stage, cue.number, cue.title}.perform(disk)), IntentOutcome::TapeGone);
    EXPECT_EQ((AdjustProgressIntent{gone, 0.1}.perform(disk)), IntentOutcome::TapeGone);
    EXPECT_EQ(readFile(dataFile()), before);

    EXPECT_EQ(shown(cue.number, cue.title, cue.stage).perform(disk), IntentOutcome::Done);
    EXPECT_EQ(storedProject().items.first().stage, CueStage::Composing);
}

// Under a file-size limit (a quota, a limited service) the changed file
// cannot be written: the tap says so, with the system's reason, and the file
// stays as it was. A tap that had nothing to write is no failure.
TEST_F(WidgetIntentsTest, ATapWhoseWriteFailsSaysWhy) {
    const AudioProject project = projectWithCue("P");
    ASSERT_TRUE(Storage::save(disk, Library{{project}, ProjectType::defaults()}));
    const QString projectID = RecordCoding::idText(project.id);
    const Cue& cue = project.items.first();
    const QByteArray before = readFile(dataFile());

    test::expectInChild([&] {
        const test::FileSizeCap cap(rlim_t(before.size() - 1));
        ASSERT_TRUE(cap.isLowered());
        testing::internal::CaptureStderr();
        FileError stepped;
        EXPECT_EQ((AdjustProgressIntent{projectID, 0.1}.perform(disk, FolderLock::noWait(), &stepped)),
                  IntentOutcome::WriteFailed);
        EXPECT_EQ(stepped.number, EFBIG);
        FileError advanced;
        EXPECT_EQ((ToggleItemIntent{projectID, RecordCoding::idText(cue.id), cue.stage, cue.number, cue.title}.perform(
                      disk, FolderLock::noWait(), &advanced)),
                  IntentOutcome::WriteFailed);
        EXPECT_EQ(advanced.number, EFBIG);
        FileError unchanged;
        EXPECT_EQ((AdjustProgressIntent{projectID, -0.1}.perform(disk, FolderLock::noWait(), &unchanged)),
                  IntentOutcome::Done);
        EXPECT_TRUE(unchanged.isEmpty());
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(readFile(dataFile()), before);
    });
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
}

TEST_F(WidgetIntentsTest, ProgressStepsRoundToTenthsWithinZeroToOne) {
    EXPECT_EQ(stepped(0.95, 0.1), 1.0);
    EXPECT_EQ(stepped(0.0, -0.1), 0.0);
    EXPECT_EQ(stepped(0.2, 0.1), 0.3); // exactly, not 0.30000000000000004
    EXPECT_EQ(stepped(0.25, 0.1), 0.4);
    EXPECT_EQ(stepped(0.5, -0.25), 0.3); // 2.5 rounds away from zero
    EXPECT_EQ(stepped(5, 0.1), 1.0); // hand-edited values outside 0…1
    EXPECT_EQ(stepped(-3, 0.1), 0.0);
    EXPECT_EQ(stepped(0.5, 1e308), 1.0);
    EXPECT_EQ(stepped(std::numeric_limits<double>::quiet_NaN(), 0.1), 0.1);
}

TEST_F(WidgetIntentsTest, AdjustProgressStoresTheStepAndTouchesTheProject) {
    const QString id = storeProject(0.2);
    AdjustProgressIntent{id, 0.1}.perform(disk);
    const AudioProject project = storedProject();
    EXPECT_EQ(project.manualProgress, 0.3);
    EXPECT_EQ(project.status, ProjectStatus::InProgress);
    EXPECT_GT(project.updatedAt, QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(project.progressMode, ProgressMode::Manual);
}

TEST_F(WidgetIntentsTest, AdjustProgressInAutomaticModeStoresTheValueButKeepsTheMode) {
    const QString id = storeProject(0.0, ProgressMode::Auto);
    AdjustProgressIntent{id.toLower(), 0.1}.perform(disk);
    EXPECT_EQ(storedProject().manualProgress, 0.1);
    EXPECT_EQ(storedProject().progressMode, ProgressMode::Auto);
}

TEST_F(WidgetIntentsTest, NonFiniteStepLeavesTheFileUntouched) {
    const QString id = storeProject(0.5);
    const QByteArray before = readFile(dataFile());
    const QDateTime modified = QFileInfo(dataFile()).lastModified();
    AdjustProgressIntent{id, std::numeric_limits<double>::quiet_NaN()}.perform(disk);
    AdjustProgressIntent{id, std::numeric_limits<double>::infinity()}.perform(disk);
    EXPECT_EQ(readFile(dataFile()), before);
    EXPECT_EQ(QFileInfo(dataFile()).lastModified(), modified);
}

TEST_F(WidgetIntentsTest, ToggleAdvancesTheCueFoundByLowerCaseIdentifiers) {
    AudioProject project = projectWithCue("P", CueStage::Delivered);
    project.items.first().deliveredAt = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    Library library;
    library.projects = {project};
    ASSERT_TRUE(Storage::save(disk, library));

    ToggleItemIntent{RecordCoding::idText(project.id).toLower(),
                     RecordCoding::idText(project.items.first().id).toLower()}
        .perform(disk);
    const Cue cue = storedProject().items.first();
    EXPECT_EQ(cue.stage, CueStage::Mixed);
    EXPECT_FALSE(cue.deliveredAt);
}

TEST_F(WidgetIntentsTest, BadIdentifiersReturnWithoutReadingTheFile) {
    // Reading an undecodable file logs it; no log means no read.
    writeFile(dataFile(), "not json");
    const QString valid = RecordCoding::idText(QUuid::createUuid());
    testing::internal::CaptureStderr();
    ToggleItemIntent{QString(), valid}.perform(disk);
    ToggleItemIntent{valid, QStringLiteral("{") + valid + QStringLiteral("}")}.perform(disk);
    AdjustProgressIntent{QString(), 0.1}.perform(disk);
    AdjustProgressIntent{QStringLiteral("project"), 0.1}.perform(disk);
    const std::string unread = testing::internal::GetCapturedStderr();
    EXPECT_EQ(unread.find("Sorvel decode error: "), std::string::npos) << unread;
    EXPECT_EQ(readFile(dataFile()), "not json");

    // A valid identifier does read it, and then writes nothing, nor keeps a copy.
    testing::internal::CaptureStderr();
    AdjustProgressIntent{valid, 0.1}.perform(disk);
    const std::string read = testing::internal::GetCapturedStderr();
    EXPECT_NE(read.find("Sorvel decode error: "), std::string::npos) << read;
    EXPECT_EQ(readFile(dataFile()), "not json");
    EXPECT_TRUE(asideCopies().isEmpty());
}

TEST_F(WidgetIntentsTest, UnknownProjectWritesTheLibraryBackUnchanged) {
    const QString id = storeProject(0.5);
    const Library before = Storage::load(disk);
    AdjustProgressIntent{RecordCoding::idText(QUuid::createUuid()), 0.1}.perform(disk);
    ToggleItemIntent{id, RecordCoding::idText(QUuid::createUuid())}.perform(disk);
    EXPECT_EQ(Storage::load(disk), before);
}

TEST_F(WidgetIntentsTest, MissingFileStaysMissing) {
    ToggleItemIntent{RecordCoding::idText(QUuid::createUuid()), RecordCoding::idText(QUuid::createUuid())}.perform(
        disk);
    AdjustProgressIntent{RecordCoding::idText(QUuid::createUuid()), 0.1}.perform(disk);
    EXPECT_EQ(Storage::read(disk).kind, Storage::ReadResult::Kind::Missing);
    EXPECT_TRUE(folderEntries().isEmpty());
}

// A tap that changes nothing (a step past the end of the range, a cue that
// moved on since the button was drawn) neither stamps nor rewrites the file.
TEST_F(WidgetIntentsTest, TapThatChangesNothingWritesNothing) {
    const QString id = storeProject(1.0);
    const AudioProject before = storedProject();
    const QString cue = RecordCoding::idText(before.items.first().id);
    const auto inode = [this] {
        struct stat info {};
        EXPECT_EQ(::stat(QFile::encodeName(dataFile()).constData(), &info), 0);
        return info.st_ino;
    };
    const ino_t original = inode();

    AdjustProgressIntent{id, 0.1}.perform(disk);
    ToggleItemIntent{id, cue, CueStage::Mixed}.perform(disk);
    EXPECT_EQ(inode(), original);
    EXPECT_EQ(storedProject(), before);

    // The control: a tap that does change something is written.
    AdjustProgressIntent{id, -0.1}.perform(disk);
    EXPECT_NE(inode(), original);
    EXPECT_EQ(storedProject().manualProgress, 0.9);
}

} // namespace
} // namespace sorvel
