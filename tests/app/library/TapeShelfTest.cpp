#include "support/LibraryFixture.h"

#include "app/library/CassetteGrid.h"
#include "app/library/ProjectListView.h"
#include "app/library/ShelfEmptyState.h"
#include "app/library/ShelfHeader.h"
#include "app/library/ShelfMode.h"
#include "app/library/TapeShelf.h"
#include "core/Settings.h"
#include "studio/StudioButton.h"

#include <QApplication>

namespace sorvel::test {
namespace {

using TapeShelfTest = LibraryTest;

TEST(TapeShelfContent, OnlyTheExactListModeShowsTheList) {
    EXPECT_EQ(TapeShelf::contentFor(0, QStringLiteral("list")), TapeShelf::Content::Empty);
    EXPECT_EQ(TapeShelf::contentFor(0, QStringLiteral("tape")), TapeShelf::Content::Empty);
    EXPECT_EQ(TapeShelf::contentFor(3, QStringLiteral("list")), TapeShelf::Content::List);
    EXPECT_EQ(TapeShelf::contentFor(3, QStringLiteral("tape")), TapeShelf::Content::Grid);
    EXPECT_EQ(TapeShelf::contentFor(3, QStringLiteral("List")), TapeShelf::Content::Grid);
    EXPECT_EQ(TapeShelf::contentFor(3, QString()), TapeShelf::Content::Grid);
}

TEST_F(TapeShelfTest, TheShelfFollowsTheModeSettingAndANewListStartsOver) {
    const AudioProject one = project("one");
    put({one, project("two")});
    TapeShelf shelf(store, router, settings);
    EXPECT_EQ(shelf.content(), TapeShelf::Content::Grid);
    EXPECT_EQ(shelf.grid()->projects().size(), 2);

    shelf.header()->listModeButton()->click();
    EXPECT_EQ(str(ShelfMode::stored(settings)), "list");
    EXPECT_EQ(shelf.content(), TapeShelf::Content::List);
    shelf.list()->clickColumn(ProjectSort::Name);
    shelf.list()->toggle(one.id);

    // The menu commands write the same key.
    settings.setValue(ShelfMode::key(), QStringLiteral("tape"));
    EXPECT_EQ(shelf.content(), TapeShelf::Content::Grid);
    EXPECT_TRUE(shelf.header()->tapeModeButton()->isChosen());
    EXPECT_FALSE(shelf.header()->listModeButton()->isChosen());

    settings.setValue(ShelfMode::key(), QStringLiteral("list"));
    EXPECT_EQ(shelf.list()->sortState().sort, ProjectSort::Default);
    EXPECT_FALSE(shelf.list()->isExpanded(one.id));

    settings.setValue(ShelfMode::key(), QStringLiteral("cassette"));
    EXPECT_EQ(shelf.content(), TapeShelf::Content::Grid);
    EXPECT_FALSE(shelf.header()->tapeModeButton()->isChosen());
    EXPECT_FALSE(shelf.header()->listModeButton()->isChosen());
}

TEST_F(TapeShelfTest, EmptyPagesShowTheirTitleAndOnlyTheActivePageOffersANewTape) {
    settings.setValue(ShelfMode::key(), QStringLiteral("list"));
    TapeShelf shelf(store, router, settings);
    EXPECT_EQ(shelf.content(), TapeShelf::Content::Empty);
    EXPECT_EQ(str(shelf.emptyState()->title()), "架子上还没有磁带");
    EXPECT_TRUE(shelf.emptyState()->offersNewTape());
    EXPECT_EQ(str(shelf.header()->countText()), "00 TAPES");
    shelf.emptyState()->newTapeButton()->click();
    EXPECT_TRUE(router.showingNewProject());

    router.setSidebar(SidebarItem::done());
    EXPECT_EQ(str(shelf.emptyState()->title()), "没有待归档的磁带");
    EXPECT_FALSE(shelf.emptyState()->offersNewTape());
    router.setSidebar(SidebarItem::archived());
    EXPECT_EQ(str(shelf.emptyState()->title()), "归档是空的");

    router.setSidebar(SidebarItem::type(ProjectType::sfxID));
    EXPECT_EQ(str(shelf.emptyState()->title()), "没有「音效」磁带");
    EXPECT_FALSE(shelf.emptyState()->offersNewTape());
    // Renaming the type shows the new title at once.
    store.updateType(ProjectType::sfxID, [](ProjectType& type) { type.title = QStringLiteral("拟音"); });
    EXPECT_EQ(str(shelf.emptyState()->title()), "没有「拟音」磁带");
    EXPECT_EQ(str(shelf.header()->titleText()), "拟音");
}

TEST_F(TapeShelfTest, AShortTitleKeepsTheCountTwelvePointsAway) {
    TapeShelf shelf(store, router, settings);
    router.setSidebar(SidebarItem::type(ProjectType::sfxID)); // a two-character title
    shelf.resize(1000, 700);
    shelf.show();
    QApplication::processEvents();
    const QWidget* title = shelf.header()->titleLine();
    EXPECT_LE(title->width(), title->sizeHint().width());
    EXPECT_LE(title->minimumSizeHint().width(), title->sizeHint().width());
}

TEST_F(TapeShelfTest, HeaderCountsThePageAndHintsAtSeveralSelectedTapes) {
    const AudioProject one = project("one"), two = project("two");
    put({one, two, project("done", [](AudioProject& p) { p.status = ProjectStatus::Done; })});
    TapeShelf shelf(store, router, settings);
    EXPECT_EQ(str(shelf.header()->titleText()), "进行中");
    EXPECT_EQ(str(shelf.header()->countText()), "02 TAPES");

    router.setSelection({one.id});
    EXPECT_TRUE(shelf.header()->hintText().isEmpty());
    // Selected tapes of other pages count as well.
    router.setSelection({one.id, QUuid::createUuid()});
    EXPECT_EQ(str(shelf.header()->hintText()), "已选 2 盒 · Ctrl 点击多选");
}

TEST_F(TapeShelfTest, ArchiveAllShowsOnTheDonePageWhileDoneTapesWait) {
    const AudioProject active = project("active");
    put({active, project("archived", [](AudioProject& p) {
             p.status = ProjectStatus::Done;
             p.archivedAt = Clock::now();
         })});
    TapeShelf shelf(store, router, settings);
    router.setSidebar(SidebarItem::done());
    EXPECT_FALSE(shelf.header()->offersArchiveAll());

    store.markDone({active.id});
    EXPECT_TRUE(shelf.header()->offersArchiveAll());
    shelf.header()->archiveAllButton()->click();
    EXPECT_EQ(router.archiveRequest(), QSet<QUuid>{active.id});

    router.setSidebar(SidebarItem::active());
    EXPECT_FALSE(shelf.header()->offersArchiveAll());
}

TEST_F(TapeShelfTest, TheListGetsTheShelfOrderAndTheShelfsSelectionRule) {
    settings.setValue(ShelfMode::key(), QStringLiteral("list"));
    const AudioProject older = project("older", [](AudioProject& p) { p.updatedAt = Clock::now().addDays(-2); });
    const AudioProject newer = project("newer", [](AudioProject& p) { p.updatedAt = Clock::now().addDays(-1); });
    put({older, newer});
    TapeShelf shelf(store, router, settings);
    ASSERT_EQ(shelf.content(), TapeShelf::Content::List);
    EXPECT_EQ(names(shelf.list()->sorted()), "newer|older");

    shelf.resize(1100, 700);
    shelf.show();
    ProjectListView* list = shelf.list();
    clickAt(list->viewport(), list->rowRect(1).center());
    EXPECT_EQ(router.selection(), QSet<QUuid>{older.id});
    clickAt(list->viewport(), list->rowRect(0).center(), Qt::ControlModifier);
    EXPECT_EQ(router.selection(), (QSet<QUuid>{older.id, newer.id}));
    clickAt(list->viewport(), list->rowRect(0).center());
    EXPECT_EQ(router.selection(), QSet<QUuid>{newer.id});
    clickAt(list->viewport(), list->rowRect(0).center());
    EXPECT_TRUE(router.selection().isEmpty());
}

// Tens of megabytes in one name once froze the window for seconds; the shown
// text is cut long before the layout (how fast it paints is sorvel-bench's
// paintShelfWithAHugeName), and only the shown text.
TEST_F(TapeShelfTest, AFiftyMegabyteNameIsCutOnlyWhereItIsShown) {
    const QString huge = QStringLiteral("Huge ") + QString(50 * 1024 * 1024, QLatin1Char('x'));
    put({project(huge,
                 [](AudioProject& p) {
                     Cue cue;
                     cue.title = QString(1024 * 1024, QLatin1Char('c')); // shown as the card's next step
                     p.items.append(cue);
                 }),
         project("ordinary")});
    TapeShelf shelf(store, router, settings);
    shelf.resize(1200, 800);
    shelf.show();
    EXPECT_FALSE(shelf.grab().isNull()) << "cards";
    shelf.header()->listModeButton()->click();
    ASSERT_EQ(shelf.content(), TapeShelf::Content::List);
    EXPECT_FALSE(shelf.grab().isNull()) << "list";
    EXPECT_EQ(store.projects().first().name.size(), huge.size());
}

} // namespace
} // namespace sorvel::test
