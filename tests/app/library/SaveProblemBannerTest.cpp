#include "app/library/SaveProblemBanner.h"
#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "core/SystemErrorText.h"
#include "support/StoreTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <unistd.h>

namespace sorvel::test {
namespace {

TEST(SaveProblemBannerTest, NamesTheCauseWhileChangesWaitAndGoesAway) {
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;
    const QString dataFile = environment.dataFolder() + QStringLiteral("/projects.json");
    ProjectStore store(disk, desktop.seams());
    SaveProblemBanner banner(store);
    EXPECT_TRUE(banner.isHidden());
    breakDataFile(environment);
    store.addProject(AudioProject::make(QStringLiteral("First"), ProjectType::musicID));
    store.saveNow();
    ASSERT_TRUE(store.isDirty());
    EXPECT_FALSE(store.saveProblem().isEmpty());
    EXPECT_FALSE(banner.isHidden());
    EXPECT_TRUE(banner.message().contains(SaveProblemText::forUser(store.saveProblem())));
    EXPECT_TRUE(banner.message().contains(QStringLiteral("保留在内存中")));
    EXPECT_TRUE(banner.message().contains(dataFile)) << "the file that cannot be written is named";
    EXPECT_FALSE(banner.message().contains(QStringLiteral("No such file"))) << banner.message().toStdString();

    mendDataFile(environment);
    store.saveNow();
    EXPECT_FALSE(store.isDirty());
    EXPECT_TRUE(store.saveProblem().isEmpty());
    EXPECT_TRUE(banner.isHidden());
}

// A data file that does not decode leaves the shelf empty, which must not
// look like a shelf without tapes: the banner says the file could not be read
// and that its bytes are kept before anything is written over it, until a
// good file is read; a change of the user's written over it keeps them, once,
// and the banner then names that copy.
TEST(SaveProblemBannerTest, AnUndecodableFileIsSaidUntilAGoodFileIsThereAndItsCopyOnceWritten) {
    TestEnvironment environment;
    PosixFileSystem disk;
    FakeDesktop desktop;
    const QString folder = environment.dataFolder();
    const QString dataFile = folder + QStringLiteral("/projects.json");
    const auto copies = [&] {
        return QDir(folder).entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::Files, QDir::Name);
    };
    const auto expectSaid = [&](const SaveProblemBanner& banner, const QByteArray& damaged) {
        EXPECT_TRUE(copies().isEmpty()) << "a read keeps no copy";
        EXPECT_FALSE(banner.isHidden());
        EXPECT_TRUE(banner.message().contains(QStringLiteral("无法读取数据文件"))) << banner.message().toStdString();
        EXPECT_TRUE(banner.message().contains(QStringLiteral("写入前会先把原内容原样另存一份")))
            << banner.message().toStdString();
        EXPECT_EQ(readFile(dataFile), damaged) << "nothing is written over it";
    };

    QDir().mkpath(folder);
    writeFile(dataFile, "{ not json");
    {
        ProjectStore store(disk, desktop.seams());
        SaveProblemBanner banner(store);
        ASSERT_TRUE(store.hasStarted());
        EXPECT_TRUE(store.projects().isEmpty());
        expectSaid(banner, "{ not json");
        ASSERT_TRUE(waitUntilIdle(store));
        expectSaid(banner, "{ not json");

        store.addProject(AudioProject::make(QStringLiteral("First"), ProjectType::musicID));
        ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, 5000));
        ASSERT_EQ(copies().size(), 1);
        const QString copy = folder + QLatin1Char('/') + copies().constFirst();
        EXPECT_EQ(readFile(copy), "{ not json");
        EXPECT_FALSE(banner.isHidden());
        EXPECT_TRUE(banner.message().contains(copy)) << banner.message().toStdString();
        ASSERT_TRUE(QFile::remove(copy));
    }

    writeFile(dataFile, "{ \"projects\": [ ");
    ProjectStore store(disk, desktop.seams());
    SaveProblemBanner banner(store);
    expectSaid(banner, "{ \"projects\": [ ");
    writeDataFile({AudioProject::make(QStringLiteral("Repaired"), ProjectType::musicID)});
    ASSERT_TRUE(waitUntil([&] { return store.projects().size() == 1; }, 5000));
    EXPECT_TRUE(banner.isHidden()) << banner.message().toStdString();
}

// A data file that is there but cannot be read at all leaves the shelf empty
// too: the banner says why in the system's reason, nothing is written over
// the file while the store reads it again, and the banner goes when a good
// file is read.
TEST(SaveProblemBannerTest, AnUnreadableFileIsSaidWithItsReasonUntilAGoodFileIsThere) {
    struct Case {
        const char* name;
        std::function<void(const QString& dataFile)> makeUnreadable;
        int error;
        std::function<void(const QString& dataFile)> remove;
    };
    QList<Case> cases{{"a folder in its place",
                       [](const QString& dataFile) {
                           ASSERT_TRUE(QDir().mkpath(dataFile));
                           writeFile(dataFile + QStringLiteral("/inside"), "kept");
                       },
                       EISDIR, [](const QString& dataFile) { ASSERT_TRUE(QDir(dataFile).removeRecursively()); }}};
    if (::geteuid() != 0) // permissions do not stop root from reading
        cases.append({"no read permission",
                      [](const QString& dataFile) {
                          writeFile(dataFile, "{}");
                          QFile::setPermissions(dataFile, QFileDevice::WriteOwner);
                      },
                      EACCES, [](const QString& dataFile) { ASSERT_TRUE(QFile::remove(dataFile)); }});
    for (const Case& unreadable : cases) {
        SCOPED_TRACE(unreadable.name);
        TestEnvironment environment;
        PosixFileSystem disk;
        FakeDesktop desktop;
        const QString dataFile = environment.dataFolder() + QStringLiteral("/projects.json");
        ASSERT_TRUE(QDir().mkpath(environment.dataFolder()));
        unreadable.makeUnreadable(dataFile);
        testing::internal::CaptureStderr();
        ProjectStore store(disk, desktop.seams());
        SaveProblemBanner banner(store);
        ASSERT_TRUE(store.hasStarted());
        EXPECT_TRUE(store.projects().isEmpty());
        EXPECT_FALSE(banner.isHidden());
        EXPECT_TRUE(banner.message().contains(QStringLiteral("无法读取数据文件"))) << banner.message().toStdString();
        EXPECT_TRUE(
            banner.message().contains(dataFile + QStringLiteral(": ") + SystemErrorText::describe(unreadable.error)))
            << banner.message().toStdString();
        // Read again, and still nothing written over it.
        ASSERT_TRUE(waitUntil([&] { return store.activity().failedReads >= 2; }, 5000));
        EXPECT_FALSE(banner.isHidden());
        EXPECT_FALSE(store.isDirty());
        EXPECT_EQ(QDir(environment.dataFolder())
                      .entryList({QStringLiteral("projects-unreadable-*")}, QDir::AllEntries | QDir::System)
                      .size(),
                  0);
        EXPECT_EQ(QFileInfo(dataFile).isDir(), unreadable.error == EISDIR);

        unreadable.remove(dataFile);
        writeDataFile({AudioProject::make(QStringLiteral("Repaired"), ProjectType::musicID)});
        ASSERT_TRUE(waitUntil([&] { return store.projects().size() == 1; }, 5000));
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(banner.isHidden()) << banner.message().toStdString();
        EXPECT_TRUE(store.saveProblem().isEmpty());
    }
}

} // namespace
} // namespace sorvel::test
