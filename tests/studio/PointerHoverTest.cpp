#include "support/Waiting.h"

#include "studio/PointerHover.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace sorvel {
namespace {

TEST(PointerHoverTest, ARelayoutAboveTheRowsHandsTheHoverToTheRowNowUnderThePointer) {
    // A pane of rows under a header that can grow, the rows in a box of their own:
    // the header growing moves the box, never a row within it.
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* header = new QWidget;
    header->setFixedHeight(10);
    column->addWidget(header);
    auto* box = new QWidget;
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    QList<QWidget*> made;
    QList<PointerHover*> hovers;
    for (int i = 0; i < 4; ++i) {
        auto* row = new QWidget;
        row->setFixedHeight(40);
        rows->addWidget(row);
        made.append(row);
        hovers.append(new PointerHover(row));
    }
    column->addWidget(box);
    column->addStretch();
    window.resize(200, 400);
    window.show();
    ASSERT_TRUE(test::waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 2000));

    const QPoint pointer = made.at(1)->mapToGlobal(made.at(1)->rect().center());
    QCursor::setPos(pointer);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), pointer);
    QApplication::sendEvent(made.at(1), &enter);
    ASSERT_TRUE(hovers.at(1)->isHovering());

    // The header grows by one row: the first row slides under the still pointer.
    header->setFixedHeight(50);
    test::waitUntil([&] { return box->y() == 50; }, 2000);
    ASSERT_EQ(box->y(), 50);
    ASSERT_TRUE(made.at(0)->rect().contains(made.at(0)->mapFromGlobal(pointer)));
    EXPECT_FALSE(hovers.at(1)->isHovering()) << "the row carried away stays lit";
    EXPECT_TRUE(hovers.at(0)->isHovering()) << "the row now under the pointer is not lit";
    EXPECT_EQ(std::count_if(hovers.cbegin(), hovers.cend(), [](const PointerHover* h) { return h->isHovering(); }), 1);
}

TEST(PointerHoverTest, AfterAWheelScrollTheRowLitUnderThePointerGoesDarkWhenThePointerLeavesTheWindow) {
    QScrollArea area;
    auto* content = new QWidget;
    auto* rows = new QVBoxLayout(content);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    QList<QWidget*> made;
    QList<PointerHover*> hovers;
    for (int i = 0; i < 12; ++i) {
        auto* row = new QWidget;
        row->setFixedHeight(40);
        rows->addWidget(row);
        made.append(row);
        hovers.append(new PointerHover(row));
    }
    area.setWidget(content);
    area.setWidgetResizable(true);
    area.resize(200, 200);
    QCursor::setPos(-1000, -1000);
    area.show();
    ASSERT_TRUE(test::waitUntil([&] { return area.windowHandle() && area.windowHandle()->isExposed(); }, 2000));
    const auto lit = [&hovers] {
        QList<int> found;
        for (int i = 0; i < hovers.size(); ++i) {
            if (hovers.at(i)->isHovering())
                found.append(i);
        }
        return found;
    };

    // The pointer comes to the second row.
    const QPoint pointer = made.at(1)->mapToGlobal(made.at(1)->rect().center());
    QCursor::setPos(pointer);
    ASSERT_TRUE(test::waitUntil([&] { return lit() == QList<int>{1}; }, 2000)) << lit().size() << " rows lit";

    // A turn of the wheel carries other rows under the still pointer.
    QWheelEvent wheel(area.viewport()->mapFromGlobal(QPointF(pointer)), QPointF(pointer), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(area.viewport(), &wheel);
    ASSERT_GT(area.verticalScrollBar()->value(), 0);
    const QList<int> afterScroll = lit();
    ASSERT_EQ(afterScroll.size(), 1);
    ASSERT_NE(afterScroll.first(), 1);
    ASSERT_TRUE(made.at(afterScroll.first())->rect().contains(made.at(afterScroll.first())->mapFromGlobal(pointer)));

    // The pointer leaves the window in one jump; the leave goes where the window system last saw it.
    QCursor::setPos(area.mapToGlobal(QPoint(area.width() + 300, area.height() + 300)));
    EXPECT_TRUE(test::waitUntil([&] { return lit().isEmpty(); }, 2000)) << "row " << lit().value(0) << " stays lit";
}

} // namespace
} // namespace sorvel
