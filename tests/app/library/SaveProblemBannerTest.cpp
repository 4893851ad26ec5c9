#include "app/library/SaveProblemBanner.h"
#include "app/store/ProjectStore.h"
#include "app/store/SaveProblemText.h"
#include "support/StoreTestSupport.h"

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

} // namespace
} // namespace sorvel::test
