#include "app/settings/AccentSwatch.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"
#include "studio/ValueChange.h"

#include <QPainter>

namespace sorvel {

AccentSwatch::AccentSwatch(const std::optional<QString>& hex, QWidget* parent) : QAbstractButton(parent), m_hex(hex) {
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(hex ? QStringLiteral("#") + *hex : QStringLiteral("默认：磁带橙"));
}

void AccentSwatch::setSelected(bool selected) {
    changeAndRepaint(this, m_selected, selected);
}

void AccentSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.7 : 1.0);
    const QPointF centre = QRectF(rect()).center();
    Shapes::fillCircle(painter, centre, 16, m_hex ? Studio::color(*m_hex, Studio::tape()) : Studio::tape());
    if (!m_hex) {
        painter.setFont(Studio::font(8, Studio::Weight::Bold));
        painter.setPen(Qt::white);
        painter.drawText(QRectF(rect()), Qt::AlignCenter, QStringLiteral("默"));
    }
    if (m_selected) {
        painter.setPen(QPen(Studio::faded(Studio::text(), 0.6), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
    }
}

} // namespace sorvel
