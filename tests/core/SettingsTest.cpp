#include "core/Settings.h"
#include "core/FileSystem.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    QString filePath() const { return environment.configHome() + "/test/test.conf"; }

    // Counts changed(key) per key.
    struct Recorder {
        explicit Recorder(Settings& settings) {
            QObject::connect(&settings, &Settings::changed, [this](const QString& key) { keys.append(key); });
        }
        QStringList keys;
    };

    test::TestEnvironment environment;
    PosixFileSystem disk;
};

TEST_F(SettingsTest, FilesFollowTheConfigFolder) {
    EXPECT_EQ(Settings::applicationFilePath(), environment.configHome() + "/sorvel/sorvel.conf");
    EXPECT_EQ(Settings::legacyFilePath(), environment.configHome() + "/pinwale/pinwale.conf");
}

TEST_F(SettingsTest, ValuesWrittenByHandReadByTheirType) {
    test::writeFile(filePath(),
                    "[General]\n"
                    "on=true\n"
                    "off=false\n"
                    "yes=yes\n"
                    "opacity=0.75\n"
                    "padded= 0.5 \n"
                    "word=abc\n"
                    "huge=1e999\n"
                    "notNumber=nan\n"
                    "path=/home/user/Archive\n"
                    "list=a, b\n");
    const Settings settings(disk, filePath());
    EXPECT_TRUE(settings.boolean("on", false));
    EXPECT_FALSE(settings.boolean("off", true));
    EXPECT_TRUE(settings.boolean("yes", true));
    EXPECT_FALSE(settings.boolean("yes", false));
    EXPECT_FALSE(settings.boolean("missing", false));

    EXPECT_DOUBLE_EQ(settings.real("opacity", 1), 0.75);
    EXPECT_DOUBLE_EQ(settings.real("padded", 1), 0.5);
    EXPECT_DOUBLE_EQ(settings.real("word", 0.25), 0.25);
    EXPECT_DOUBLE_EQ(settings.real("huge", 0.25), 0.25);
    EXPECT_DOUBLE_EQ(settings.real("notNumber", 0.25), 0.25);
    EXPECT_DOUBLE_EQ(settings.real("on", 0.25), 0.25);

    EXPECT_EQ(settings.string("path"), "/home/user/Archive");
    EXPECT_EQ(settings.string("list", "fallback"), "fallback");
    EXPECT_EQ(settings.string("missing", "fallback"), "fallback");
}

TEST_F(SettingsTest, ValuesSetInMemoryReadByTheirType) {
    Settings settings(disk, filePath());
    settings.setValue("flag", true);
    settings.setValue("count", 3);
    settings.setValue("ratio", 0.4);
    EXPECT_TRUE(settings.boolean("flag", false));
    EXPECT_TRUE(settings.boolean("count", true)); // a number is no truth value
    EXPECT_FALSE(settings.boolean("count", false));
    EXPECT_DOUBLE_EQ(settings.real("count", 0), 3);
    EXPECT_DOUBLE_EQ(settings.real("ratio", 0), 0.4);
    EXPECT_DOUBLE_EQ(settings.real("flag", 0.5), 0.5);
    EXPECT_EQ(settings.string("flag", "x"), "x");
}

TEST_F(SettingsTest, ChangedFiresOnlyWhenTheStoredValueChanges) {
    test::writeFile(filePath(), "[General]\nedgePanelEnabled=true\nappearance.mainOpacity=0.5\n");
    Settings settings(disk, filePath());
    Recorder recorder(settings);

    settings.setValue("edgePanelEnabled", true); // the file already says true
    settings.setValue("appearance.mainOpacity", 0.5); // the file already says 0.5
    EXPECT_TRUE(recorder.keys.isEmpty());

    settings.setValue("edgePanelEnabled", false);
    settings.setValue("edgePanelEnabled", false);
    settings.setValue("shelfMode", "list");
    settings.setValue("shelfMode", "list");
    settings.remove("absent");
    settings.remove("shelfMode");
    EXPECT_EQ(recorder.keys, (QStringList{"edgePanelEnabled", "shelfMode", "shelfMode"}));
}

TEST_F(SettingsTest, WrittenValuesReachTheFile) {
    {
        Settings settings(disk, filePath());
        settings.setValue("archiveDirectory", "/tmp/archive");
        settings.setValue("archiveMoveFolders", true);
        settings.sync();
    }
    const Settings reread(disk, filePath());
    EXPECT_EQ(reread.string("archiveDirectory"), "/tmp/archive");
    EXPECT_TRUE(reread.boolean("archiveMoveFolders", false));
    EXPECT_EQ(reread.keys().size(), 2);
}

} // namespace
} // namespace sorvel
