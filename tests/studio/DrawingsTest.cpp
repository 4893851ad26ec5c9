#include "PaintProbe.h"

#include "studio/ProgressCapsule.h"
#include "studio/ReelView.h"
#include "studio/Studio.h"
#include "studio/TapeWindow.h"
#include "studio/WaveformBars.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sorvel {
namespace {

const QColor lit(0xFF, 0x00, 0x00);
const QColor track(0x00, 0x00, 0xFF);
const QUuid seed = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-000000000000"));
const double nan = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

QImage waveform(double progress, int count, const QRectF& rect = QRectF(0, 0, 100, 40)) {
    return test::renderImage(QSize(100, 40), [&](QPainter& painter) {
        WaveformBars::paint(painter, rect, progress, lit, seed, count, track);
    });
}

// The colour at the middle of bar `index` of `count` in a 100-point row.
QColor barColour(const QImage& image, int index, int count) {
    const qreal width = WaveformBars::barWidth(100, count);
    return image.pixelColor(int(WaveformBars::barLeft(100, count, index) + width / 2), 20);
}

TEST(WaveformBars, ColoursBarsStrictlyAboveTheirShare) {
    const QImage half = waveform(0.5, 4);
    EXPECT_EQ(barColour(half, 0, 4), lit);
    EXPECT_EQ(barColour(half, 1, 4), lit);
    EXPECT_EQ(barColour(half, 2, 4), track); // 0.5 is not greater than 2 ÷ 4
    EXPECT_EQ(barColour(half, 3, 4), track);

    const QImage none = waveform(0, 4);
    const QImage full = waveform(1, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(barColour(none, i, 4), track) << i;
        EXPECT_EQ(barColour(full, i, 4), lit) << i;
    }
}

TEST(WaveformBars, ProgressOutsideTheRangeIsClamped) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(barColour(waveform(nan, 4), i, 4), track) << i;
        EXPECT_EQ(barColour(waveform(-3, 4), i, 4), track) << i;
        EXPECT_EQ(barColour(waveform(-infinity, 4), i, 4), track) << i;
        EXPECT_EQ(barColour(waveform(7, 4), i, 4), lit) << i;
        EXPECT_EQ(barColour(waveform(infinity, 4), i, 4), track) << i; // not finite counts as 0
    }
    EXPECT_FALSE(WaveformBars::isLit(0.5, 0, 0));
}

TEST(WaveformBars, DegenerateRowsDrawNothing) {
    const QImage blank = test::renderImage(QSize(100, 40), [](QPainter&) {});
    EXPECT_EQ(waveform(1, 0), blank);
    EXPECT_EQ(waveform(1, -5), blank);
    // Four bars need six points of gaps: five points leave no room for bars.
    EXPECT_EQ(waveform(1, 4, QRectF(0, 0, 5, 40)), blank);
    EXPECT_EQ(WaveformBars::barWidth(5, 4), 0);
    EXPECT_EQ(WaveformBars::barWidth(nan, 4), 0);
    EXPECT_EQ(waveform(1, 4, QRectF(0, 0, -50, 40)), blank);
    // A huge count in a normal row fits no bar either (and allocates nothing big).
    EXPECT_EQ(waveform(1, 1'000'000'000), blank);
}

TEST(WaveformBars, BarsAreAtLeastTwoPointsHigh) {
    // A row 0 points high at y = 20 still shows 2-point bars around it.
    const QImage flat = waveform(1, 4, QRectF(0, 20, 100, 0));
    const qreal width = WaveformBars::barWidth(100, 4);
    EXPECT_EQ(flat.pixelColor(int(width / 2), 19), lit);
    EXPECT_EQ(flat.pixelColor(int(width / 2), 20), lit);
    EXPECT_EQ(flat.pixelColor(int(width / 2), 22), Qt::black);
}

// The lit runs along the middle line of a drawn row: where each bar starts and how wide it is.
QList<QPair<int, int>> litRuns(const QImage& image, int y) {
    QList<QPair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y).red() < 128)
            continue;
        if (runs.isEmpty() || runs.last().first + runs.last().second != x)
            runs.append({x, 0});
        ++runs.last().second;
    }
    return runs;
}

