#include "app/panel/PanelIconButton.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/StudioLabel.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

PanelIconButton::PanelIconButton(const QString& symbol, const QString& help, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol) {
    setToolTip(Studio::plainToolTip(help));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(side, side);
}

void PanelIconButton::setSymbol(const QString& symbol) {
    changeAndRepaint(this, m_symbol, symbol);
}

void PanelIconButton::setActive(bool active) {
    changeAndRepaint(this, m_active, active);
}

QColor PanelIconButton::symbolColor() const {
    return m_active ? Studio::tint(this) : Studio::text2();
}

QSize PanelIconButton::sizeHint() const {
    return {side, side};
}

void PanelIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.7);
    Shapes::fillRounded(painter, rect(), 7, Studio::bg3());
    Symbols::paintForFont(painter, QRectF(rect()).center(), 11, m_symbol, symbolColor(), Studio::Weight::Semibold);
}

} // namespace sorvel
