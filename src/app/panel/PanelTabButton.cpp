#include "app/panel/PanelTabButton.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

namespace {

QFont titleFont() {
    return Studio::font(12, Studio::Weight::Medium);
}

QFont countFont() {
    return Studio::font(10, Studio::Weight::Regular, true);
}

constexpr qreal gap = 5;

} // namespace

PanelTabButton::PanelTabButton(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PanelTabButton::setCountText(const QString& count) {
    changeAndRepaint(this, m_count, count);
}

void PanelTabButton::setCurrent(bool current) {
    changeAndRepaint(this, m_current, current);
}

QSize PanelTabButton::sizeHint() const {
    const qreal width = Shapes::textWidth(titleFont(), text()) + gap + Shapes::textWidth(countFont(), m_count);
    return {qCeil(width) + 12, qCeil(Shapes::lineHeight(titleFont())) + 12};
}

void PanelTabButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect(), 7, m_current ? Studio::tint(this) : Studio::bg3());
    const QColor ink = m_current ? Studio::bg0() : Studio::text2();
    const qreal titleWidth = Shapes::textWidth(titleFont(), text());
    const qreal countWidth = Shapes::textWidth(countFont(), m_count);
    qreal x = (width() - titleWidth - gap - countWidth) / 2;
    const qreal midY = height() / 2.0;
    Shapes::drawLine(painter, titleFont(), ink, QPointF(x, Shapes::centredBaseline(titleFont(), midY)), text(),
                     titleWidth + 1);
    x += titleWidth + gap;
    Shapes::drawLine(painter, countFont(), ink, QPointF(x, Shapes::centredBaseline(countFont(), midY)), m_count,
                     countWidth + 1);
}

} // namespace sorvel
