#include "core/LegacyMigration.h"
#include "core/DataFileFixture.h"
#include "core/DataFolder.h"
#include "core/Settings.h"
#include "core/Storage.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace sorvel {
namespace {

using test::readFile;
using test::writeFile;

class LegacyMigrationTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    QString legacyFolder() const { return environment.dataHome() + "/Pinwale"; }
    QString dataFile() const { return dataFolder() + "/projects.json"; }

    static QByteArray fileWithProject(const QString& name) {
        return QStringLiteral(
                   R"({"version": 2, "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "%1"}]})")
            .arg(name)
            .toUtf8();
    }
};

TEST_F(LegacyMigrationTest, LegacyFolderIsTheSiblingOfTheDataFolder) {
    EXPECT_EQ(DataFolder::legacyDirectory(), legacyFolder());
}

TEST_F(LegacyMigrationTest, NothingIsCopiedWhenOurDataFileExists) {
    writeFile(dataFile(), fileWithProject("Ours"));
    writeFile(legacyFolder() + "/projects.json", fileWithProject("Theirs"));
    writeFile(legacyFolder() + "/notes.txt", "old");
    LegacyMigration::migrateData(disk);
    EXPECT_EQ(folderEntries(), QStringList{"projects.json"});
    EXPECT_EQ(Storage::load(disk).projects.first().name, "Ours");
}

// A kept-aside copy is this program's own earlier data: the data file may be
// gone because a write moved it aside, and years-old projects must not appear.
TEST_F(LegacyMigrationTest, NothingIsCopiedWhileAKeptAsideCopyExists) {
    writeFile(dataFolder() + "/projects-unreadable-1700000000.json", "ours, kept aside");
    writeFile(legacyFolder() + "/projects.json", fileWithProject("Theirs"));
    LegacyMigration::migrateData(disk);
    EXPECT_EQ(folderEntries(), QStringList{"projects-unreadable-1700000000.json"});
    EXPECT_TRUE(Storage::load(disk).projects.isEmpty());
}

TEST_F(LegacyMigrationTest, WholeFolderIsCopiedWhenOurDataFileIsMissing) {
    writeFile(legacyFolder() + "/projects.json", fileWithProject("Theirs"));
    writeFile(legacyFolder() + "/projects-unreadable-1.json", "old copy");
    writeFile(legacyFolder() + "/.hidden", "hidden");
    writeFile(legacyFolder() + "/Backups/2023/projects.json", "backup");
    // An entry we already have is kept as it is.
    writeFile(dataFolder() + "/notes.txt", "ours");
    writeFile(legacyFolder() + "/notes.txt", "theirs");

    LegacyMigration::migrateData(disk);

    EXPECT_EQ(folderEntries(),
              (QStringList{".hidden", "Backups", "notes.txt", "projects-unreadable-1.json", "projects.json"}));
    EXPECT_EQ(readFile(dataFolder() + "/Backups/2023/projects.json"), "backup");
    EXPECT_EQ(readFile(dataFolder() + "/notes.txt"), "ours");
    EXPECT_EQ(Storage::load(disk).projects.first().name, "Theirs");
    // The old folder is left as it was.
    EXPECT_EQ(readFile(legacyFolder() + "/notes.txt"), "theirs");
    EXPECT_EQ(readFile(legacyFolder() + "/projects.json"), fileWithProject("Theirs"));
}

// Projects of the earlier product carry no dates: they read with the time its
// file was last written, not the time of the copy.
TEST_F(LegacyMigrationTest, CopiedDataFileKeepsItsModificationTime) {
    writeFile(legacyFolder() + "/projects.json", fileWithProject("Theirs"));
    const QDateTime modified(QDate(2022, 8, 9), QTime(10, 11, 12), Qt::UTC);
    test::setModified(legacyFolder() + "/projects.json", modified);
    LegacyMigration::migrateData(disk);
    const QList<AudioProject> projects = Storage::load(disk).projects;
    ASSERT_EQ(projects.size(), 1);
    EXPECT_EQ(projects.first().createdAt, modified);
    EXPECT_EQ(projects.first().updatedAt, modified);
}

