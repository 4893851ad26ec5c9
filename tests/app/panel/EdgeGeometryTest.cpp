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
