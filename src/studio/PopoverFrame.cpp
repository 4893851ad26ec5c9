#include "studio/PopoverFrame.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/X11WindowHints.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace sorvel {

namespace {
constexpr int anchorGap = 4;
constexpr qreal cornerRadius = 10;
} // namespace

PopoverFrame::PopoverFrame(QWidget* parent) : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_WindowPropagation);
}

QRect PopoverFrame::room(const QRect& screen) {
    return screen.adjusted(screenMargin, screenMargin, -screenMargin, -screenMargin);
}

QPoint PopoverFrame::placement(const QRect& anchor, const QSize& size, const QRect& wholeScreen) {
    const QRect screen = room(wholeScreen);
    int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    int y = anchor.bottom() + 1 + anchorGap;
    if (y + size.height() > screen.bottom() + 1) {
        const int above = anchor.top() - anchorGap - size.height();
        y = above >= screen.top() ? above : screen.bottom() + 1 - size.height();
    }
    x = qMin(x, screen.right() + 1 - size.width());
    x = qMax(x, screen.left());
    y = qMax(y, screen.top());
    return {x, y};
}

void PopoverFrame::popUnder(QWidget* anchor) {
    adjustSize();
    if (anchor) {
        const QRect global(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        QScreen* screen = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(global.topLeft(), size());
        move(placement(global, size(), area));
    }
    show();
}

void PopoverFrame::openFrom(QWidget* anchor) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_NoMouseReplay);
    if (anchor)
        connect(this, &QObject::destroyed, anchor, qOverload<>(&QWidget::update));
    popUnder(anchor);
    if (anchor)
        anchor->update();
}

void PopoverFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(rect());
    Shapes::fillRounded(painter, plate, cornerRadius, Studio::bg1());
    Shapes::strokeRoundedInside(painter, plate, cornerRadius, Studio::line(), 1);
}

void PopoverFrame::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    cutCorners();
}

void PopoverFrame::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (isVisible())
        cutCorners();
}

void PopoverFrame::cutCorners() {
    X11WindowHints::cutWhereNotComposited(this, Shapes::roundedRect(QRectF(rect()), cornerRadius));
}

void PopoverFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace sorvel
