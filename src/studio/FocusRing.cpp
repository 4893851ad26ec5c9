#include "studio/FocusRing.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <QPainter>

namespace sorvel::FocusRing {

void paint(QPainter& painter, const QWidget* control, const QRectF& rect, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::strokeRoundedInside(painter, rect, radius, Studio::tint(control), width);
    painter.restore();
}

void paintOnTint(QPainter& painter, const QRectF& rect, qreal radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::strokeRoundedInside(painter, rect, radius, Studio::text(), width);
    Shapes::strokeRoundedInside(painter, rect.marginsRemoved(QMarginsF(1, 1, 1, 1) * width), radius - width,
                                Studio::bg0(), 1);
    painter.restore();
}

} // namespace sorvel::FocusRing
