#include "app/settings/SymbolButton.h"

#include "studio/Symbols.h"

#include <QPainter>

namespace sorvel {

SymbolButton::SymbolButton(const QString& symbol, const QColor& color, int side, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_color(color), m_side(side) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    Symbols::paint(painter, QRectF(rect()).adjusted(2, 2, -2, -2), m_symbol, m_color);
}

} // namespace sorvel
