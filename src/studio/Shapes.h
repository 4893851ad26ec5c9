#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <algorithm>
#include <array>
#include <cstddef>

class QPainter;
class QFont;
class QString;

class QRegion;

namespace sorvel::Shapes {

// Rounded rectangles stand in for continuous corners; a radius larger than
// half the shorter side becomes a capsule. Empty or invalid rectangles draw nothing.
QPainterPath roundedRect(const QRectF& rect, qreal radius);
// The pixels a path covers, as a window's shape (a mask has no partial pixels).
QRegion region(const QPainterPath& path);
void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush);
void fillCapsule(QPainter& painter, const QRectF& rect, const QBrush& brush);
void fillCircle(QPainter& painter, const QPointF& centre, qreal diameter, const QBrush& brush);
// A border of `width` lying wholly inside `rect`.
void strokeRoundedInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color, qreal width);

// A length for drawing: itself when finite and positive, else 0.
qreal length(qreal value);
// A rectangle no smaller than zero in either direction.
QRectF normalizedSize(const QRectF& rect);
// The square of side `side`, but no larger than the rectangle's shorter
// side, centred in `rect`.
QRectF centredSquare(const QRectF& rect, qreal side);

// The cells of a table row laid out from the left: `inset` at both ends,
// `spacing` between cells, each cell as wide as `widths` says except the one
// at `flexible`, which takes what the others leave (never less than zero).
template <std::size_t N>
std::array<QRectF, N> columnFrames(const QRectF& row, const std::array<qreal, N>& widths, std::size_t flexible,
                                   qreal spacing, qreal inset) {
    qreal fixed = spacing * qreal(N - 1);
    for (std::size_t i = 0; i < N; ++i)
        fixed += i == flexible ? 0 : widths[i];
    const qreal flexibleWidth = std::max<qreal>(0, row.width() - 2 * inset - fixed);
    std::array<QRectF, N> result;
    qreal x = row.left() + inset;
    for (std::size_t i = 0; i < N; ++i) {
        const qreal width = i == flexible ? flexibleWidth : widths[i];
        result[i] = QRectF(x, row.top(), width, row.height());
        x += width + spacing;
    }
    return result;
}

// A bar that fills a track from its leading edge: the filled width for a
// progress (limited to 0…1), at least `minimum` for any progress above zero,
// none at zero, never wider than the track.
qreal progressWidth(qreal trackWidth, double progress, qreal minimum);
// Fills `track` as a capsule with `trackBrush`, then the progress part of it
// (progressWidth) as a capsule with `fillBrush`.
void fillProgressCapsule(QPainter& painter, const QRectF& track, double progress, const QBrush& trackBrush,
                         const QBrush& fillBrush, qreal minimum);

// One line of text, cut with an ellipsis to fit `width`; returns the width drawn.
qreal drawLine(QPainter& painter, const QFont& font, const QColor& color, const QPointF& baselineStart,
               const QString& text, qreal width);
// The text drawLine shows at `width`: whole, or cut with an ellipsis.
QString elidedLine(const QFont& font, const QString& text, qreal width);
// The advance width of one line of text in this font.
qreal textWidth(const QFont& font, const QString& text);
// The height of one line of this font (ascent plus descent).
qreal lineHeight(const QFont& font);
// The baseline that centres one line of `font` on the height `midY`.
qreal centredBaseline(const QFont& font, qreal midY);

} // namespace sorvel::Shapes
