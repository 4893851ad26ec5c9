#include "app/selection/MultiSelectionView.h"
#include "app/selection/CassetteFan.h"
#include "core/Clock.h"
#include "support/AppViewFixture.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

class MultiSelection : public AppViewTest {
protected:
    AudioProject addArchived(const QString& name) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.status = ProjectStatus::Done;
        project.archivedAt = Clock::now();
        return add(project);
    }
    static QStringList names(const QList<AudioProject>& projects) {
        QStringList result;
        for (const AudioProject& project : projects)
            result << project.name;
        return result;
    }

    MultiSelectionView view{store, router};
};

TEST(CassetteFanPlacement, TiltsAndStepsAroundTheMiddleCard) {
    EXPECT_DOUBLE_EQ(CassetteFan::placement(0).rotation, -5);
    EXPECT_DOUBLE_EQ(CassetteFan::placement(0).offset, -14);
    EXPECT_DOUBLE_EQ(CassetteFan::placement(1).rotation, 0);
    EXPECT_DOUBLE_EQ(CassetteFan::placement(1).offset, 0);
    EXPECT_DOUBLE_EQ(CassetteFan::placement(2).rotation, 5);
    EXPECT_DOUBLE_EQ(CassetteFan::placement(2).offset, 14);
}

TEST_F(MultiSelection, FansTheFirstThreeInStoreOrderAndCountsEveryExistingOne) {
    const AudioProject e = add(QStringLiteral("E"));
    const AudioProject d = add(QStringLiteral("D"));
    const AudioProject c = addArchived(QStringLiteral("C"));
    const AudioProject b = add(QStringLiteral("B"));
    const AudioProject a = add(QStringLiteral("A"));
    view.setIDs({e.id, c.id, a.id, d.id, b.id, QUuid::createUuid()});
    EXPECT_EQ(names(view.fan()->projects()), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(view.countText(), QStringLiteral("已选择 5 盒磁带"));

    view.setIDs({e.id, QUuid::createUuid()});
    EXPECT_EQ(names(view.fan()->projects()), QStringList{QStringLiteral("E")});
    EXPECT_EQ(view.countText(), QStringLiteral("已选择 1 盒磁带"));
}

TEST_F(MultiSelection, ActionsTouchOnlyTheUnarchivedProjects) {
    const AudioProject open = add(QStringLiteral("Open"));
    const AudioProject shelved = addArchived(QStringLiteral("Shelved"));
    const AudioProject other = add(QStringLiteral("Other"));
    view.setIDs({open.id, shelved.id, other.id});
    router.setSelection(view.ids());
    EXPECT_EQ(view.openIDs(), (QSet<QUuid>{open.id, other.id}));

    view.markDoneButton()->click();
    EXPECT_EQ(stored(open.id).status, ProjectStatus::Done);
    EXPECT_EQ(stored(other.id).status, ProjectStatus::Done);
    EXPECT_EQ(stored(shelved.id).log, shelved.log); // not marked again
    EXPECT_EQ(router.selection().size(), 3); // the drawer stays

    view.archiveButton()->click();
    ASSERT_TRUE(router.archiveRequest().has_value());
    EXPECT_EQ(*router.archiveRequest(), (QSet<QUuid>{open.id, other.id}));
    EXPECT_EQ(router.selection().size(), 3);
}

TEST_F(MultiSelection, OnlyArchivedProjectsDisableBothActionsButNotClearing) {
    const AudioProject first = addArchived(QStringLiteral("One"));
    const AudioProject second = addArchived(QStringLiteral("Two"));
    view.setIDs({first.id, second.id});
    router.setSelection(view.ids());
    EXPECT_EQ(view.countText(), QStringLiteral("已选择 2 盒磁带"));
    EXPECT_FALSE(view.markDoneButton()->isEnabled());
    EXPECT_FALSE(view.archiveButton()->isEnabled());
    view.requestArchive();
    EXPECT_FALSE(router.archiveRequest().has_value());

    view.clearButton()->click();
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(MultiSelection, FollowsStoreChangesAtOnce) {
    const AudioProject first = add(QStringLiteral("One"));
    const AudioProject second = add(QStringLiteral("Two"));
    view.setIDs({first.id, second.id});
    EXPECT_TRUE(view.archiveButton()->isEnabled());
    store.deleteProjects({first.id});
    EXPECT_EQ(view.countText(), QStringLiteral("已选择 1 盒磁带"));
    store.update(second.id, [](AudioProject& p) { p.archivedAt = Clock::now(); });
    EXPECT_FALSE(view.archiveButton()->isEnabled());
}

} // namespace
} // namespace sorvel::test