TEST(WaveformBars, AWiderRowSpreadsItsBarsInsteadOfWideningThem) {
    const auto draw = [](int width) {
        return test::renderImage(QSize(width, 46), [width](QPainter& painter) {
            WaveformBars::paint(painter, QRectF(0, 0, width, 46), 1, lit, seed, 40, track);
        });
    };
    const QList<QPair<int, int>> narrow = litRuns(draw(440), 23);
    const QList<QPair<int, int>> wide = litRuns(draw(1200), 23);
    ASSERT_EQ(narrow.size(), 40);
    ASSERT_EQ(wide.size(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_LE(std::abs(wide.at(i).second - narrow.at(i).second), 1) << i; // as slim as before
    // The row is still filled from edge to edge.
    EXPECT_LE(wide.first().first, 1);
    EXPECT_GE(wide.last().first + wide.last().second, 1199);
    EXPECT_DOUBLE_EQ(WaveformBars::barLeft(1200, 40, 39) + WaveformBars::barWidth(1200, 40), 1200);
}

TEST(TapeWindow, LayoutFollowsTheReelSize) {
    const auto layout = TapeWindow::layout(QRectF(0, 0, 240, 40.8), 30);
    EXPECT_DOUBLE_EQ(layout.reelSize, 30);
    EXPECT_DOUBLE_EQ(layout.supplyReel.left(), 7.5);
    EXPECT_DOUBLE_EQ(layout.track.left(), 45);
    EXPECT_DOUBLE_EQ(layout.track.width(), 150);
    EXPECT_DOUBLE_EQ(layout.track.height(), 4);
    EXPECT_DOUBLE_EQ(layout.takeUpReel.right(), 232.5);
}

TEST(TapeWindow, WoundLineAtZeroTinyAndFullProgress) {
    EXPECT_EQ(TapeWindow::woundWidth(150, 0), 0);
    EXPECT_EQ(TapeWindow::woundWidth(150, 0.001), 4);
    EXPECT_EQ(TapeWindow::woundWidth(150, 0.5), 75);
    EXPECT_EQ(TapeWindow::woundWidth(150, 1), 150);
    EXPECT_EQ(TapeWindow::woundWidth(150, 3), 150);
    EXPECT_EQ(TapeWindow::woundWidth(150, nan), 0);
    EXPECT_EQ(TapeWindow::woundWidth(2, 0.5), 2); // never wider than its track
    EXPECT_EQ(TapeWindow::woundWidth(-10, 0.5), 0);

    const QColor orange(0xFF, 0x7A, 0x3D);
    const auto draw = [&](double progress) {
        return test::renderImage(QSize(240, 41), [&](QPainter& painter) {
            TapeWindow::paint(painter, QRectF(0, 0, 240, 40.8), progress, orange, 30);
        });
    };
    const QColor disc(0x0E, 0x0E, 0x10);
    const QColor pack(0x4A, 0x36, 0x2C);

    const QImage empty = draw(0);
    EXPECT_EQ(empty.pixelColor(47, 20), Studio::bg3());
    EXPECT_EQ(empty.pixelColor(190, 20), Studio::bg3());
    EXPECT_EQ(empty.pixelColor(32, 20), pack); // full supply reel
    EXPECT_EQ(empty.pixelColor(227, 20), disc); // empty take-up reel

    const QImage tiny = draw(0.001);
    EXPECT_EQ(tiny.pixelColor(47, 20), orange); // the 4-point minimum from x = 45
    EXPECT_EQ(tiny.pixelColor(51, 20), Studio::bg3());

    const QImage full = draw(1);
    EXPECT_EQ(full.pixelColor(47, 20), orange);
    EXPECT_EQ(full.pixelColor(192, 20), orange);
    EXPECT_EQ(full.pixelColor(32, 20), disc); // supply reel run out
    EXPECT_EQ(full.pixelColor(227, 20), pack); // take-up reel full

    // Progress that is not a number draws as none; beyond 1 as full.
    EXPECT_EQ(draw(nan), empty);
    EXPECT_EQ(draw(5), full);
}

TEST(TapeWindow, TinyFramesShrinkInsteadOfOverlapping) {
    for (const QRectF& frame : {QRectF(0, 0, 20, 10), QRectF(0, 0, 0, 0), QRectF(0, 0, 90, 2), QRectF(5, 5, -40, 30)}) {
        const auto layout = TapeWindow::layout(frame, 30);
        EXPECT_GE(layout.reelSize, 0);
        EXPECT_GE(layout.track.width(), 0);
        EXPECT_GE(layout.track.height(), 0);
        EXPECT_LE(layout.supplyReel.right(), layout.takeUpReel.left() + 1e-9);
        EXPECT_TRUE(layout.plate.contains(layout.supplyReel) || layout.plate.isEmpty());
    }
    // Drawing into a 20 × 10 frame leaves everything outside it untouched.
    const QImage image = test::renderImage(
        QSize(40, 30), [](QPainter& painter) { TapeWindow::paint(painter, QRectF(10, 10, 20, 10), 0.5, Qt::red, 30); });
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (x < 10 || x >= 30 || y < 10 || y >= 20) {
                ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::black)) << x << "," << y;
            }
        }
    }
}

