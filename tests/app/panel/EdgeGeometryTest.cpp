#include "PanelFixture.h"

#include "app/panel/EdgeGeometry.h"

namespace sorvel::test {
namespace {

using namespace EdgeGeometry;

TEST(EdgeGeometryTest, FramesOnALaptopScreenCentreOnTheAvailableHeight) {
    const ScreenArea screen = laptopScreen();
    EXPECT_EQ(collapsedFrame(screen, PanelSide::Right), QRectF(1430, 414.5, 10, 96));
    EXPECT_EQ(collapsedFrame(screen, PanelSide::Left), QRectF(0, 414.5, 10, 96));
    EXPECT_EQ(expandedFrame(screen, PanelSide::Right), QRectF(1092, 82.5, 340, 760));
    EXPECT_EQ(expandedFrame(screen, PanelSide::Left), QRectF(8, 82.5, 340, 760));
}

TEST(EdgeGeometryTest, ShorterScreensGiveShorterPanelsButNeverAnUnusableOne) {
    const ScreenArea short700{QRectF(0, 0, 1440, 700), QRectF(0, 0, 1440, 700)};
    EXPECT_EQ(expandedFrame(short700, PanelSide::Right), QRectF(1092, 20, 340, 660));

    const ScreenArea tiny{QRectF(0, 0, 640, 200), QRectF(0, 0, 640, 200)};
    const QRectF frame = expandedFrame(tiny, PanelSide::Right);
    EXPECT_EQ(frame.height(), minimumExpandedHeight);
    EXPECT_EQ(frame.center().y(), 100);

    const ScreenArea none{QRectF(0, 0, 640, 30), QRectF(0, 0, 640, 30)};
    EXPECT_EQ(expandedFrame(none, PanelSide::Left).height(), minimumExpandedHeight);
}

TEST(EdgeGeometryTest, ScreensAwayFromTheOriginPlaceThePanelOnTheirOwnEdges) {
    const ScreenArea second{QRectF(1440, -100, 1920, 1080), QRectF(1440, -100, 1920, 1040)};
    EXPECT_EQ(collapsedFrame(second, PanelSide::Right), QRectF(3350, 372, 10, 96));
    EXPECT_EQ(collapsedFrame(second, PanelSide::Left).x(), 1440);
    EXPECT_EQ(expandedFrame(second, PanelSide::Left).x(), 1448);
}

ScreenArea plain(qreal x, qreal y, qreal width, qreal height) {
    return {QRectF(x, y, width, height), QRectF(x, y, width, height)};
}

// The open band lies on the outer edge of the screen given: no other screen
// holds any of it, so crossing from screen to screen never opens the panel.
void expectOnTheOuterEdge(const QList<ScreenArea>& screens, PanelSide side, const ScreenArea& expected) {
    const std::optional<ScreenArea> chosen = edgeScreen(screens, side);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, expected);
    const QRectF band = openBand(collapsedFrame(chosen, side));
    EXPECT_EQ(band.center().y(), expected.available.center().y());
    for (const ScreenArea& other : screens) {
        if (!(other == expected)) {
            EXPECT_FALSE(band.intersects(other.geometry)) << "the band reaches into " << other.geometry.x();
        }
    }
}

TEST(EdgeGeometryTest, TheHandleGoesToTheOuterEdgeOfTheScreensOnItsSide) {
    // 3200 × 1000 split in two, the left one primary.
    const ScreenArea left = plain(0, 0, 1600, 1000);
    const ScreenArea right = plain(1600, 0, 1600, 1000);
    EXPECT_EQ(collapsedFrame(edgeScreen({left, right}, PanelSide::Right), PanelSide::Right), QRectF(3190, 452, 10, 96));
    EXPECT_EQ(expandedFrame(edgeScreen({left, right}, PanelSide::Right), PanelSide::Right).x(), 3200 - 340 - 8);
    expectOnTheOuterEdge({left, right}, PanelSide::Right, right);
    expectOnTheOuterEdge({left, right}, PanelSide::Left, left);
    // The right one primary.
    expectOnTheOuterEdge({right, left}, PanelSide::Left, left);
    expectOnTheOuterEdge({right, left}, PanelSide::Right, right);

    // Three in a row, whichever is primary.
    const ScreenArea third = plain(3200, 0, 1600, 1000);
    for (const QList<ScreenArea>& screens :
         {QList{left, right, third}, QList{right, third, left}, QList{third, left, right}}) {
        expectOnTheOuterEdge(screens, PanelSide::Right, third);
        expectOnTheOuterEdge(screens, PanelSide::Left, left);
    }

    // One screen alone, or others that do not touch the chosen side, keep the primary's edge.
    expectOnTheOuterEdge({left}, PanelSide::Right, left);
    expectOnTheOuterEdge({left, plain(0, -1000, 1600, 1000)}, PanelSide::Right, left);
    expectOnTheOuterEdge({left, plain(1700, 0, 1600, 1000)}, PanelSide::Right, left);
    EXPECT_EQ(edgeScreen({}, PanelSide::Right), std::nullopt);
}

TEST(EdgeGeometryTest, ScreensOfDifferentHeightsPutTheHandleOnTheOuterOnesMiddle) {
    // A laptop with a taller monitor to its right, its top 200 above the laptop's.
    const ScreenArea laptop = laptopScreen();
    const ScreenArea monitor{QRectF(1440, -200, 1920, 1200), QRectF(1440, -200, 1920, 1160)};
    expectOnTheOuterEdge({laptop, monitor}, PanelSide::Right, monitor);
    EXPECT_EQ(collapsedFrame(edgeScreen({laptop, monitor}, PanelSide::Right), PanelSide::Right),
              QRectF(3350, 332, 10, 96));
    expectOnTheOuterEdge({laptop, monitor}, PanelSide::Left, laptop);
    // A shorter one to its left, level with its bottom.
    const ScreenArea small = plain(-1280, 76, 1280, 824);
    expectOnTheOuterEdge({laptop, monitor, small}, PanelSide::Left, small);
    expectOnTheOuterEdge({monitor, small, laptop}, PanelSide::Left, small);

    // Two stacked to the right: the one sharing most of the primary's height holds the handle,
    // and the edge beyond it is an outer one all along.
    const ScreenArea upper = plain(1440, -500, 1280, 800);
    const ScreenArea lower = plain(1440, 300, 1280, 800);
    expectOnTheOuterEdge({laptop, upper, lower}, PanelSide::Right, lower);
    expectOnTheOuterEdge({laptop, lower, upper}, PanelSide::Right, lower);
}

TEST(EdgeGeometryTest, WithoutAScreenBothFramesAreEmptyAndTheBandHoldsNoPoint) {
    EXPECT_EQ(collapsedFrame(std::nullopt, PanelSide::Right), QRectF());
    EXPECT_EQ(expandedFrame(std::nullopt, PanelSide::Left), QRectF());
    EXPECT_FALSE(contains(openBand(collapsedFrame(std::nullopt, PanelSide::Right)), QPointF(0, 0)));
}

TEST(EdgeGeometryTest, TheOpenBandIsOnePointWiderOnBothSidesAndHalfOpen) {
    const QRectF band = openBand(collapsedFrame(laptopScreen(), PanelSide::Right));
    EXPECT_EQ(band, QRectF(1429, 414.5, 12, 96));
    EXPECT_TRUE(contains(band, QPointF(1429, 414.5)));
    EXPECT_TRUE(contains(band, QPointF(1440.9, 510.4)));
    EXPECT_FALSE(contains(band, QPointF(1428.9, 450)));
    EXPECT_FALSE(contains(band, QPointF(1441, 450)));
    EXPECT_FALSE(contains(band, QPointF(1435, 510.5)));
    EXPECT_FALSE(contains(band, QPointF(1435, 414)));
}

TEST(EdgeGeometryTest, ThePanelStaysOpenWithin24PointsAroundIt) {
    const QRectF frame = expandedFrame(laptopScreen(), PanelSide::Right);
    const QRectF area = stayOpenArea(frame);
    EXPECT_TRUE(contains(area, QPointF(1092 - 24, 400)));
    EXPECT_FALSE(contains(area, QPointF(1092 - 24.5, 400)));
    // The pointer resting on the screen edge that opened the panel keeps it open.
    EXPECT_TRUE(contains(area, QPointF(1439, 450)));
    EXPECT_FALSE(contains(area, QPointF(1200, 82.5 + 760 + 24)));
}

} // namespace
} // namespace sorvel::test
