#include "PaintProbe.h"
#include "support/Waiting.h"

#include "studio/Studio.h"
#include "studio/StudioStyle.h"

#include <QApplication>
#include <QMenu>
#include <QStyleFactory>
#include <QToolTip>

#include <gtest/gtest.h>

namespace sorvel {
namespace {

// How far two colours lie apart, summed over the channels.
int distance(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// The largest contrast against the menu's own background along one row.
int rowContrast(const QImage& image, int y, const QColor& background) {
    int most = 0;
    for (int x = 0; x < image.width(); ++x)
        most = std::max(most, distance(image.pixelColor(x, y), background));
    return most;
}

TEST(StudioStyle, MenuSeparatorsStandOutOnTheDarkMenu) {
    StudioStyle style;
    QMenu menu;
    menu.setStyle(&style);
    menu.setPalette(Studio::palette(Studio::tape()));
    menu.addAction(QStringLiteral("标记为完成"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("删除"));
    menu.ensurePolished();
    menu.resize(menu.sizeHint());
    const QRect rule = menu.actionGeometry(menu.actions().at(1));
    ASSERT_TRUE(rule.isValid());

    QImage image(menu.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    menu.render(&image);
    const QColor background = image.pixelColor(rule.left() + 2, rule.top());
    int strongest = 0;
    for (int y = rule.top(); y <= rule.bottom(); ++y)
        strongest = std::max(strongest, rowContrast(image, y, background));
    // The line colour of the studio, not a shade the eye cannot find.
    EXPECT_GE(strongest, distance(Studio::line(), Studio::well()) / 2) << test::describe(background).toStdString();
}

// Tooltips keep a palette of their own; install() gives them the studio's.
class StudioStyleInstalled : public ::testing::Test {
protected:
    void TearDown() override {
        QToolTip::hideText();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(applicationPalette);
        QToolTip::setPalette(toolTipPalette);
    }
    QPalette applicationPalette = QApplication::palette();
    QPalette toolTipPalette = QToolTip::palette();
};

TEST_F(StudioStyleInstalled, TooltipsAreDarkLikeTheRest) {
    StudioStyle::install();
    EXPECT_NE(qobject_cast<StudioStyle*>(QApplication::style()), nullptr);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Studio::bg0());

    QWidget owner;
    owner.resize(200, 100);
    owner.show();
    QToolTip::showText(owner.mapToGlobal(QPoint(20, 20)), QStringLiteral("设置"), &owner);
    QWidget* tip = nullptr;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->inherits("QTipLabel") && widget->isVisible())
                    tip = widget;
            }
            return tip != nullptr;
        },
        2000));
    const QImage picture = tip->grab().toImage();
    const QColor inside = picture.pixelColor(picture.width() - 3, picture.height() / 2);
    EXPECT_LT(inside.lightness(), 100) << test::describe(inside).toStdString();
    EXPECT_GT(tip->palette().color(QPalette::WindowText).lightness(), 180);
}

} // namespace
} // namespace sorvel
