#include "support/LibraryFixture.h"

#include "app/library/ShelfTexts.h"
#include "app/library/StudioSidebar.h"

namespace sorvel::test {
namespace {

using StudioSidebarTest = LibraryTest;

SidebarRow* rowOf(const StudioSidebar& sidebar, const SidebarItem& item) {
    for (SidebarRow* row : sidebar.rows()) {
        if (row->item() == item)
            return row;
    }
    return nullptr;
}

TEST(ShelfTextsTest, CountsArePaddedToTwoDigitsAtLeast) {
    EXPECT_EQ(str(ShelfTexts::paddedCount(0)), "00");
    EXPECT_EQ(str(ShelfTexts::paddedCount(7)), "07");
    EXPECT_EQ(str(ShelfTexts::paddedCount(123)), "123");
    EXPECT_EQ(str(ShelfTexts::tapeCount(7)), "07 TAPES");
    EXPECT_EQ(str(ShelfTexts::tapeCount(0)), "00 TAPES");
    EXPECT_EQ(str(ShelfTexts::selectionHint(12)), "已选 12 盒 · Ctrl 点击多选");
}

TEST_F(StudioSidebarTest, WithNoProjectsEveryCountReadsZeroAndTheCalendarShowsNone) {
    for (const SidebarItem& item :
         {SidebarItem::active(), SidebarItem::done(), SidebarItem::archived(), SidebarItem::type(ProjectType::otherID)})
        EXPECT_EQ(str(StudioSidebar::countText(item, store.projects())), "00");
    EXPECT_TRUE(StudioSidebar::countText(SidebarItem::calendar(), store.projects()).isEmpty());
}

TEST_F(StudioSidebarTest, EachProjectCountsWhereItBelongs) {
    put({project("active"), project("done", [](AudioProject& p) { p.status = ProjectStatus::Done; }),
         project("archived",
                 [](AudioProject& p) {
                     p.status = ProjectStatus::Done;
                     p.archivedAt = Clock::now();
                 }),
         project("sfx", [](AudioProject& p) { p.typeID = ProjectType::sfxID; })});
    const auto count = [this](const SidebarItem& item) {
        return str(StudioSidebar::countText(item, store.projects()));
    };
    EXPECT_EQ(count(SidebarItem::active()), "02");
    EXPECT_EQ(count(SidebarItem::done()), "01");
    EXPECT_EQ(count(SidebarItem::archived()), "01");
    EXPECT_EQ(count(SidebarItem::type(ProjectType::musicID)), "02"); // done included, archived not
    EXPECT_EQ(count(SidebarItem::type(ProjectType::sfxID)), "01");
}

TEST_F(StudioSidebarTest, TypeRowsFollowTheRegistry) {
    StudioSidebar sidebar(store, router);
    EXPECT_EQ(sidebar.rows().size(), 4 + ProjectType::defaults().size());
    const QUuid added = store.addType();
    ASSERT_NE(rowOf(sidebar, SidebarItem::type(added)), nullptr);
    store.deleteType(added, ProjectType::otherID);
    EXPECT_EQ(rowOf(sidebar, SidebarItem::type(added)), nullptr);
    EXPECT_EQ(sidebar.rows().size(), 4 + ProjectType::defaults().size());
}

TEST_F(StudioSidebarTest, ChoosingARowSetsTheDestinationAndClearsTheSelection) {
    StudioSidebar sidebar(store, router);
    router.setSelection({QUuid::createUuid()});
    rowOf(sidebar, SidebarItem::archived())->click();
    EXPECT_EQ(router.sidebar(), SidebarItem::archived());
    EXPECT_TRUE(router.selection().isEmpty());
    EXPECT_TRUE(rowOf(sidebar, SidebarItem::archived())->isCurrent());

    // The current row again: the selection is cleared, the destination not announced again.
    router.setSelection({QUuid::createUuid()});
    int sidebarChanges = 0;
    QObject::connect(&router, &AppRouter::sidebarChanged, [&sidebarChanges] { ++sidebarChanges; });
    rowOf(sidebar, SidebarItem::archived())->click();
    EXPECT_EQ(sidebarChanges, 0);
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(StudioSidebarTest, FooterAndManageButtonsRequestTheirSheets) {
    StudioSidebar sidebar(store, router);
    int settings = 0;
    QObject::connect(&sidebar, &StudioSidebar::settingsRequested, [&settings] { ++settings; });
    for (QAbstractButton* button : sidebar.findChildren<QAbstractButton*>()) {
        if (button->text() == QStringLiteral("新建磁带"))
            button->click();
        else if (button->text() == QStringLiteral("管理类型"))
            button->click();
        else if (button->text().isEmpty() && !qobject_cast<SidebarRow*>(button))
            button->click();
    }
    EXPECT_TRUE(router.showingNewProject());
    EXPECT_TRUE(router.showingTypeEditor());
    EXPECT_EQ(settings, 1);
}

} // namespace
} // namespace sorvel::test
