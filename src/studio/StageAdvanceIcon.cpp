#include "studio/StageAdvanceIcon.h"

#include "studio/Shapes.h"
#include "studio/StageLook.h"
#include "studio/Studio.h"
#include "studio/Symbols.h"
#include "studio/ValueChange.h"

#include <QPainter>

#include <cmath>

namespace sorvel {

StageAdvanceIcon::StageAdvanceIcon(CueStage stage, qreal size, QWidget* parent)
    : QAbstractButton(parent), m_stage(stage), m_size(Shapes::length(size)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(StageLook::of(stage).title);
}

void StageAdvanceIcon::paint(QPainter& painter, const QRectF& rect, CueStage stage) {
    const qreal size = qMin(rect.width(), rect.height());
    if (!(size > 0))
        return;
    const StageLook look = StageLook::of(stage);
    const bool delivered = stage == CueStage::Delivered;
    const QRectF circle = Shapes::centredSquare(rect, size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillCircle(painter, circle.center(), size, Studio::faded(look.color, delivered ? 1.0 : 0.15));
    Shapes::strokeRoundedInside(painter, circle, size / 2, look.color, 1.5);
    Symbols::paintForFont(painter, circle.center(), size * 0.45, look.symbol, delivered ? Studio::bg0() : look.color,
                          Studio::Weight::Heavy);
    painter.restore();
}

void StageAdvanceIcon::setStage(CueStage stage) {
    if (!changeValue(m_stage, stage))
        return;
    setAccessibleName(StageLook::of(stage).title);
    update();
}

QSize StageAdvanceIcon::sizeHint() const {
    const int side = int(std::ceil(m_size + margin * 2));
    return {side, side};
}

void StageAdvanceIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(margin, margin, -margin, -margin);
    painter.setOpacity(isEnabled() ? (isDown() ? 0.7 : 1.0) : 0.4);
    paint(painter, Shapes::centredSquare(area, m_size), m_stage);
}

} // namespace sorvel
