#include "app/sheets/SwitchToggle.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QPainter>

namespace sorvel {

SwitchToggle::SwitchToggle(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SwitchToggle::sizeHint() const {
    return QSize(32, 18);
}

void SwitchToggle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? 1.0 : 0.4);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    Shapes::fillCapsule(painter, track, isChecked() ? Studio::tint(this) : Studio::bg3());
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob / 2 : track.left() + 2 + knob / 2;
    Shapes::fillCircle(painter, QPointF(x, track.center().y()), knob, Studio::text());
}

} // namespace sorvel
