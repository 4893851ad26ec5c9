#include "PanelFixture.h"

#include "app/panel/EdgeHandle.h"
#include "app/panel/EdgePanel.h"
#include "app/panel/EdgePanelView.h"
#include "app/panel/EdgeRootView.h"
#include "app/panel/NewTapeRow.h"

#include <QLineEdit>

namespace sorvel::test {
namespace {

class EdgePanelControllerTest : public PanelTest {
protected:
    // Started, pointer in the band, slide finished.
    void openByPointer() {
        controller->start();
        pointer->moveTo(QPointF(1435, 450));
        ASSERT_TRUE(controller->isExpanded());
        ASSERT_TRUE(settlesAt(controller->expandedFrame()));
    }
};

TEST_F(EdgePanelControllerTest, StartShowsTheCollapsedStripOnceAndTracksThePointer) {
    EXPECT_EQ(controller->panel(), nullptr);
    controller->expand(); // nothing to open before start
    EXPECT_FALSE(controller->isExpanded());

    controller->start();
    EdgePanel* panel = controller->panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), QRect(1430, 415, 10, 96));
    EXPECT_TRUE(pointer->tracking);
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_FALSE(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    controller->start();
    EXPECT_EQ(controller->panel(), panel);
}

TEST_F(EdgePanelControllerTest, TheSideSettingChoosesTheEdgeAndAnythingElseMeansRight) {
    controller->start();
    settings.setValue(EdgePanelController::sideKey, QStringLiteral("left"));
    EXPECT_EQ(controller->side(), PanelSide::Left);
    EXPECT_EQ(controller->panel()->geometry(), QRect(0, 415, 10, 96));
    settings.setValue(EdgePanelController::sideKey, QStringLiteral("Left"));
    EXPECT_EQ(controller->side(), PanelSide::Right);
    EXPECT_EQ(controller->panel()->geometry().x(), 1430);
}

TEST_F(EdgePanelControllerTest, AMissingOrTextEnabledKeyCountsAsOn) {
    EXPECT_TRUE(controller->isEnabled());
    settings.setValue(EdgePanelController::enabledKey, QStringLiteral("maybe"));
    EXPECT_TRUE(controller->isEnabled());
    settings.setValue(EdgePanelController::enabledKey, false);
    EXPECT_FALSE(controller->isEnabled());
}

TEST_F(EdgePanelControllerTest, ThePointerInTheBandOpensThePanelAndOnlyThere) {
    controller->start();
    pointer->moveTo(QPointF(1428.5, 450));
    EXPECT_FALSE(controller->isExpanded());
    pointer->moveTo(QPointF(1435, 511));
    EXPECT_FALSE(controller->isExpanded());
    pointer->moveTo(QPointF(1429, 414.5));
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_TRUE(settlesAt(QRectF(1092, 82.5, 340, 760)));
    EXPECT_NE(controller->panel()->root().panelView(), nullptr);
}

TEST_F(EdgePanelControllerTest, ThePanelClosesAfterTheLastMoveOutsideTheMarginNotWithinIt) {
    openByPointer();
    // Back and forth just outside the panel but within 24 points: it stays.
    pointer->moveTo(QPointF(1092 - 20, 400));
    pointer->moveTo(QPointF(1092 - 5, 800));
    EXPECT_FALSE(timer->isPending());

    pointer->moveTo(QPointF(1000, 400));
    EXPECT_TRUE(timer->isPending());
    EXPECT_EQ(timer->delay, 450);
    pointer->moveTo(QPointF(900, 400));
    EXPECT_EQ(timer->restarts, 2); // every move outside starts the delay afresh

    pointer->moveTo(QPointF(1100, 400)); // back inside before it ran out
    EXPECT_FALSE(timer->isPending());
    timer->elapse();
    EXPECT_TRUE(controller->isExpanded());

    pointer->moveTo(QPointF(500, 400));
    timer->elapse();
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_TRUE(settlesAt(controller->collapsedFrame()));
    EXPECT_NE(controller->panel()->root().handle(), nullptr);
    EXPECT_EQ(controller->panel()->root().panelView(), nullptr);
}

TEST_F(EdgePanelControllerTest, APinnedPanelNeverClosesByItself) {
    openByPointer();
    controller->setPinned(true);
    pointer->moveTo(QPointF(200, 200));
    EXPECT_FALSE(timer->isPending());
    controller->collapse();
    EXPECT_TRUE(controller->isExpanded());
}

TEST_F(EdgePanelControllerTest, TypingInAPanelFieldKeepsItOpenUntilItLosesTheKeyboard) {
    openByPointer();
    EdgePanel* panel = controller->panel();
    EdgePanelView* view = panel->root().panelView();
    ASSERT_NE(view, nullptr);
    view->toggleAddRow();
    panel->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return panel->isActiveWindow(); }, 2000));
    view->addRow()->nameField()->setFocus();
    ASSERT_TRUE(panel->isEditingText());

    pointer->moveTo(QPointF(200, 200));
    EXPECT_FALSE(timer->isPending());

    // Another window takes the keyboard: the panel resigns and closes if the pointer is away.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return !panel->isActiveWindow(); }, 2000));
    EXPECT_TRUE(timer->isPending());
    timer->elapse();
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_FALSE(panel->isEditingText());
}

