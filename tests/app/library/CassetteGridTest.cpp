#include "support/LibraryFixture.h"

#include "app/library/CardGridLayout.h"
#include "app/library/CassetteGrid.h"
#include "app/library/TapeSelection.h"
#include "studio/Studio.h"
#include "support/Waiting.h"

#include <QCursor>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>

namespace sorvel::test {
namespace {

using CassetteGridTest = LibraryTest;

// What a window shows now, as its last paints left it (grabbing the widget would paint it afresh).
QImage onScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage();
}

int pixelsNear(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += qAbs(pixel.red() - color.red()) + qAbs(pixel.green() - color.green())
                    + qAbs(pixel.blue() - color.blue())
                < 12;
        }
    }
    return count;
}

// The pointer moves to `at` on the viewport, as the window system reports it.
void moveTo(QWidget* view, QPointF at) {
    QCursor::setPos(view->mapToGlobal(at.toPoint()));
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
}

TEST(CardGridLayoutTest, ColumnsAreAtLeast236AndAtMost320Wide) {
    const CardGridLayout narrow = CardGridLayout::forWidth(300, 200);
    EXPECT_EQ(narrow.columns, 1);
    EXPECT_LE(narrow.cellWidth, 252);

    const CardGridLayout four = CardGridLayout::forWidth(1107, 200); // 1059 inside the insets
    EXPECT_EQ(four.columns, 4);
    EXPECT_GE(four.cellWidth, CardGridLayout::minimumCell);

    // A wide page caps the cells and centres the grid.
    const CardGridLayout wide = CardGridLayout::forWidth(748, 200); // 700 inside: two cells of 342 would fit
    EXPECT_EQ(wide.columns, 2);
    EXPECT_DOUBLE_EQ(wide.cellWidth, 320);
    EXPECT_DOUBLE_EQ(wide.left, 24 + (700 - 2 * 320 - 16) / 2.0);
}

TEST(CardGridLayoutTest, HitsAndVisibleRangesFollowTheCells) {
    const CardGridLayout grid = CardGridLayout::forWidth(1107, 200);
    const QRectF second = grid.cellRect(1);
    EXPECT_EQ(grid.indexAt(second.center(), 10), 1);
    EXPECT_EQ(grid.indexAt(QPointF(second.right() + 8, second.center().y()), 10), -1); // gap between columns
    EXPECT_EQ(grid.indexAt(QPointF(second.center().x(), second.bottom() + 8), 10), -1); // gap between rows
    EXPECT_EQ(grid.indexAt(grid.cellRect(9).center() + QPointF(0, 216), 10), -1); // below the last row

    // Rows 3 and 4 (cards 12…19) meet a band in the middle of a tall grid.
    const auto [first, last] = grid.visibleRange(3 * 216 + 10, 4 * 216 + 100, 400);
    EXPECT_EQ(first, 12);
    EXPECT_EQ(last, 20);
    EXPECT_EQ(grid.contentHeight(9), 3 * 200 + 2 * 16 + CardGridLayout::bottomInset);
}

