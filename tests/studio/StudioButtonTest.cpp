#include "PaintProbe.h"

#include "support/Waiting.h"

#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/StudioField.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace sorvel {
namespace {

using State = StudioButtonStyle::State;

TEST(StudioButtonStyle, OpacityDisabledWinsOverPressed) {
    EXPECT_EQ(StudioButtonStyle::opacity(State{false, false, true}), 1.0);
    EXPECT_EQ(StudioButtonStyle::opacity(State{true, false, true}), 1.0);
    EXPECT_EQ(StudioButtonStyle::opacity(State{false, true, true}), 0.7);
    EXPECT_EQ(StudioButtonStyle::opacity(State{false, true, false}), 0.4);
    EXPECT_EQ(StudioButtonStyle::opacity(State{false, false, false}), 0.4);
}

TEST(StudioButtonStyle, FillsAndSizes) {
    const QColor tint(0x00, 0x7A, 0xFF);
    const StudioButtonStyle plain{false, false};
    const StudioButtonStyle prominent{true, false};
    EXPECT_EQ(plain.fill(State{false, false, true}, tint), Studio::bg3());
    EXPECT_EQ(plain.fill(State{true, false, true}, tint), Studio::line());
    EXPECT_EQ(prominent.fill(State{false, false, true}, tint), tint);
    EXPECT_EQ(prominent.fill(State{true, false, true}, tint), tint);
    EXPECT_EQ(prominent.foreground(), Studio::bg0());
    EXPECT_EQ(plain.foreground(), Studio::text());

    const StudioButtonStyle compact{false, true};
    EXPECT_EQ(compact.font().pixelSize(), 11);
    EXPECT_EQ(plain.font().pixelSize(), 12);
    EXPECT_EQ(compact.padding(), QMarginsF(8, 4, 8, 4));
    EXPECT_EQ(plain.padding(), QMarginsF(12, 6, 12, 6));
    const QSizeF small = compact.sizeFor(QStringLiteral("今天"), {});
    const QSizeF large = plain.sizeFor(QStringLiteral("今天"), {});
    EXPECT_LT(small.width(), large.width());
    EXPECT_LT(small.height(), large.height());
    EXPECT_GT(plain.sizeFor(QStringLiteral("新建磁带"), QStringLiteral("plus")).width(),
              plain.sizeFor(QStringLiteral("新建磁带"), {}).width());
}

QImage grab(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(StudioButton, PaintsTintHoverPressAndDisabled) {
    QWidget window;
    window.setProperty(Studio::tintProperty(), QColor(0x00, 0x7A, 0xFF));
    auto* prominent = new StudioButton(QStringLiteral("归档"), StudioButtonStyle{true, false}, &window);
    auto* plain = new StudioButton(QStringLiteral("恢复"), StudioButtonStyle{false, true}, &window);
    prominent->resize(prominent->sizeHint());
    plain->resize(plain->sizeHint());
    EXPECT_EQ(plain->sizeHint().height(),
              int(std::ceil(StudioButtonStyle{false, true}.sizeFor(QStringLiteral("恢复"), {}).height())));

    // The corner point of the plate, clear of the label.
    const QPoint plate(3, plain->height() / 2);
    EXPECT_EQ(grab(*prominent).pixelColor(3, prominent->height() / 2), QColor(0x00, 0x7A, 0xFF));
    EXPECT_EQ(grab(*plain).pixelColor(plate), Studio::bg3());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(plain, &enter);
    EXPECT_TRUE(plain->isHovering());
    EXPECT_EQ(grab(*plain).pixelColor(plate), Studio::line());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plain, &leave);
    EXPECT_EQ(grab(*plain).pixelColor(plate), Studio::bg3());

    plain->setDown(true);
    const QColor pressed = grab(*plain).pixelColor(plate);
    EXPECT_TRUE(test::sameColor(pressed, QColor(0x2E, 0x2E, 0x32), 2)) << test::describe(pressed).toStdString();
    plain->setEnabled(false);
    const QColor disabled = grab(*plain).pixelColor(plate);
    EXPECT_TRUE(test::sameColor(disabled, QColor(0x1A, 0x1A, 0x1D), 2)) << test::describe(disabled).toStdString();
}

TEST(StudioButton, TheKeyboardFocusShowsAClearRingOnEveryPlate) {
    QWidget window;
    window.setProperty(Studio::tintProperty(), QColor(0x00, 0x7A, 0xFF));
    auto* prominent = new StudioButton(QStringLiteral("创建"), StudioButtonStyle{true, false}, &window);
    auto* plain = new StudioButton(QStringLiteral("取消"), StudioButtonStyle{false, false}, &window);
    auto* elsewhere = new QLineEdit(&window);
    prominent->setGeometry(QRect(QPoint(10, 10), prominent->sizeHint()));
    plain->setGeometry(QRect(QPoint(100, 10), plain->sizeHint()));
    elsewhere->setGeometry(10, 60, 100, 24);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return window.isActiveWindow(); }, 2000));

    for (StudioButton* button : {prominent, plain}) {
        elsewhere->setFocus(Qt::OtherFocusReason);
        ASSERT_FALSE(button->hasFocus());
        const QPoint edge(1, button->height() / 2); // on the plate's border, clear of the label
        const QColor resting = grab(*button).pixelColor(edge);
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->hasFocus());
        const QColor focused = grab(*button).pixelColor(edge);
        const int contrast = std::max({qAbs(focused.red() - resting.red()), qAbs(focused.green() - resting.green()),
                                       qAbs(focused.blue() - resting.blue())});
        EXPECT_GE(contrast, 90) << button->text().toStdString() << ": " << test::describe(resting).toStdString()
                                << " -> " << test::describe(focused).toStdString();
    }
}

