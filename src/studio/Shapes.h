#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;
class QFont;
class QString;

namespace sorvel::Shapes {

// Rounded rectangles stand in for continuous corners; a radius larger than
// half the shorter side becomes a capsule. Empty or invalid rectangles draw nothing.
QPainterPath roundedRect(const QRectF& rect, qreal radius);
void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush);
void fillCapsule(QPainter& painter, const QRectF& rect, const QBrush& brush);
void fillCircle(QPainter& painter, const QPointF& centre, qreal diameter, const QBrush& brush);
// A border of `width` lying wholly inside `rect`.
void strokeRoundedInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                         qreal width);

// A rectangle no smaller than zero in either direction.
QRectF normalizedSize(const QRectF& rect);

// One line of text, cut with an ellipsis to fit `width`; returns the width drawn.
qreal drawLine(QPainter& painter, const QFont& font, const QColor& color, const QPointF& baselineStart,
               const QString& text, qreal width);
// The advance width of one line of text in this font.
qreal textWidth(const QFont& font, const QString& text);

} // namespace sorvel::Shapes
