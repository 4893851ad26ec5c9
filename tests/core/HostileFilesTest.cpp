#include "core/DataFileFixture.h"
#include "core/DataFolder.h"
#include "core/LegacyMigration.h"
#include "core/Settings.h"
#include "core/Storage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace sorvel {
namespace {

using test::readFile;
using test::writeFile;

// Files the application opens on its own are often replaced by things that
// are not files: a FIFO blocks an open for ever, a device node must never be
// replaced or written.
class HostileFilesTest : public ::testing::Test, protected test::DataFileFixture {
protected:
    static mode_t kindAt(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
    }
    static mode_t linkKindAt(const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
    }
    static void makeFifo(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << std::strerror(errno);
    }
    QString legacyFolder() const { return environment.dataHome() + "/Pinwale"; }
    QString settingsPath() const { return environment.configHome() + "/sorvel/sorvel.conf"; }
    QString legacySettingsPath() const { return environment.configHome() + "/pinwale/pinwale.conf"; }
};

TEST_F(HostileFilesTest, ASettingsFileThatIsAFifoKeepsValuesInMemoryAndStaysAFifo) {
    makeFifo(settingsPath());
    Settings settings(disk, settingsPath());
    EXPECT_TRUE(settings.keys().isEmpty());
    settings.setValue("appearance.opacity", 0.8);
    settings.sync();
    EXPECT_DOUBLE_EQ(settings.real("appearance.opacity", 1), 0.8);
    settings.remove("appearance.opacity");
    EXPECT_FALSE(settings.contains("appearance.opacity"));
    EXPECT_EQ(kindAt(settingsPath()), mode_t(S_IFIFO));
}

TEST_F(HostileFilesTest, TheMigrationFlagIsNeverWrittenThroughALinkOntoAFifo) {
    makeFifo(environment.scratch() + "/pipe");
    QDir().mkpath(environment.configHome() + "/sorvel");
    ASSERT_TRUE(QFile::link(environment.scratch() + "/pipe", settingsPath()));
    writeFile(legacySettingsPath(), "[General]\nappearance.theme=dark\n");

    Settings settings(disk, settingsPath());
    const Settings legacy(disk, legacySettingsPath());
    LegacyMigration::migrateSettings(settings, legacy);
    EXPECT_TRUE(settings.boolean("migratedFromPinwale", false));
    EXPECT_EQ(settings.string("appearance.theme"), "dark");
    EXPECT_EQ(linkKindAt(settingsPath()), mode_t(S_IFLNK));
    EXPECT_EQ(kindAt(environment.scratch() + "/pipe"), mode_t(S_IFIFO));
}

TEST_F(HostileFilesTest, TheEarlierProductsSettingsFileAsAFifoMigratesNothingAndFinishes) {
    makeFifo(legacySettingsPath());
    Settings settings(disk, settingsPath());
    const Settings legacy(disk, legacySettingsPath());
    LegacyMigration::migrateSettings(settings, legacy);
    EXPECT_EQ(settings.keys(), QStringList{"migratedFromPinwale"});
    EXPECT_EQ(kindAt(legacySettingsPath()), mode_t(S_IFIFO));
}

TEST_F(HostileFilesTest, ASettingsFileLinkedToADeviceNodeLeavesTheNodeAsItWas) {
    const QString node = environment.scratch() + "/null-device";
    const dev_t device = makedev(1, 3); // the null device's numbers
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, device) != 0)
        GTEST_SKIP() << "this test may not make device nodes here (mknod: " << std::strerror(errno) << ")";
    QDir().mkpath(environment.configHome() + "/sorvel");
    ASSERT_TRUE(QFile::link(node, settingsPath()));

    Settings settings(disk, settingsPath());
    const Settings legacy(disk, legacySettingsPath());
    LegacyMigration::migrateSettings(settings, legacy);
    settings.setValue("edgePanel.enabled", true);
    EXPECT_TRUE(settings.boolean("edgePanel.enabled", false));

    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(node).constData(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(info.st_rdev, device);
    EXPECT_EQ(linkKindAt(settingsPath()), mode_t(S_IFLNK));
}

TEST_F(HostileFilesTest, AFifoInTheEarlierProductsFolderIsSkippedAndTheRestCopied) {
    const QByteArray data =
        R"({"version": 2, "projects": [{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF", "name": "Theirs"}]})";
    writeFile(legacyFolder() + "/projects.json", data);
    writeFile(legacyFolder() + "/Backups/old.json", "backup");
    makeFifo(legacyFolder() + "/pipe");
    makeFifo(legacyFolder() + "/Backups/pipe");
    writeFile(legacyFolder() + "/zz-after.txt", "after");

    LegacyMigration::migrateData(disk);

    EXPECT_EQ(folderEntries(), (QStringList{"Backups", "projects.json", "zz-after.txt"}));
    EXPECT_EQ(readFile(dataFolder() + "/Backups/old.json"), "backup");
    EXPECT_FALSE(QFileInfo::exists(dataFolder() + "/Backups/pipe"));
    EXPECT_EQ(Storage::load(disk).projects.first().name, "Theirs");
    EXPECT_EQ(kindAt(legacyFolder() + "/pipe"), mode_t(S_IFIFO));
}

TEST_F(HostileFilesTest, AnEarlierDataFileThatIsAFifoIsSkipped) {
    makeFifo(legacyFolder() + "/projects.json");
    writeFile(legacyFolder() + "/notes.txt", "notes");
    LegacyMigration::migrateData(disk);
    EXPECT_EQ(readFile(dataFolder() + "/notes.txt"), "notes");
    EXPECT_FALSE(QFileInfo::exists(dataFolder() + "/projects.json"));
}

TEST_F(HostileFilesTest, CopiedFilesKeepTheirPermissions) {
    writeFile(legacyFolder() + "/projects.json", "{}");
    writeFile(legacyFolder() + "/private.txt", "secret");
    QFile::setPermissions(legacyFolder() + "/private.txt", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    LegacyMigration::migrateData(disk);
    EXPECT_EQ(readFile(dataFolder() + "/private.txt"), "secret");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(dataFolder() + "/private.txt").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode_t(0600));
}

} // namespace
} // namespace sorvel