TEST_F(CassetteGridTest, ClicksSelectByTheShelfRuleAndTheBackgroundEmpties) {
    const AudioProject a = project("a"), b = project("b"), c = project("c");
    CassetteGrid grid(router, store.registry());
    grid.setSelect(
        [this](const QUuid& id, Qt::KeyboardModifiers modifiers) { TapeSelection::click(router, id, modifiers); });
    grid.resize(1200, 900);
    grid.show();
    grid.setProjects({a, b, c});
    ASSERT_EQ(grid.layout().columns, 4);
    QWidget* view = grid.viewport();

    clickAt(view, grid.cardRect(0).center());
    EXPECT_EQ(router.selection(), QSet<QUuid>{a.id});
    clickAt(view, grid.cardRect(2).center(), Qt::ControlModifier);
    EXPECT_EQ(router.selection(), (QSet<QUuid>{a.id, c.id}));
    clickAt(view, grid.cardRect(2).center(), Qt::ControlModifier);
    EXPECT_EQ(router.selection(), QSet<QUuid>{a.id});

    // Between two cards, then below the last row.
    clickAt(view, QPointF(grid.cardRect(0).right() + 8, grid.cardRect(0).center().y()));
    EXPECT_TRUE(router.selection().isEmpty());
    router.setSelection({b.id});
    clickAt(view, QPointF(grid.cardRect(0).center().x(), grid.cardRect(0).bottom() + 60));
    EXPECT_TRUE(router.selection().isEmpty());

    // A press on a card released on the background is no click.
    const QPointF onCard = grid.cardRect(1).center();
    QMouseEvent press(QEvent::MouseButtonPress, onCard, view->mapToGlobal(onCard), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    const QPointF off = onCard + QPointF(0, 400);
    QMouseEvent release(QEvent::MouseButtonRelease, off, view->mapToGlobal(off), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view, &release);
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(CassetteGridTest, HoverFollowsThePointerFromCardToCard) {
    const AudioProject a = project("a"), b = project("b");
    CassetteGrid grid(router, store.registry());
    grid.resize(1200, 900);
    grid.show();
    grid.setProjects({a, b});
    QWidget* view = grid.viewport();
    moveTo(view, grid.cardRect(0).center());
    EXPECT_EQ(grid.hoveredID(), a.id);
    moveTo(view, grid.cardRect(1).center());
    EXPECT_EQ(grid.hoveredID(), b.id);
    moveTo(view, QPointF(grid.cardRect(1).right() + 8, 10));
    EXPECT_FALSE(grid.hoveredID().has_value());
    moveTo(view, grid.cardRect(1).center());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view, &leave);
    EXPECT_FALSE(grid.hoveredID().has_value());
    // A project that leaves the shelf takes its hover with it.
    moveTo(view, grid.cardRect(1).center());
    grid.setProjects({a});
    EXPECT_FALSE(grid.hoveredID().has_value());
}

TEST_F(CassetteGridTest, TheCardUnderAStillPointerIsTheHoveredOneAfterAReorderOrAScroll) {
    QList<AudioProject> tapes;
    for (int i = 0; i < 16; ++i)
        tapes.append(project(QStringLiteral("tape %1").arg(i)));
    CassetteGrid grid(router, store.registry());
    // Inside the test screen, where the pointer can be.
    grid.resize(760, 560);
    grid.show();
    grid.setProjects(tapes);
    ASSERT_TRUE(waitUntil([&] { return grid.windowHandle() && grid.windowHandle()->isExposed(); }, 2000));
    const int columns = grid.layout().columns;
    ASSERT_GE(columns, 2);
    QWidget* view = grid.viewport();
    const QPointF pointer = grid.cardRect(1).center();
    moveTo(view, pointer);
    ASSERT_EQ(grid.hoveredID(), tapes.at(1).id);
    // The face of a card: its plate just inside the left edge, half way down.
    const auto face = [&](int index) {
        const QImage image = onScreen(grid);
        const QPointF at(grid.cardRect(index).left() + 3, grid.cardRect(index).center().y());
        return image.pixelColor((view->mapTo(&grid, at.toPoint()) * image.devicePixelRatio()));
    };
    ASSERT_TRUE(waitUntil([&] { return face(1) == Studio::bg3(); }, 2000)) << "the hovered card is lighter";

    // The hovered tape becomes the focus and moves to the front: the one sliding
    // into its place, under the still pointer, is hovered, and only that one.
    QList<AudioProject> focused = tapes;
    focused.move(1, 0);
    grid.setProjects(focused);
    EXPECT_EQ(grid.hoveredID(), tapes.at(0).id);
    EXPECT_TRUE(waitUntil([&] { return face(1) == Studio::bg3() && face(0) == Studio::bg2(); }, 2000))
        << "the moved card keeps the hover face";

    // A scroll of a row brings another card under the pointer.
    grid.verticalScrollBar()->setValue(int(grid.cardRect(columns).top() - grid.cardRect(0).top()));
    ASSERT_EQ(grid.cardAt(pointer), 1 + columns);
    EXPECT_EQ(grid.hoveredID(), focused.at(1 + columns).id);

    // A pointer that is not over the grid hovers nothing, whatever moves.
    QCursor::setPos(grid.mapToGlobal(QPoint(grid.width() + 20, 10)));
    grid.setProjects(tapes);
    EXPECT_FALSE(grid.hoveredID().has_value());
}

TEST_F(CassetteGridTest, OnlyTheVisibleCardsArePainted) {
    QList<AudioProject> many;
    for (int i = 0; i < 400; ++i)
        many.append(project(QStringLiteral("tape %1").arg(i)));
    CassetteGrid grid(router, store.registry());
    grid.resize(1100, 700);
    grid.show();
    grid.setProjects(many);
    grid.grab();
    const int visible = grid.lastPaintedCount();
    EXPECT_GT(visible, 0);
    EXPECT_LE(visible, 4 * 5);

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    grid.grab();
    EXPECT_GT(grid.lastPaintedCount(), 0);
    EXPECT_LE(grid.lastPaintedCount(), 4 * 5);
    EXPECT_EQ(grid.cardAt(grid.cardRect(399).center()), 399);
}

TEST_F(CassetteGridTest, AChangeOfOneTapeRedrawsOnlyItsCard) {
    QList<AudioProject> many;
    for (int i = 0; i < 40; ++i)
        many.append(project(QStringLiteral("tape %1").arg(i)));
    CassetteGrid grid(router, store.registry());
    grid.resize(1100, 700);
    grid.show();
    grid.setProjects(many);
    QApplication::processEvents();
    ASSERT_GT(grid.lastPaintedCount(), 1);

    many[1].name = QStringLiteral("renamed");
    grid.setProjects(many);
    QApplication::processEvents();
    EXPECT_EQ(grid.lastPaintedCount(), 1);

    // Another order shows other records in the same places: all of them are drawn.
    std::reverse(many.begin(), many.end());
    grid.setProjects(many);
    QApplication::processEvents();
    EXPECT_GT(grid.lastPaintedCount(), 1);
}

TEST_F(CassetteGridTest, CardsFollowATypeChangeWithoutHoverOrScroll) {
    CassetteGrid grid(router, store.registry());
    grid.resize(1100, 700);
    grid.show();
    grid.setProjects({project("tape")});
    ASSERT_TRUE(waitUntil([&] { return grid.lastPaintedCount() == 1; }, 3000));
    const QRect card = grid.cardRect(0).toAlignedRect().translated(grid.viewport()->pos());
    const QImage before = onScreen(grid).copy(card);
    const QColor green(0, 255, 0);
    ASSERT_EQ(pixelsNear(before, green), 0);

    store.updateType(ProjectType::musicID, [](ProjectType& type) {
        type.title = QStringLiteral("配乐改");
        type.colorHex = QStringLiteral("00FF00");
    });
    EXPECT_TRUE(waitUntil([&] { return pixelsNear(onScreen(grid).copy(card), green) > 40; }, 3000))
        << "the type strip and the wound tape take the new colour";

    // A reload that replaces the whole list brings the old type back on the card.
    store.registry().setTypes(ProjectType::defaults());
    EXPECT_TRUE(waitUntil([&] { return onScreen(grid).copy(card) == before; }, 3000));
}

} // namespace
} // namespace sorvel::test
