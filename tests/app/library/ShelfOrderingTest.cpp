#include "support/LibraryFixture.h"

#include "app/library/ShelfOrdering.h"

namespace sorvel::test {
namespace {

using ShelfOrderingTest = LibraryTest;

TEST_F(ShelfOrderingTest, ActivePutsTheFocusedProjectFirstThenTheLatestChange) {
    const QDateTime same = minutesAgo(30);
    put({project("older", [&](AudioProject& p) { p.updatedAt = minutesAgo(90); }),
         project("tieA", [&](AudioProject& p) { p.updatedAt = same; }),
         project("focused",
                 [&](AudioProject& p) {
                     p.updatedAt = minutesAgo(600);
                     p.isFocused = true;
                 }),
         project("tieB", [&](AudioProject& p) { p.updatedAt = same; }),
         project("done", [&](AudioProject& p) { p.status = ProjectStatus::Done; }),
         project("archived", [&](AudioProject& p) { p.archivedAt = minutesAgo(1); })});

    EXPECT_EQ(names(ShelfOrdering::projects(store.projects(), SidebarItem::active())), "focused|tieA|tieB|older");
}

TEST_F(ShelfOrderingTest, FocusPlaysNoPartOnTypeAndDonePages) {
    put({project("focusedOld",
                 [&](AudioProject& p) {
                     p.updatedAt = minutesAgo(100);
                     p.isFocused = true;
                 }),
         project("doneNew",
                 [&](AudioProject& p) {
                     p.status = ProjectStatus::Done;
                     p.updatedAt = minutesAgo(1);
                 }),
         project("otherType", [&](AudioProject& p) { p.typeID = ProjectType::sfxID; }),
         project("archivedSameType", [&](AudioProject& p) { p.archivedAt = minutesAgo(5); }),
         project("activeMid", [&](AudioProject& p) { p.updatedAt = minutesAgo(50); })});

    EXPECT_EQ(names(ShelfOrdering::projects(store.projects(), SidebarItem::type(ProjectType::musicID))),
              "doneNew|activeMid|focusedOld");
    EXPECT_EQ(names(ShelfOrdering::projects(store.projects(), SidebarItem::done())), "doneNew");
}

TEST_F(ShelfOrderingTest, EqualDatesKeepTheStoreOrder) {
    const QDateTime same = minutesAgo(10);
    put({project("first",
                 [&](AudioProject& p) {
                     p.status = ProjectStatus::Done;
                     p.updatedAt = same;
                 }),
         project("second",
                 [&](AudioProject& p) {
                     p.status = ProjectStatus::Done;
                     p.updatedAt = same;
                 }),
         project("third", [&](AudioProject& p) {
             p.status = ProjectStatus::Done;
             p.updatedAt = same;
         })});
    EXPECT_EQ(names(ShelfOrdering::projects(store.projects(), SidebarItem::done())), "first|second|third");
}

TEST_F(ShelfOrderingTest, ArchivedPageShowsTheLatestArchivedFirstWhateverItsChange) {
    const QDateTime instant = minutesAgo(20);
    put({project("archivedLongAgo",
                 [&](AudioProject& p) {
                     p.archivedAt = minutesAgo(5000);
                     p.updatedAt = minutesAgo(1);
                 }),
         project("sameInstantA", [&](AudioProject& p) { p.archivedAt = instant; }),
         project("latest",
                 [&](AudioProject& p) {
                     p.archivedAt = minutesAgo(2);
                     p.updatedAt = minutesAgo(9000);
                 }),
         project("sameInstantB", [&](AudioProject& p) { p.archivedAt = instant; }), project("notArchived")});

    EXPECT_EQ(names(ShelfOrdering::projects(store.projects(), SidebarItem::archived())),
              "latest|sameInstantA|sameInstantB|archivedLongAgo");
}

TEST_F(ShelfOrderingTest, ARecordWithoutArchiveDateCountsAsArchivedInTheDistantPast) {
    const QList<AudioProject> kept{project("none"), project("dated", [](AudioProject& p) {
                                       p.archivedAt = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
                                   })};
    EXPECT_EQ(names(ShelfOrdering::ordered(kept, SidebarItem::archived())), "dated|none");
}

TEST_F(ShelfOrderingTest, CalendarAndEmptyPagesHaveNoTapes) {
    put({project("active")});
    EXPECT_TRUE(ShelfOrdering::projects(store.projects(), SidebarItem::calendar()).isEmpty());
    EXPECT_TRUE(ShelfOrdering::projects(store.projects(), SidebarItem::archived()).isEmpty());
}

TEST_F(ShelfOrderingTest, DoneIDsCoverTheWholeStoreNotThePage) {
    const AudioProject doneMusic = project("doneMusic", [](AudioProject& p) { p.status = ProjectStatus::Done; });
    const AudioProject doneSfx = project("doneSfx", [](AudioProject& p) {
        p.status = ProjectStatus::Done;
        p.typeID = ProjectType::sfxID;
    });
    put({doneMusic, doneSfx,
         project("archivedDone",
                 [](AudioProject& p) {
                     p.status = ProjectStatus::Done;
                     p.archivedAt = Clock::now();
                 }),
         project("active")});
    EXPECT_EQ(ShelfOrdering::doneIDs(store.projects()), (QSet<QUuid>{doneMusic.id, doneSfx.id}));
}

} // namespace
} // namespace sorvel::test
