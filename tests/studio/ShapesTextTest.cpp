#include "PaintProbe.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace sorvel {
namespace {

const QString summary = QStringLiteral("交付 1/3 · 录混 2/3 · 7′10″");

TEST(ShapesText, TheMiddleDotIsHalfWidthInEveryStudioFont) {
    for (const bool monospaced : {true, false}) {
        const QFont font = Studio::font(10, Studio::Weight::Regular, monospaced);
        const qreal ideograph = Shapes::textWidth(font, QStringLiteral("交"));
        const qreal dot = Shapes::textWidth(font, QStringLiteral("·"));
        EXPECT_GT(dot, 0) << monospaced;
        EXPECT_LE(dot, ideograph * 0.65) << monospaced;
        // A line with dots measures the narrow dots.
        EXPECT_NEAR(Shapes::textWidth(font, QStringLiteral("交·交")), 2 * ideograph + dot, 0.6) << monospaced;
    }
    // In monospaced text the dot keeps about the width of a digit.
    const QFont mono = Studio::font(10, Studio::Weight::Regular, true);
    EXPECT_NEAR(Shapes::textWidth(mono, QStringLiteral("·")), Shapes::textWidth(mono, QStringLiteral("0")), 1.5);
}

TEST(ShapesText, ASummaryFitsWhereItsNarrowWidthSaysAndIsCutWhereItDoesNot) {
    const QFont font = Studio::font(10, Studio::Weight::Regular, true);
    const qreal width = Shapes::textWidth(font, summary);
    qreal drawn = 0;
    const QImage whole = test::renderImage(QSize(240, 20), [&](QPainter& painter) {
        drawn = Shapes::drawLine(painter, font, Qt::white, QPointF(0, 14), summary, width + 0.5);
    });
    EXPECT_NEAR(drawn, width, 0.01);

    // Cut with an ellipsis, never wider than the room.
    const qreal room = width * 0.6;
    qreal cut = 0;
    const QImage shortened = test::renderImage(QSize(240, 20), [&](QPainter& painter) {
        cut = Shapes::drawLine(painter, font, Qt::white, QPointF(0, 14), summary, room);
    });
    EXPECT_GT(cut, 0);
    EXPECT_LE(cut, room);
    // Nothing is drawn right of the room.
    for (int y = 0; y < shortened.height(); ++y) {
        for (int x = int(std::ceil(room)) + 1; x < shortened.width(); ++x)
            ASSERT_EQ(shortened.pixelColor(x, y), QColor(Qt::black)) << x << "," << y;
    }
    // And the full line does draw ink over its whole width.
    bool inkAtTheEnd = false;
    for (int y = 0; y < whole.height(); ++y) {
        for (int x = int(width) - 5; x < int(std::ceil(width)); ++x)
            inkAtTheEnd = inkAtTheEnd || whole.pixelColor(x, y) != QColor(Qt::black);
    }
    EXPECT_TRUE(inkAtTheEnd);
}

} // namespace
} // namespace sorvel
