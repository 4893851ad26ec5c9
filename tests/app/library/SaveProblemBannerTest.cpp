#include "app/library/SaveProblemBanner.h"
#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "support/StoreTestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

TEST(SaveProblemBannerTest, NamesTheCauseWhileChangesWaitAndGoesAway) {
    TestEnvironment environment;
    FakeDesktop desktop;
    const QString dataFile = environment.dataFolder() + QStringLiteral("/projects.json");
    ProjectStore store(desktop.seams());
    SaveProblemBanner banner(store);
    EXPECT_TRUE(banner.isHidden());
    breakDataFile(environment);
    store.addProject(AudioProject::make(QStringLiteral("First"), ProjectType::musicID));
    store.flush();
    ASSERT_TRUE(store.isDirty());
    EXPECT_FALSE(store.saveProblem().isEmpty());
    EXPECT_FALSE(banner.isHidden());
    EXPECT_TRUE(banner.message().contains(SaveProblemText::forUser(store.saveProblem())));
    EXPECT_TRUE(banner.message().contains(QStringLiteral("保留在内存中")));
    EXPECT_TRUE(banner.message().contains(dataFile)) << "the file that cannot be written is named";
    EXPECT_FALSE(banner.message().contains(QStringLiteral("No such file"))) << banner.message().toStdString();

    mendDataFile(environment);
    store.flush();
    EXPECT_FALSE(store.isDirty());
    EXPECT_TRUE(store.saveProblem().isEmpty());
    EXPECT_TRUE(banner.isHidden());
}

// A data file that does not decode leaves the shelf empty, which must not
// look like a shelf without tapes: the banner says the file could not be read
// and names the copy that holds its bytes, until a change of the user's is
// written or a good file is read.
TEST(SaveProblemBannerTest, AnUndecodableFileIsSaidWithItsCopyUntilAGoodFileIsThere) {
    TestEnvironment environment;
    FakeDesktop desktop;
    const QString folder = environment.dataFolder();
    const QString dataFile = folder + QStringLiteral("/projects.json");
    const auto copies = [&] {
        return QDir(folder).entryList({QStringLiteral("projects-unreadable-*.json")}, QDir::Files, QDir::Name);
    };
    const auto expectSaid = [&](const SaveProblemBanner& banner, const QByteArray& damaged) {
        ASSERT_FALSE(copies().isEmpty());
        const QString copy = folder + QLatin1Char('/') + copies().constLast();
        EXPECT_EQ(readFile(copy), damaged);
        EXPECT_FALSE(banner.isHidden());
        EXPECT_TRUE(banner.message().contains(QStringLiteral("无法读取数据文件"))) << banner.message().toStdString();
        EXPECT_TRUE(banner.message().contains(copy)) << banner.message().toStdString();
        EXPECT_EQ(readFile(dataFile), damaged) << "nothing is written over it";
    };

    QDir().mkpath(folder);
    writeFile(dataFile, "{ not json");
    {
        ProjectStore store(desktop.seams());
        SaveProblemBanner banner(store);
        ASSERT_TRUE(store.hasStarted());
        EXPECT_TRUE(store.projects().isEmpty());
        expectSaid(banner, "{ not json");
        ASSERT_TRUE(waitUntilIdle(store));
        expectSaid(banner, "{ not json");

        store.addProject(AudioProject::make(QStringLiteral("First"), ProjectType::musicID));
        ASSERT_TRUE(waitUntil([&] { return !store.isDirty(); }, 5000));
        EXPECT_TRUE(banner.isHidden()) << banner.message().toStdString();
    }

    writeFile(dataFile, "{ \"projects\": [ ");
    ProjectStore store(desktop.seams());
    SaveProblemBanner banner(store);
    expectSaid(banner, "{ \"projects\": [ ");
    writeDataFile({AudioProject::make(QStringLiteral("Repaired"), ProjectType::musicID)});
    ASSERT_TRUE(waitUntil([&] { return store.projects().size() == 1; }, 5000));
    EXPECT_TRUE(banner.isHidden()) << banner.message().toStdString();
}

} // namespace
} // namespace sorvel::test