TEST_F(EdgePanelControllerTest, ToggleTurnsTheKeyOnAndOpensPinnedThenClosesUnpinned) {
    settings.setValue(EdgePanelController::enabledKey, false);
    controller->start();
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_FALSE(pointer->tracking);

    QList<bool> pinned;
    QObject::connect(controller.get(), &EdgePanelController::pinnedChanged, [&](bool on) { pinned << on; });
    controller->toggle();
    EXPECT_TRUE(settings.boolean(EdgePanelController::enabledKey, false));
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_TRUE(controller->isPinned());

    controller->toggle();
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_FALSE(controller->isPinned());
    EXPECT_EQ(pinned, (QList<bool>{true, false}));
}

TEST_F(EdgePanelControllerTest, TurningTheKeyOffHidesAndClearsBothFlagsOnShowsTheStrip) {
    openByPointer();
    controller->setPinned(true);
    settings.setValue(EdgePanelController::enabledKey, false);
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_FALSE(controller->isPinned());
    EXPECT_FALSE(pointer->tracking);

    pointer->moveTo(QPointF(1435, 450));
    EXPECT_FALSE(controller->isExpanded());

    settings.setValue(EdgePanelController::enabledKey, true);
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->panel()->geometry(), controller->collapsedFrame().toRect());
}

TEST_F(EdgePanelControllerTest, WithoutAScreenThePanelWaitsHiddenAndIsPlacedWhenOneAppears) {
    screens->area.reset();
    controller->start();
    EXPECT_FALSE(controller->panel()->isVisible());
    pointer->moveTo(QPointF(0, 0));
    controller->toggle();
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_FALSE(controller->isPinned());

    screens->set(laptopScreen());
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->panel()->geometry(), QRect(1430, 415, 10, 96));

    screens->set(std::nullopt);
    EXPECT_FALSE(controller->panel()->isVisible());
}

TEST_F(EdgePanelControllerTest, AChangedScreenReplacesThePanelAtOnceKeepingItsState) {
    openByPointer();
    screens->set(ScreenArea{QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1080)});
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_EQ(controller->panel()->geometry(), QRect(1572, 160, 340, 760));
}

