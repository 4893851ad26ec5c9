#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace sorvel::FocusRing {

constexpr qreal width = 2;

// The keyboard focus of a control: a ring in the control's accent tint,
// drawn inside `rect` so that it needs no room of its own.
void paint(QPainter& painter, const QWidget* control, const QRectF& rect, qreal radius);
// The same ring on a plate filled with the accent, where a ring in the accent
// would vanish: light, set off from the fill by a dark line inside it.
void paintOnTint(QPainter& painter, const QRectF& rect, qreal radius);

} // namespace sorvel::FocusRing