TEST(StudioButton, AClickOnThePaddingTriggersIt) {
    StudioButton button(QStringLiteral("新建磁带"), QStringLiteral("plus"), StudioButtonStyle{true, false});
    button.resize(button.sizeHint());
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    const QPointF corner(1, 1);
    QMouseEvent press(QEvent::MouseButtonPress, corner, button.mapToGlobal(corner), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, corner, button.mapToGlobal(corner), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
    EXPECT_EQ(clicks, 1);
}

TEST(StudioField, DrawsTheWellWithABorderInside) {
    QLineEdit field;
    studioField(&field);
    studioField(&field); // applying twice changes nothing
    field.setText(QStringLiteral("备注"));
    field.resize(200, field.sizeHint().height());
    EXPECT_FALSE(field.hasFrame());
    const QImage image = grab(field);
    EXPECT_EQ(image.pixelColor(100, 0), Studio::line());
    EXPECT_EQ(image.pixelColor(190, 1), Studio::well());
    EXPECT_EQ(image.pixelColor(100, image.height() - 1), Studio::line());
    // Text starts 9 points in.
    EXPECT_EQ(field.textMargins().left() + 2, 9);

    QPlainTextEdit notes;
    studioField(&notes);
    notes.resize(200, 80);
    const QImage text = grab(notes);
    EXPECT_EQ(text.pixelColor(100, 0), Studio::line());
    EXPECT_EQ(text.pixelColor(4, 40), Studio::well());
    EXPECT_EQ(notes.cursorRect(QTextCursor(notes.document())).topLeft(), QPoint(8, 8));
    // The field still follows its window's accent for selections.
    QWidget window;
    notes.setParent(&window);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Highlight, QColor(0x34, 0xC7, 0x59));
    window.setPalette(palette);
    EXPECT_EQ(notes.palette().color(QPalette::Highlight), QColor(0x34, 0xC7, 0x59));
    notes.setParent(nullptr);
}

} // namespace
} // namespace sorvel