TEST_F(EdgePanelControllerTest, OnTwoMonitorsCrossingTheSeamNeverOpensThePanel) {
    screens->set(ScreenArea{QRectF(0, 0, 1600, 1000), QRectF(0, 0, 1600, 1000)});
    screens->setOthers({ScreenArea{QRectF(1600, 0, 1600, 1000), QRectF(1600, 0, 1600, 1000)}});
    controller->start();
    EXPECT_EQ(controller->panel()->geometry(), QRect(3190, 452, 10, 96));
    for (const qreal x : {1500.0, 1590.0, 1595.0, 1599.0, 1600.0, 1601.0, 1700.0, 1599.5, 1500.0}) {
        pointer->moveTo(QPointF(x, 500));
        EXPECT_FALSE(controller->isExpanded()) << x;
    }
    pointer->moveTo(QPointF(3199, 500));
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_TRUE(settlesAt(QRectF(3200 - 340 - 8, 120, 340, 760)));

    // The second monitor goes away: the panel comes back to the primary one's edge.
    controller->setPinned(false);
    controller->collapse();
    screens->setOthers({});
    EXPECT_EQ(controller->panel()->geometry(), QRect(1590, 452, 10, 96));
}

TEST_F(EdgePanelControllerTest, ASlideStartedDuringAnotherEndsAtTheLastTarget) {
    controller->start();
    controller->expand();
    controller->setPinned(false);
    controller->collapse(); // at once, while the opening slide runs
    EXPECT_TRUE(settlesAt(controller->collapsedFrame()));
    ASSERT_TRUE(slidesEnd());
    EXPECT_EQ(controller->panel()->geometry(), controller->collapsedFrame().toRect());
}

TEST_F(EdgePanelControllerTest, APlacementDuringASlideIsNotUndoneByIt) {
    controller->start();
    controller->expand(); // sliding towards the right-hand frame
    settings.setValue(EdgePanelController::sideKey, QStringLiteral("left"));
    const QRect left = QRect(8, 83, 340, 760);
    EXPECT_EQ(controller->panel()->geometry(), left);
    ASSERT_TRUE(slidesEnd());
    EXPECT_EQ(controller->panel()->geometry(), left);
}

TEST_F(EdgePanelControllerTest, LinksUnpinCloseAndGoToTheApplication) {
    openByPointer();
    controller->setPinned(true);
    controller->openLink(QStringLiteral("sorvel://main"));
    EXPECT_FALSE(controller->isPinned());
    EXPECT_FALSE(controller->isExpanded());
    EXPECT_EQ(links, QStringList{QStringLiteral("sorvel://main")});
}

TEST_F(EdgePanelControllerTest, ClickingTheStripOpensThePanel) {
    controller->start();
    EdgeHandle* handle = controller->panel()->root().handle();
    ASSERT_NE(handle, nullptr);
    click(handle, QPoint(1, 90));
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_FALSE(controller->isPinned());
}

// Where windows cannot be placed and the pointer is not seen outside them.
class EdgePanelWithoutGlobalPointerTest : public PanelTest {
protected:
    EdgePanelWithoutGlobalPointerTest() { makeController(false); }
};

TEST_F(EdgePanelWithoutGlobalPointerTest, EnteringTheHandleOpensLeavingThePanelCloses) {
    controller->start();
    EdgePanel* panel = controller->panel();
    QEnterEvent enter(QPointF(2, 40), QPointF(2, 40), QPointF(1432, 455));
    QApplication::sendEvent(panel, &enter);
    EXPECT_TRUE(controller->isExpanded());
    EXPECT_EQ(panel->geometry(), controller->expandedFrame().toRect()); // no slide: nothing to place

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(panel, &leave);
    EXPECT_TRUE(timer->isPending());
    QApplication::sendEvent(panel, &enter);
    EXPECT_FALSE(timer->isPending());

    QApplication::sendEvent(panel, &leave);
    timer->elapse();
    EXPECT_FALSE(controller->isExpanded());

    controller->toggle();
    QApplication::sendEvent(panel, &leave);
    EXPECT_FALSE(timer->isPending()); // pinned
}

} // namespace
} // namespace sorvel::test
