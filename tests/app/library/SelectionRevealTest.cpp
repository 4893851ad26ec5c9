#include "support/LibraryFixture.h"

#include "app/library/CassetteGrid.h"
#include "app/library/ProjectListView.h"
#include "app/library/SelectionReveal.h"
#include "app/library/ShelfMode.h"
#include "app/library/TapeShelf.h"
#include "core/Settings.h"
#include "support/Waiting.h"

#include <QScrollBar>

namespace sorvel::test {
namespace {

TEST(SelectionRevealStep, ScrollsOnlyAsFarAsNeededTopFirst) {
    EXPECT_EQ(SelectionReveal::stepToShow(10, 50, 100), 0);
    EXPECT_EQ(SelectionReveal::stepToShow(-30, 10, 100), -30);
    EXPECT_EQ(SelectionReveal::stepToShow(80, 140, 100), 40);
    // Taller than the view: its top comes to the top.
    EXPECT_EQ(SelectionReveal::stepToShow(150, 400, 100), 150);
}

class SelectionRevealTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        for (int i = 0; i < 40; ++i)
            store.addProject(project(QStringLiteral("Tape %1").arg(i)));
        shelf.resize(900, 500);
        shelf.show();
    }
    // Selected from elsewhere, as a link, the tray menu or a calendar row do it.
    void showFromElsewhere(const AudioProject& target) { router.show(target); }

    TapeShelf shelf{store, router, settings};
};

TEST_F(SelectionRevealTest, ATapeSelectedFromElsewhereComesIntoViewOnTheShelf) {
    CassetteGrid* grid = shelf.grid();
    ASSERT_EQ(shelf.content(), TapeShelf::Content::Grid);
    const QList<AudioProject> tapes = grid->projects();
    const AudioProject last = tapes.last();
    const int index = int(tapes.size()) - 1;
    ASSERT_GT(grid->cardRect(index).top(), grid->viewport()->height());

    showFromElsewhere(last);
    ASSERT_TRUE(waitUntil([&] { return grid->verticalScrollBar()->value() > 0; }, 2000));
    const QRectF card = grid->cardRect(index);
    EXPECT_GE(card.top(), 0);
    EXPECT_LE(card.bottom(), grid->viewport()->height());

    // The drawer that opens with it narrows the page: the tape is followed.
    shelf.resize(520, 500);
    const int moved = int(grid->projects().size()) - 1;
    EXPECT_GE(grid->cardRect(moved).top(), 0);
    EXPECT_LE(grid->cardRect(moved).bottom(), grid->viewport()->height());

    // Back to the first tape, far above.
    showFromElsewhere(tapes.first());
    ASSERT_TRUE(waitUntil([&] { return grid->cardRect(0).top() >= 0; }, 2000));
}

TEST_F(SelectionRevealTest, SeveralSelectedTapesMoveNothing) {
    CassetteGrid* grid = shelf.grid();
    const QList<AudioProject> tapes = grid->projects();
    router.setSelection({tapes.last().id, tapes.at(tapes.size() - 2).id});
    ASSERT_TRUE(waitForQueuedEvents());
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
}

TEST_F(SelectionRevealTest, ARowSelectedFromElsewhereComesIntoViewInTheList) {
    settings.setValue(ShelfMode::key(), ShelfMode::list());
    ProjectListView* list = shelf.list();
    ASSERT_EQ(shelf.content(), TapeShelf::Content::List);
    const QList<AudioProject> rows = list->sorted();
    const int index = int(rows.size()) - 1;
    ASSERT_GT(list->rowRect(index).top(), list->viewport()->height());

    showFromElsewhere(rows.last());
    ASSERT_TRUE(waitUntil([&] { return list->verticalScrollBar()->value() > 0; }, 2000));
    EXPECT_GE(list->rowRect(index).top(), 0);
    EXPECT_LE(list->rowRect(index).bottom(), list->viewport()->height());
}

} // namespace
} // namespace sorvel::test
