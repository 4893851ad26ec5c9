#include "studio/StudioButton.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace sorvel {

QFont StudioButtonStyle::font() const {
    return Studio::font(compact ? 11 : 12, Studio::Weight::Medium);
}

QMarginsF StudioButtonStyle::padding() const {
    return compact ? QMarginsF(8, 4, 8, 4) : QMarginsF(12, 6, 12, 6);
}

QColor StudioButtonStyle::foreground() const {
    return prominent ? Studio::bg0() : Studio::text();
}

QColor StudioButtonStyle::fill(const State& state, const QColor& tint) const {
    if (prominent)
        return tint;
    return state.hovered ? Studio::line() : Studio::bg3();
}

qreal StudioButtonStyle::opacity(const State& state) {
    if (!state.enabled)
        return 0.4;
    return state.pressed ? 0.7 : 1.0;
}

QSizeF StudioButtonStyle::sizeFor(const QString& text, const QString& symbol) const {
    const qreal symbolSide = symbol.isEmpty() ? 0 : Symbols::sideForFontSize(font().pixelSize());
    qreal width = text.isEmpty() ? 0 : Shapes::textWidth(font(), text);
    if (symbolSide > 0)
        width += symbolSide + (text.isEmpty() ? 0 : symbolSpacing);
    const qreal height = qMax(Shapes::lineHeight(font()), symbolSide);
    const QMarginsF pad = padding();
    return {width + pad.left() + pad.right(), height + pad.top() + pad.bottom()};
}

void StudioButtonStyle::paint(QPainter& painter, const QRectF& rect, const QString& text, const QString& symbol,
                              const QColor& tint, const State& state) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * opacity(state));
    Shapes::fillRounded(painter, rect, cornerRadius, fill(state, tint));

    const QFont labelFont = font();
    const QFontMetricsF metrics(labelFont);
    const QMarginsF pad = padding();
    const QRectF content = rect.marginsRemoved(pad);
    const qreal symbolSide = symbol.isEmpty() ? 0 : Symbols::sideForFontSize(labelFont.pixelSize());
    const qreal gap = symbolSide > 0 && !text.isEmpty() ? symbolSpacing : 0;
    const qreal textRoom = qMax<qreal>(0, content.width() - symbolSide - gap);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRoom);
    const qreal labelWidth = symbolSide + gap + metrics.horizontalAdvance(shown);
    qreal x = rect.center().x() - labelWidth / 2;
    const qreal midY = rect.center().y();
    if (symbolSide > 0) {
        Symbols::paint(painter, QRectF(x, midY - symbolSide / 2, symbolSide, symbolSide), symbol, foreground(),
                       Studio::Weight::Medium);
        x += symbolSide + gap;
    }
    if (!shown.isEmpty()) {
        painter.setFont(labelFont);
        painter.setPen(foreground());
        painter.drawText(QPointF(x, Shapes::centredBaseline(labelFont, midY)), shown);
    }
    painter.restore();
}

void StudioButtonStyle::paintFocusRing(QPainter& painter, const QRectF& rect, const QColor& tint) const {
    // A prominent plate is the tint itself.
    if (prominent) {
        FocusRing::paintOnTint(painter, rect, cornerRadius);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::strokeRoundedInside(painter, rect, cornerRadius, tint, focusRingWidth);
    painter.restore();
}

StudioButton::StudioButton(const QString& text, StudioButtonStyle look, QWidget* parent)
    : StudioButton(text, QString(), look, parent) {}

StudioButton::StudioButton(const QString& text, const QString& symbol, StudioButtonStyle look, QWidget* parent)
    : QPushButton(text, parent), m_look(look), m_symbol(symbol) {
    setAttribute(Qt::WA_Hover);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    setFont(m_look.font());
}

void StudioButton::setLook(StudioButtonStyle look) {
    if (look.prominent == m_look.prominent && look.compact == m_look.compact)
        return;
    m_look = look;
    setFont(m_look.font());
    updateGeometry();
    update();
}

void StudioButton::setSymbol(const QString& symbol) {
    if (!changeValue(m_symbol, symbol))
        return;
    updateGeometry();
    update();
}

QSize StudioButton::sizeHint() const {
    const QSizeF size = m_look.sizeFor(text(), m_symbol);
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

QSize StudioButton::minimumSizeHint() const {
    return sizeHint();
}

void StudioButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const StudioButtonStyle::State state{m_hovering, isDown(), isEnabled()};
    const QRectF plate(rect());
    m_look.paint(painter, plate, text(), m_symbol, Studio::tint(this), state);
    if (hasFocus())
        m_look.paintFocusRing(painter, plate, Studio::tint(this));
}

void StudioButton::setHovering(bool hovering) {
    changeAndRepaint(this, m_hovering, hovering);
}

void StudioButton::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QPushButton::enterEvent(event);
}

void StudioButton::leaveEvent(QEvent* event) {
    setHovering(false);
    QPushButton::leaveEvent(event);
}

void StudioButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setHovering(false);
    QPushButton::changeEvent(event);
}

bool StudioButton::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

} // namespace sorvel
