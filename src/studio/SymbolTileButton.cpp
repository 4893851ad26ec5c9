#include "studio/SymbolTileButton.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

SymbolTileButton::SymbolTileButton(const QString& symbol, qreal symbolSize, const QString& help, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol), m_symbolSize(symbolSize) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setHelp(help);
}

void SymbolTileButton::setSymbol(const QString& symbol) {
    changeAndRepaint(this, m_symbol, symbol);
}

void SymbolTileButton::setHelp(const QString& help) {
    setToolTip(help);
    setAccessibleName(help);
}

void SymbolTileButton::setActive(bool active) {
    changeAndRepaint(this, m_active, active);
}

void SymbolTileButton::setActiveColor(const QColor& color) {
    changeAndRepaint(this, m_activeColor, color);
}

QColor SymbolTileButton::symbolColor() const {
    if (!m_active)
        return Studio::text2();
    return m_activeColor.isValid() ? m_activeColor : Studio::tint(this);
}

QSize SymbolTileButton::sizeHint() const {
    return {side, side};
}

void SymbolTileButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    Shapes::fillRounded(painter, rect(), 7, Studio::bg3());
    Symbols::paintForFont(painter, QRectF(rect()).center(), m_symbolSize, m_symbol, symbolColor(),
                          Studio::Weight::Semibold);
}

} // namespace sorvel