// A data file kept behind a relative link: the copy is written from then on,
// so it must not lead back into the old folder.
TEST_F(LegacyMigrationTest, RelativeLinksAreCopiedAsTheyAreAndWritesStayInTheNewFolder) {
    writeFile(legacyFolder() + "/data/current.json", fileWithProject("Theirs"));
    ASSERT_TRUE(QFile::link("data/current.json", legacyFolder() + "/projects.json"));

    LegacyMigration::migrateData(disk);
    EXPECT_EQ(QFileInfo(dataFile()).symLinkTarget(), dataFolder() + "/data/current.json");
    ASSERT_EQ(Storage::load(disk).projects.first().name, "Theirs");

    Library changed = Storage::load(disk);
    changed.projects.first().name = QStringLiteral("Ours now");
    ASSERT_TRUE(Storage::save(disk, changed));
    EXPECT_EQ(Storage::load(disk).projects.first().name, "Ours now");
    EXPECT_EQ(readFile(legacyFolder() + "/data/current.json"), fileWithProject("Theirs"));
}

TEST_F(LegacyMigrationTest, NothingIsCopiedWithoutAnOldDataFile) {
    writeFile(legacyFolder() + "/notes.txt", "old");
    LegacyMigration::migrateData(disk);
    EXPECT_TRUE(folderEntries().isEmpty());
}

TEST_F(LegacyMigrationTest, DataIsCopiedAgainAfterOurFileWasDeleted) {
    writeFile(legacyFolder() + "/projects.json", fileWithProject("Theirs"));
    LegacyMigration::migrateData(disk);
    ASSERT_TRUE(QFile::remove(dataFile()));
    LegacyMigration::migrateData(disk);
    EXPECT_EQ(readFile(dataFile()), fileWithProject("Theirs"));
}

class LegacySettingsTest : public ::testing::Test {
protected:
    test::TestEnvironment environment;
    PosixFileSystem disk;
    Settings settings{disk, environment.configHome() + "/sorvel/sorvel.conf"};
    Settings legacy{disk, environment.configHome() + "/pinwale/pinwale.conf"};
};

TEST_F(LegacySettingsTest, AppearanceArchiveAndEdgePanelKeysAreCopiedOnce) {
    legacy.setValue("appearance.accent", "FF2D55");
    legacy.setValue("edgePanelSide", "right");
    legacy.setValue("archiveDirectory", "/home/user/Archive");
    legacy.setValue("shelfMode", "list");
    legacy.setValue("Appearance.other", "x");
    settings.setValue("edgePanelSide", "left");

    LegacyMigration::migrateSettings(settings, legacy);
    EXPECT_EQ(settings.string("appearance.accent"), "FF2D55");
    EXPECT_EQ(settings.string("edgePanelSide"), "right");
    EXPECT_EQ(settings.string("archiveDirectory"), "/home/user/Archive");
    EXPECT_FALSE(settings.contains("shelfMode"));
    EXPECT_FALSE(settings.contains("Appearance.other"));
    EXPECT_TRUE(settings.boolean("migratedFromPinwale", false));

    legacy.setValue("appearance.accent", "00FF00");
    LegacyMigration::migrateSettings(settings, legacy);
    EXPECT_EQ(settings.string("appearance.accent"), "FF2D55");
}

TEST_F(LegacySettingsTest, MissingOldSettingsStillSetTheFlag) {
    LegacyMigration::migrateSettings(settings, legacy);
    EXPECT_TRUE(settings.boolean("migratedFromPinwale", false));
    EXPECT_EQ(settings.keys(), QStringList{"migratedFromPinwale"});
}

TEST(LegacyApplicationSettingsTest, TheApplicationsSettingsReadTheOldSettingsFile) {
    const test::TestEnvironment environment;
    PosixFileSystem disk;
    writeFile(Settings::legacyFilePath(), "[General]\nedgePanelEnabled=false\n");
    Settings settings(disk, Settings::applicationFilePath());

    LegacyMigration::migrateSettings(disk, settings);
    EXPECT_FALSE(settings.boolean("edgePanelEnabled", true));
    EXPECT_TRUE(settings.boolean("migratedFromPinwale", false));
}

} // namespace
} // namespace sorvel
