#include "PaintProbe.h"
#include "support/Waiting.h"

#include "studio/Studio.h"
#include "studio/StudioStyle.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
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

// How many pixels of `rect` have `color`.
int pixelsOf(const QImage& image, const QRect& rect, const QColor& color) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += test::sameColor(image.pixelColor(x, y), color) ? 1 : 0;
    }
    return count;
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

// A menu is a window of its own: whatever palette it carries, its highlight,
// and that of the menu bar's titles, is the accent of the window it opens from.
TEST(StudioStyle, MenusHighlightInTheAccentOfTheirWindow) {
    StudioStyle style;
    const QColor purple(0xAF, 0x52, 0xDE);
    QWidget window;
    window.setPalette(Studio::palette(Studio::tape()));
    window.setProperty(Studio::tintProperty(), purple);
    QWidget* owner = new QWidget(&window);

    QMenu menu(owner);
    menu.setStyle(&style);
    menu.setPalette(owner->palette());
    menu.addAction(QStringLiteral("标记为完成"));
    menu.addAction(QStringLiteral("删除"));
    menu.ensurePolished();
    menu.resize(menu.sizeHint());
    menu.setActiveAction(menu.actions().first());
    QImage image(menu.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    menu.render(&image);
    const QRect lit = menu.actionGeometry(menu.actions().first());
    EXPECT_GT(pixelsOf(image, lit, purple), lit.width() * lit.height() / 2);
    EXPECT_EQ(pixelsOf(image, lit, Studio::tape()), 0);

    QMenuBar bar(&window);
    QStyleOptionMenuItem title;
    title.initFrom(&bar);
    title.palette = Studio::palette(Studio::tape());
    title.state |= QStyle::State_Selected | QStyle::State_Sunken | QStyle::State_Enabled;
    title.menuItemType = QStyleOptionMenuItem::Normal;
    title.text = QStringLiteral("文件");
    title.rect = QRect(0, 0, 60, 24);
    const QImage titleImage = test::renderImage(title.rect.size(), [&](QPainter& painter) {
        style.drawControl(QStyle::CE_MenuBarItem, &title, &painter, &bar);
    });
    EXPECT_GT(pixelsOf(titleImage, title.rect, purple), 60 * 24 / 2);
    EXPECT_EQ(pixelsOf(titleImage, title.rect, Studio::tape()), 0);
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
