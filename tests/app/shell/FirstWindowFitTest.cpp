#include "app/shell/FirstWindowFit.h"

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

const QSize minimum(1276, 600);

TEST(FirstWindowFit, AWindowLargerThanTheScreenTakesTheScreensRoomAndLiesInsideIt) {
    const QRect first(0, 0, 1320, 780);
    const QRect small(0, 0, 1280, 720);
    // Before it is framed: the whole area.
    EXPECT_EQ(FirstWindowFit::fitted(first, {}, minimum, small), small);
    // Framed with a title bar: the frame fills the area, the window within it.
    const QMargins frame(1, 20, 1, 5);
    const QRect framed = FirstWindowFit::fitted(QRect(QPoint(1, 20), first.size()), frame, minimum, small);
    EXPECT_EQ(framed, QRect(1, 20, 1278, 695));
    EXPECT_EQ(framed.marginsAdded(frame), small);

    // A panel above and a second screen to the left: the area's own corner.
    const QRect panelled(1920, 32, 1280, 688);
    EXPECT_EQ(FirstWindowFit::fitted(QRect(QPoint(0, 0), first.size()), frame, minimum, panelled),
              QRect(1921, 52, 1278, 663));
    // Only the height is too much: the width stays, and the window moves back inside.
    EXPECT_EQ(FirstWindowFit::fitted(QRect(QPoint(300, 200), first.size()), frame, minimum, QRect(0, 0, 1920, 768)),
              QRect(300, 20, 1320, 743));
}

TEST(FirstWindowFit, AWindowThatFitsKeepsItsPlaceAndNoneGetsSmallerThanItsMinimum) {
    const QRect placed(140, 87, 1320, 780);
    const QMargins frame(1, 20, 1, 5);
    EXPECT_EQ(FirstWindowFit::fitted(placed, frame, minimum, QRect(0, 0, 1600, 900)), placed);
    EXPECT_EQ(FirstWindowFit::fitted(placed, {}, minimum, QRect(0, 0, 1920, 1080)), placed);

    // A screen smaller than the minimum: the minimum, against the area's top-left corner.
    EXPECT_EQ(FirstWindowFit::fitted(placed, frame, minimum, QRect(0, 0, 1024, 576)), QRect(1, 20, 1276, 600));
}

} // namespace
} // namespace sorvel::test
