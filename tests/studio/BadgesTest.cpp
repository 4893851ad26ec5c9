#include "PaintProbe.h"

#include "studio/KindBadge.h"
#include "studio/SectionTitle.h"
#include "studio/StageAdvanceIcon.h"
#include "studio/StageBadge.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(StageLook, EachStageHasItsSymbolTitleAndColour) {
    const struct {
        CueStage stage;
        const char* symbol;
        QString title;
        QString hex;
    } expected[] = {
        {CueStage::NotStarted, "circle.dashed", QStringLiteral("未开始"), QStringLiteral("8E8D93")},
        {CueStage::Composing, "pencil", QStringLiteral("作曲中"), QStringLiteral("FFB340")},
        {CueStage::Revising, "arrow.triangle.2.circlepath", QStringLiteral("修改中"), QStringLiteral("FF7A3D")},
        {CueStage::Mixed, "slider.vertical.3", QStringLiteral("已录混"), QStringLiteral("5AC8FA")},
        {CueStage::Delivered, "checkmark", QStringLiteral("已交付"), QStringLiteral("34C759")},
    };
    for (const auto& row : expected) {
        const StageLook look = StageLook::of(row.stage);
        EXPECT_EQ(look.symbol, QString::fromLatin1(row.symbol));
        EXPECT_EQ(look.title, row.title);
        EXPECT_EQ(Studio::hexString(look.color), row.hex);
    }
}

TEST(StageBadge, CompactShowsTheSymbolAloneWithNarrowerPadding) {
    const QSizeF compact = StageBadge::sizeFor(CueStage::Composing, true);
    const QSizeF full = StageBadge::sizeFor(CueStage::Composing, false);
    EXPECT_LT(compact.width(), full.width());
    // Compact: padding 4 + symbol + 4; the symbol is set at 8 points.
    EXPECT_NEAR(compact.width(), 8 + 8 * 1.25, 1e-9);
    // Only the full badge carries the title's width.
    EXPECT_GT(full.width() - compact.width(), 20);

    // Background: the stage colour at 0.16 over black, at the badge's left padding.
    const QImage image = test::renderImage(QSize(80, 24), [](QPainter& painter) {
        StageBadge::paint(painter, QRectF(0, 0, 80, 24), CueStage::Mixed, false);
    });
    const QColor fill = image.pixelColor(3, 12);
    EXPECT_TRUE(test::sameColor(fill, QColor(0x0E, 0x20, 0x28), 2)) << test::describe(fill).toStdString();
}

TEST(StageAdvanceIcon, DeliveredIsASolidDiscOthersAFaintRing) {
    const auto draw = [](CueStage stage) {
        return test::renderImage(QSize(40, 40), [stage](QPainter& painter) {
            StageAdvanceIcon::paint(painter, QRectF(0, 0, 40, 40), stage);
        });
    };
    // A point inside the ring, away from the mark.
    const QPoint inside(6, 20);
    EXPECT_EQ(draw(CueStage::Delivered).pixelColor(inside), QColor(0x34, 0xC7, 0x59));
    const QColor faint = draw(CueStage::Composing).pixelColor(inside);
    EXPECT_TRUE(test::sameColor(faint, QColor(0x26, 0x1B, 0x0A), 2)) << test::describe(faint).toStdString();
    // The ring itself is drawn in the stage colour, inside the frame.
    EXPECT_TRUE(test::sameColor(draw(CueStage::NotStarted).pixelColor(20, 0), Studio::text3(), 3));

    StageAdvanceIcon button(CueStage::Mixed, 18);
    EXPECT_EQ(button.sizeHint(), QSize(22, 22)); // 2 points of margin on every side
}

TEST(KindBadge, MeasuresAndGreyFallback) {
    EXPECT_NEAR(KindBadge::cornerRadius(26), 7.28, 1e-9);
    EXPECT_EQ(KindBadge::symbolFontSize(26), 13);
    ProjectType kind{QUuid::createUuid(), QStringLiteral("坏"), QStringLiteral("tag"), QStringLiteral("#12")};
    const QImage image = test::renderImage(
        QSize(26, 26), [&](QPainter& painter) { KindBadge::paint(painter, QRectF(0, 0, 26, 26), kind); });
    // The bottom edge of the tile carries the base colour of its gradient.
    EXPECT_TRUE(test::sameColor(image.pixelColor(13, 25), Studio::systemGray(), 3))
        << test::describe(image.pixelColor(13, 25)).toStdString();
}

TEST(SectionTitle, TagTakesTheTintAndComesFirst) {
    const QColor tint(0x34, 0xC7, 0x59);
    const QImage image = test::renderImage(QSize(240, 20), [&](QPainter& painter) {
        SectionTitle::paint(painter, QRectF(0, 0, 240, 20), QStringLiteral("条目"), QStringLiteral("CUES"),
                            QStringLiteral("4′05″"), tint);
    });
    int firstTint = -1;
    int firstText2 = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (firstTint < 0 && test::sameColor(c, tint, 10))
                firstTint = x;
            if (firstText2 < 0 && test::sameColor(c, Studio::text2(), 10))
                firstText2 = x;
        }
    }
    ASSERT_GE(firstTint, 0);
    ASSERT_GE(firstText2, 0);
    EXPECT_LT(firstTint, firstText2);
}

} // namespace
} // namespace sorvel
