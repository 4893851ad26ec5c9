#include "app/detail/DetailChip.h"

#include "studio/ButtonKeys.h"
#include "studio/FocusRing.h"
#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace sorvel {

DetailChip::DetailChip(const QString& title, const QFont& font, QMargins padding, qreal radius, Look selectedLook,
                       Look idleLook, QWidget* parent)
    : QAbstractButton(parent),
      m_padding(padding),
      m_radius(radius),
      m_selectedLook(std::move(selectedLook)),
      m_idleLook(std::move(idleLook)) {
    setText(title);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, where the focus shows; a click leaves no ring behind.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DetailChip::setSelected(bool selected) {
    changeAndRepaint(this, m_selected, selected);
}

QSize DetailChip::sizeHint() const {
    return {int(std::ceil(Shapes::textWidth(font(), text()))) + m_padding.left() + m_padding.right(),
            int(std::ceil(Shapes::lineHeight(font()))) + m_padding.top() + m_padding.bottom()};
}

void DetailChip::paintEvent(QPaintEvent*) {
    const Look& look = m_selected ? m_selectedLook : m_idleLook;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    Shapes::fillRounded(painter, rect(), m_radius, look.fill.isValid() ? look.fill : Studio::tint(this));
    painter.setFont(font());
    painter.setPen(look.text);
    painter.drawText(rect().marginsRemoved(m_padding), Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setOpacity(1.0);
        if (look.fill.isValid())
            FocusRing::paint(painter, this, QRectF(rect()), m_radius);
        else
            FocusRing::paintOnTint(painter, QRectF(rect()), m_radius);
    }
}

void DetailChip::keyPressEvent(QKeyEvent* event) {
    if (!ButtonKeys::press(*this, *event))
        QAbstractButton::keyPressEvent(event);
}

} // namespace sorvel
