#include "PaintProbe.h"
#include "support/SampleRecords.h"

#include "studio/CassetteCard.h"
#include "studio/Studio.h"

#include "core/Clock.h"
#include "core/CueTime.h"
#include "core/StudioText.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

using Tag = CassetteCard::Tag;
using Step = CassetteCard::NextStep;

using test::sampleCue;

AudioProject makeProject() {
    return AudioProject::make(QStringLiteral("Farming 春季配乐"), ProjectType::musicID);
}

QDateTime daysFromToday(int days) {
    return Clock::startOfToday().addDays(days);
}

TEST(CassetteCardTexts, ArchivedWinsOverEverything) {
    AudioProject project = makeProject();
    project.status = ProjectStatus::Done;
    project.deadline = daysFromToday(-3);
    project.archivedAt = daysFromToday(-1);
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Archived, QStringLiteral("已归档")}));
    EXPECT_EQ(CassetteCard::subtitle(project),
              QStringLiteral("ARCHIVED ") + StudioText::shortDate(*project.archivedAt));
    EXPECT_EQ(CassetteCard::tagText(Tag::Archived), QStringLiteral("ARCHIVED"));
    EXPECT_FALSE(CassetteCard::reelsTurn(project, true));
}

TEST(CassetteCardTexts, DoneThenLateThenNextCue) {
    AudioProject project = makeProject();
    project.items = {sampleCue(QStringLiteral("M01"), QStringLiteral("片头"), CueStage::Delivered),
                     sampleCue(QStringLiteral("M03"), QStringLiteral("开场"), CueStage::Composing)};
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("M03  开场 · 作曲中")}));
    EXPECT_TRUE(CassetteCard::reelsTurn(project, true));
    EXPECT_FALSE(CassetteCard::reelsTurn(project, false));

    project.deadline = daysFromToday(-1);
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Late, QStringLiteral("开场")}));

    // A hand-edited file's spaces around the number and title are not shown.
    project.items.last().number = QStringLiteral("  M03 ");
    project.items.last().title = QStringLiteral(" 开场  ");
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Late, QStringLiteral("开场")}));
    project.deadline.reset();
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("M03  开场 · 作曲中")}));
    project.deadline = daysFromToday(-1);
    project.items[1].stage = CueStage::Delivered;
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Late, QStringLiteral("已逾期")}));

    // A deadline today is not late.
    project.deadline = daysFromToday(0);
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("标记完成")}));

    project.status = ProjectStatus::Done;
    project.deadline = daysFromToday(-5);
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Done, QStringLiteral("等待归档")}));
    EXPECT_FALSE(CassetteCard::reelsTurn(project, true));
}

TEST(CassetteCardTexts, ManualAndEmptyProjects) {
    AudioProject project = makeProject();
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("添加条目")}));
    EXPECT_EQ(CassetteCard::subtitle(project), project.cueSummary());

    project.progressMode = ProgressMode::Manual;
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("继续推进进度")}));
    EXPECT_EQ(CassetteCard::subtitle(project), QStringLiteral("MANUAL"));
    project.items = {sampleCue(QStringLiteral("S1"), QStringLiteral("脚步"), CueStage::Delivered, 0)};
    EXPECT_EQ(CassetteCard::subtitle(project), QStringLiteral("MANUAL"));
    project.items = {sampleCue(QStringLiteral("S1"), QStringLiteral("脚步"), CueStage::Delivered, 65),
                     sampleCue(QStringLiteral("S2"), QStringLiteral("风"), CueStage::Mixed, 60)};
    EXPECT_EQ(CassetteCard::subtitle(project), QStringLiteral("MANUAL · ") + CueTime::total(125));
    // A manual project with an open cue still names that cue.
    EXPECT_EQ(CassetteCard::nextStep(project), (Step{Tag::Next, QStringLiteral("S2  风 · 已录混")}));
}

// Card pictures: 280 wide at the natural height, on black.
QImage card(const AudioProject& project, const CassetteCard::Look& look, const ProjectType& kind) {
    const int height = int(std::ceil(CassetteCard::naturalHeight()));
    return test::renderImage(QSize(280, height), [&](QPainter& painter) {
        CassetteCard::paint(painter, QRectF(0, 0, 280, height), project, kind, look);
    });
}

class CassetteCardPicture : public ::testing::Test {
protected:
    ProjectType kind = ProjectType::defaults().first();
    QColor tint = QColor(0x00, 0x7A, 0xFF);
    // A point of the bare face: just left of the tape window, inside the card inset.
    QPoint face() const { return QPoint(5, int(CassetteCard::naturalHeight() / 2) + 20); }
};

TEST_F(CassetteCardPicture, FaceBorderAndHover) {
    const AudioProject project = makeProject();
    const QImage plain = card(project, {false, false, tint}, kind);
    EXPECT_EQ(plain.pixelColor(face()), Studio::bg2());
    EXPECT_EQ(plain.pixelColor(140, 0), Studio::line());
    EXPECT_EQ(plain.pixelColor(140, 1), Studio::bg2());

    const QImage hovered = card(project, {false, true, tint}, kind);
    EXPECT_EQ(hovered.pixelColor(face()), Studio::bg3());

    const QImage selected = card(project, {true, false, tint}, kind);
    EXPECT_EQ(selected.pixelColor(140, 0), tint);
    EXPECT_EQ(selected.pixelColor(140, 1), tint);
    EXPECT_EQ(selected.pixelColor(140, 2), Studio::bg2());
}