TEST(ReelView, MeasuresFollowTheSize) {
    EXPECT_NEAR(ReelView::hubDiameter(22), 9.24, 1e-9);
    EXPECT_DOUBLE_EQ(ReelView::spokeWidth(22), 1.5);
    EXPECT_NEAR(ReelView::spokeWidth(100), 5.04, 1e-9);
    EXPECT_NEAR(ReelView::packDiameter(22, -1), ReelView::hubDiameter(22), 1e-9);
    EXPECT_NEAR(ReelView::packDiameter(22, 2), ReelView::packDiameter(22, 1), 1e-9);
    EXPECT_NEAR(ReelView::packDiameter(100, 1), 42 + 58 * 0.92, 1e-9);
    EXPECT_NEAR(ReelView::packDiameter(22, nan), ReelView::hubDiameter(22), 1e-9);
    EXPECT_EQ(ReelView::packDiameter(-5, 1), 0);
}

TEST(ReelView, WidgetDrawsItsOwnSizeCentredInALargerFrame) {
    ReelView reel(0, 20);
    reel.resize(60, 40);
    QImage image(reel.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    reel.render(&image);
    // The hub between two spokes, the disc 8 points above the centre, nothing outside the 20-point square.
    EXPECT_TRUE(test::sameColor(image.pixelColor(31, 17), Studio::label(), 12))
        << test::describe(image.pixelColor(31, 17)).toStdString();
    EXPECT_TRUE(test::sameColor(image.pixelColor(30, 12), QColor(0x0E, 0x0E, 0x10), 2));
    EXPECT_EQ(image.pixelColor(30, 6), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(16, 20), QColor(Qt::black));
}

TEST(ProgressCapsule, FillKeepsAMinimumDotAndStaysInside) {
    EXPECT_EQ(ProgressCapsule::fillWidth(200, 0, 4), 0);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, 0.01, 4), 4);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, 0.5, 4), 100);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, 1, 4), 200);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, 1.5, 4), 200);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, -1, 4), 0);
    EXPECT_EQ(ProgressCapsule::fillWidth(200, nan, 4), 0);
    EXPECT_EQ(ProgressCapsule::fillWidth(2, 0.5, 4), 2);
    EXPECT_EQ(ProgressCapsule::fillWidth(-20, 0.5, 4), 0);

    const QImage image = test::renderImage(
        QSize(200, 4), [](QPainter& painter) { ProgressCapsule::paint(painter, QRectF(0, 0, 200, 4), 0.25, lit, 4); });
    EXPECT_EQ(image.pixelColor(25, 2), lit);
    // The faint track beyond the fill: the colour at 0.18 over black.
    EXPECT_TRUE(test::sameColor(image.pixelColor(150, 2), QColor(46, 0, 0), 2))
        << test::describe(image.pixelColor(150, 2)).toStdString();
}

} // namespace
} // namespace sorvel
