#include "support/LibraryFixture.h"

#include "app/library/ShelfSummary.h"
#include "app/library/ShelfSummaryRow.h"
#include "studio/Studio.h"

namespace sorvel::test {
namespace {

using ShelfSummaryTest = LibraryTest;

// A moment today that lies before now (or is now, just after midnight).
QDateTime earlierToday(const QDateTime& now) {
    const QDateTime start = Clock::startOfToday();
    return start.addSecs(start.secsTo(now) / 2);
}

TEST_F(ShelfSummaryTest, DeadlinesSplitIntoOverdueAndDueWithinSevenDays) {
    const QDateTime now = Clock::now();
    const AudioProject earlierTodayDue = project("today", [&](AudioProject& p) { p.deadline = earlierToday(now); });
    const AudioProject yesterday =
        project("yesterday", [&](AudioProject& p) { p.deadline = Clock::startOfToday().addSecs(-60); });
    const AudioProject exactlyWeek =
        project("week", [&](AudioProject& p) { p.deadline = now.toLocalTime().addDays(7); });
    const AudioProject minuteBefore =
        project("minuteBefore", [&](AudioProject& p) { p.deadline = now.toLocalTime().addDays(7).addSecs(-60); });
    const AudioProject noDeadline = project("none");
    put({earlierTodayDue, yesterday, exactlyWeek, minuteBefore, noDeadline});

    const ShelfSummary summary = ShelfSummary::of(store.projects(), now);
    EXPECT_EQ(summary.open.size(), 5);
    EXPECT_EQ(summary.overdue, QList<QUuid>{yesterday.id});
    EXPECT_EQ(summary.dueWithinWeek, (QList<QUuid>{earlierTodayDue.id, minuteBefore.id}));
    EXPECT_TRUE(summary.awaitingArchive.isEmpty());
}

TEST_F(ShelfSummaryTest, DoneProjectsAwaitArchivingAndArchivedOnesCountNowhere) {
    const QDateTime past = Clock::startOfToday().addDays(-3);
    const AudioProject done = project("done", [&](AudioProject& p) {
        p.status = ProjectStatus::Done;
        p.deadline = past;
    });
    const AudioProject archived = project("archived", [&](AudioProject& p) {
        p.archivedAt = Clock::now();
        p.deadline = past;
    });
    put({done, archived});
    const ShelfSummary summary = ShelfSummary::of(store.projects(), Clock::now());
    EXPECT_TRUE(summary.open.isEmpty());
    EXPECT_TRUE(summary.overdue.isEmpty());
    EXPECT_TRUE(summary.dueWithinWeek.isEmpty());
    EXPECT_EQ(summary.awaitingArchive, QList<QUuid>{done.id});
}

TEST_F(ShelfSummaryTest, AnEmptyStoreShowsFourFadedZeros) {
    ShelfSummaryRow row(store, router);
    row.refresh();
    for (StatTile* tile : row.tiles()) {
        EXPECT_EQ(str(tile->valueText()), "00");
        EXPECT_EQ(tile->valueColor(), Studio::text3());
        EXPECT_FALSE(tile->showsBar());
    }
}

TEST_F(ShelfSummaryTest, TilesShowPaddedFiguresAndStateColours) {
    const QDateTime past = Clock::startOfToday().addDays(-2);
    put({project("late1", [&](AudioProject& p) { p.deadline = past; }),
         project("late2", [&](AudioProject& p) { p.deadline = past; }), project("calm")});
    ShelfSummaryRow row(store, router);
    row.refresh();
    const QList<StatTile*> tiles = row.tiles();
    EXPECT_EQ(str(tiles[0]->valueText()), "03");
    EXPECT_EQ(tiles[0]->valueColor(), Studio::text());
    EXPECT_EQ(str(tiles[1]->valueText()), "02");
    EXPECT_EQ(tiles[1]->valueColor(), Studio::systemRed());
    EXPECT_TRUE(tiles[1]->showsBar());
    EXPECT_FALSE(tiles[2]->showsBar());
    EXPECT_EQ(tiles[2]->valueColor(), Studio::text3());

    StatTile wide(QStringLiteral("x"));
    wide.setFigure(123, std::nullopt);
    EXPECT_EQ(str(wide.valueText()), "123");
}

TEST_F(ShelfSummaryTest, OverdueTileSelectsTheFirstInStoreOrderAndGoesToTheActivePage) {
    const QDateTime past = Clock::startOfToday().addDays(-2);
    const AudioProject first = project("first", [&](AudioProject& p) { p.deadline = past.addDays(1); });
    const AudioProject oldest = project("oldest", [&](AudioProject& p) { p.deadline = past.addDays(-30); });
    put({first, oldest});
    router.setSidebar(SidebarItem::archived());
    ShelfSummaryRow row(store, router);
    row.refresh();
    row.tiles()[1]->click();
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(router.selection(), QSet<QUuid>{first.id});
}

TEST_F(ShelfSummaryTest, TilesWithoutProjectsChangeNothingButThePageTilesStillNavigate) {
    ShelfSummaryRow row(store, router);
    row.refresh();
    router.setSidebar(SidebarItem::type(ProjectType::sfxID));
    const QUuid selected = QUuid::createUuid();
    router.setSelection({selected});

    row.tiles()[1]->click();
    row.tiles()[2]->click();
    EXPECT_EQ(router.sidebar(), SidebarItem::type(ProjectType::sfxID));
    EXPECT_EQ(router.selection(), QSet<QUuid>{selected});

    row.tiles()[3]->click();
    EXPECT_EQ(router.sidebar(), SidebarItem::done());
    row.tiles()[0]->click();
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(router.selection(), QSet<QUuid>{selected});
}

} // namespace
} // namespace sorvel::test
