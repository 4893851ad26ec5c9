#include "studio/PlainSymbolButton.h"

#include "studio/ButtonKeys.h"
#include "studio/FocusRing.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace sorvel {

PlainSymbolButton::PlainSymbolButton(const QString& symbol, const QString& text, const QFont& font, QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol) {
    setText(text);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PlainSymbolButton::setColor(const QColor& color) {
    changeAndRepaint(this, m_color, color);
}

QColor PlainSymbolButton::color() const {
    return m_color.isValid() ? m_color : Studio::tint(this);
}

QSize PlainSymbolButton::sizeFor(const QString& symbol, const QString& text, const QFont& font) {
    const qreal side = symbol.isEmpty() ? 0 : Symbols::sideForFontSize(font.pixelSize());
    const qreal textWidth = text.isEmpty() ? 0 : Shapes::textWidth(font, text);
    const qreal gap = side > 0 && textWidth > 0 ? symbolSpacing : 0;
    const qreal height = std::max(side, Shapes::lineHeight(font));
    return {int(std::ceil(side + gap + textWidth)) + 2, int(std::ceil(height)) + 2};
}

QSize PlainSymbolButton::sizeHint() const {
    return sizeFor(m_symbol, text(), font());
}

void PlainSymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(!isEnabled() ? 0.4 : (isDown() ? 0.7 : 1.0));
    const QColor ink = color();
    const qreal side = m_symbol.isEmpty() ? 0 : Symbols::sideForFontSize(font().pixelSize());
    const qreal textWidth = text().isEmpty() ? 0 : Shapes::textWidth(font(), text());
    const qreal gap = side > 0 && textWidth > 0 ? symbolSpacing : 0;
    const QRectF box(rect());
    qreal x = box.center().x() - (side + gap + textWidth) / 2;
    if (side > 0) {
        Symbols::paintForFont(painter, {x + side / 2, box.center().y()}, font().pixelSize(), m_symbol, ink);
        x += side + gap;
    }
    if (textWidth > 0)
        Shapes::drawLine(painter, font(), ink, {x, Shapes::centredBaseline(font(), box.center().y())}, text(),
                         textWidth + 1);
    if (hasFocus())
        FocusRing::paint(painter, this, box, focusRadius);
}

void PlainSymbolButton::keyPressEvent(QKeyEvent* event) {
    if (!ButtonKeys::press(*this, *event))
        QAbstractButton::keyPressEvent(event);
}

} // namespace sorvel
