#include "core/DataFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace sorvel {
namespace {

// Sets one environment variable for the life of the object, then restores it.
// Only paths are computed below; nothing is created in the real home.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_previous(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedVariable() {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_previous;
    bool m_wasSet;
};

TEST(DataFolderTest, HomeComesFromThePasswordDatabaseNotFromHOME) {
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    const ScopedVariable home("HOME", "/nonexistent/confined-home");
    EXPECT_EQ(DataFolder::homeDirectory(), QDir::cleanPath(QString::fromLocal8Bit(entry->pw_dir)));
}

TEST(DataFolderTest, UnsetOrRelativeXdgFoldersFallBackBelowHome) {
    const QString home = DataFolder::homeDirectory();
    {
        const ScopedVariable data("XDG_DATA_HOME", QByteArray());
        const ScopedVariable config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(DataFolder::directory(), home + "/.local/share/Sorvel");
        EXPECT_EQ(DataFolder::filePath(), home + "/.local/share/Sorvel/projects.json");
        EXPECT_EQ(DataFolder::legacyDirectory(), home + "/.local/share/Pinwale");
        EXPECT_EQ(DataFolder::configHome(), home + "/.config");
    }
    const ScopedVariable data("XDG_DATA_HOME", "/srv/data/");
    EXPECT_EQ(DataFolder::directory(), "/srv/data/Sorvel");
}

TEST(DataFolderTest, RuntimeFolderFallsBackToAPerUserTemporaryFolder) {
    const ScopedVariable runtime("XDG_RUNTIME_DIR", QByteArray());
    EXPECT_EQ(DataFolder::runtimeDirectory(), QDir::tempPath() + "/sorvel-" + QString::number(getuid()));
}

} // namespace
} // namespace sorvel
