#include "app/detail/DetailIconButton.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

DetailIconButton::DetailIconButton(const QString& symbol, const QString& help, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setHelp(help);
}

void DetailIconButton::setSymbol(const QString& symbol) {
    changeAndRepaint(this, m_symbol, symbol);
}

void DetailIconButton::setHelp(const QString& help) {
    setToolTip(help);
    setAccessibleName(help);
}

QSize DetailIconButton::sizeHint() const {
    return {side, side};
}

void DetailIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    Shapes::fillRounded(painter, rect(), 7, Studio::bg3());
    const bool focusMark = m_symbol == QStringLiteral("star.fill");
    Symbols::paintForFont(painter, QRectF(rect()).center(), 12, m_symbol,
                          focusMark ? Studio::systemYellow() : Studio::text2(), Studio::Weight::Semibold);
}

} // namespace sorvel