TEST_F(CassetteCardPicture, FocusedBorderIsYellowUnlessSelected) {
    AudioProject project = makeProject();
    project.isFocused = true;
    const QColor focused = card(project, {false, false, tint}, kind).pixelColor(140, 0);
    EXPECT_GT(focused.red(), 150);
    EXPECT_GT(focused.green(), 130);
    EXPECT_LT(focused.blue(), 90);
    EXPECT_EQ(card(project, {true, false, tint}, kind).pixelColor(140, 0), tint);
}

TEST_F(CassetteCardPicture, ArchivedCardIsDimmedAsAWholeAndStaysOpaque) {
    AudioProject project = makeProject();
    project.archivedAt = daysFromToday(-1);
    // The look of 0.6 opacity over the page (bg0), whatever lies behind the card:
    // a card behind it in a fan does not show through.
    const int height = int(std::ceil(CassetteCard::naturalHeight()));
    for (const QColor& behind : {QColor(Qt::black), QColor(Qt::white), QColor(Qt::magenta)}) {
        const QImage image = test::renderImage(
            QSize(280, height),
            [&](QPainter& painter) {
                CassetteCard::paint(painter, QRectF(0, 0, 280, height), project, kind, {false, false, tint});
            },
            behind);
        const QColor faded = image.pixelColor(face());
        EXPECT_TRUE(test::sameColor(faded, QColor(0x2C, 0x2C, 0x31), 2)) << test::describe(faded).toStdString();
    }
    const QColor hoveredFaded = card(project, {false, true, tint}, kind).pixelColor(face());
    EXPECT_TRUE(test::sameColor(hoveredFaded, QColor(0x34, 0x34, 0x3A), 2))
        << test::describe(hoveredFaded).toStdString();
}

TEST_F(CassetteCardPicture, AnArchivedCardDrawnScaledDownIsWhole) {
    AudioProject project = makeProject();
    project.archivedAt = daysFromToday(-1);
    const int height = int(std::ceil(CassetteCard::naturalHeight()));
    constexpr qreal scale = 0.85; // as the multi-selection fans its cards
    const QImage image = test::renderImage(
        QSize(280, height),
        [&](QPainter& painter) {
            painter.scale(scale, scale);
            CassetteCard::paint(painter, QRectF(0, 0, 280, height), project, kind, {false, false, tint});
        },
        Qt::magenta);
    // Across the name row: the label paper ends 10 before the card's right edge,
    // then comes the face, then the page.
    const int y = int(40 * scale);
    EXPECT_GT(image.pixelColor(int(250 * scale), y).lightness(), 90);
    EXPECT_LT(image.pixelColor(int(275 * scale), y).lightness(), 70);
    EXPECT_EQ(image.pixelColor(int(std::ceil(280 * scale)) + 1, y), QColor(Qt::magenta));
}

TEST_F(CassetteCardPicture, ScrewsAreWholeWhereTheCornersCurveAway) {
    const AudioProject project = makeProject();
    const int height = int(std::ceil(CassetteCard::naturalHeight()));
    const QImage image = test::renderImage(
        QSize(280, height),
        [&](QPainter& painter) {
            CassetteCard::paint(painter, QRectF(0, 0, 280, height), project, kind, {false, false, tint});
        },
        Qt::magenta);
    // The screw heads are 4 across, centred 5 in from both edges; their outer
    // rims lie beyond the rounded corners and must still be drawn.
    const QPoint rims[] = {{4, 3}, {275, 3}, {4, height - 4}, {275, height - 4}};
    for (const QPoint& rim : rims) {
        const QColor colour = image.pixelColor(rim);
        EXPECT_LT(colour.red(), 120) << rim.x() << "," << rim.y() << " " << test::describe(colour).toStdString();
        EXPECT_LT(colour.blue(), 120) << rim.x() << "," << rim.y() << " " << test::describe(colour).toStdString();
    }
}

TEST_F(CassetteCardPicture, StaysInsideTinyAndEmptyFrames) {
    const AudioProject project = makeProject();
    for (const QRectF& frame :
         {QRectF(10, 10, 30, 20), QRectF(10, 10, 3, 3), QRectF(10, 10, 0, 0), QRectF(10, 10, -50, -50)}) {
        const QImage image = test::renderImage(
            QSize(60, 60),
            [&](QPainter& painter) {
                CassetteCard::paint(painter, frame, project, kind, {true, true, tint});
            },
            Qt::magenta);
        const QRect inside = frame.toAlignedRect();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!inside.contains(x, y)) {
                    ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::magenta)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(CassetteCardPicture, InvalidTypeColourDrawsGrey) {
    AudioProject project = makeProject();
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = 1.0;
    ProjectType broken = kind;
    broken.colorHex = QStringLiteral("zzz");
    const QImage image = card(project, {false, false, tint}, broken);
    // Column 120 crosses the type strip and the wound tape line.
    bool foundGrey = false;
    bool foundPink = false;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(120, y);
        foundGrey |= c == Studio::systemGray();
        foundPink |= test::sameColor(c, QColor(0xFF, 0x2D, 0x55), 2);
    }
    EXPECT_TRUE(foundGrey);
    EXPECT_FALSE(foundPink);
}

} // namespace
} // namespace sorvel
