#include "app/navigation/RouterFixture.h"

namespace sorvel::test {
namespace {

using AppRouterTest = ShellTest;

TEST_F(AppRouterTest, SettersSignalOnlyRealChanges) {
    RouterSignals changes(router);
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();

    router.setSidebar(SidebarItem::active());
    router.setSelection({});
    router.setShowingNewProject(false);
    router.setShowingTypeEditor(false);
    router.setDetailExpanded(false);
    router.setArchiveRequest(std::nullopt);
    EXPECT_EQ(changes.total(), 0);

    router.setSidebar(SidebarItem::type(a));
    router.setSidebar(SidebarItem::type(a));
    router.setSidebar(SidebarItem::type(b));
    EXPECT_EQ(changes.sidebar, 2);

    router.setSelection({a, b});
    router.setSelection({b, a});
    EXPECT_EQ(changes.selection, 1);

    router.setShowingNewProject(true);
    router.setShowingNewProject(true);
    router.setShowingTypeEditor(true);
    router.setShowingTypeEditor(true);
    router.setDetailExpanded(true);
    router.setDetailExpanded(true);
    EXPECT_EQ(changes.newProject, 1);
    EXPECT_EQ(changes.typeEditor, 1);
    EXPECT_EQ(changes.detailExpanded, 1);
}

TEST_F(AppRouterTest, AnEmptyArchiveRequestIsNotNone) {
    RouterSignals changes(router);
    router.setArchiveRequest(QSet<QUuid>{});
    EXPECT_EQ(changes.archiveRequest, 1);
    ASSERT_TRUE(router.archiveRequest().has_value());
    router.setArchiveRequest(QSet<QUuid>{});
    EXPECT_EQ(changes.archiveRequest, 1);
    router.setArchiveRequest(std::nullopt);
    EXPECT_EQ(changes.archiveRequest, 2);
    EXPECT_FALSE(router.archiveRequest().has_value());
}

TEST_F(AppRouterTest, ShowPicksTheDestinationAndSelectsOnlyTheProject) {
    AudioProject archivedDone = AudioProject::make(QStringLiteral("Old"), ProjectType::otherID);
    archivedDone.status = ProjectStatus::Done;
    archivedDone.archivedAt = Clock::now();
    AudioProject done = AudioProject::make(QStringLiteral("Done"), ProjectType::otherID);
    done.status = ProjectStatus::Done;
    const AudioProject review = [] {
        AudioProject project = AudioProject::make(QStringLiteral("Review"), ProjectType::otherID);
        project.status = ProjectStatus::Review;
        return project;
    }();

    router.setSelection({QUuid::createUuid(), QUuid::createUuid()});
    router.setDetailExpanded(true);
    router.setArchiveRequest(QSet<QUuid>{});

    // None of these is in the store: show uses the record it is given.
    router.show(archivedDone);
    EXPECT_EQ(router.sidebar(), SidebarItem::archived());
    EXPECT_EQ(router.selection(), QSet<QUuid>{archivedDone.id});
    router.show(done);
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    router.show(review);
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(router.selection(), QSet<QUuid>{review.id});

    EXPECT_TRUE(router.detailExpanded());
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{}));
}

} // namespace
} // namespace sorvel::test
