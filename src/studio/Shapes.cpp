#include "studio/Shapes.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <cmath>

namespace sorvel::Shapes {

namespace {

bool drawable(const QRectF& rect) {
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

} // namespace

QRectF normalizedSize(const QRectF& rect) {
    return QRectF(rect.topLeft(), QSizeF(qMax<qreal>(0, rect.width()), qMax<qreal>(0, rect.height())));
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    if (!drawable(rect))
        return path;
    const qreal r = qBound<qreal>(0, radius, qMin(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, r, r);
    return path;
}

void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush) {
    if (!drawable(rect))
        return;
    painter.fillPath(roundedRect(rect, radius), brush);
}

void fillCapsule(QPainter& painter, const QRectF& rect, const QBrush& brush) {
    fillRounded(painter, rect, qMin(rect.width(), rect.height()) / 2, brush);
}

void fillCircle(QPainter& painter, const QPointF& centre, qreal diameter, const QBrush& brush) {
    if (!(diameter > 0) || !std::isfinite(diameter))
        return;
    QPainterPath path;
    path.addEllipse(centre, diameter / 2, diameter / 2);
    painter.fillPath(path, brush);
}

void strokeRoundedInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color,
                         qreal width) {
    if (!drawable(rect) || !(width > 0))
        return;
    const qreal half = width / 2;
    const QRectF inner = rect.adjusted(half, half, -half, -half);
    if (!drawable(inner))
        return;
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(inner, qMax<qreal>(0, radius - half)));
    painter.restore();
}

qreal textWidth(const QFont& font, const QString& text) {
    return QFontMetricsF(font).horizontalAdvance(text);
}

qreal drawLine(QPainter& painter, const QFont& font, const QColor& color, const QPointF& baselineStart,
               const QString& text, qreal width) {
    if (!(width > 0) || text.isEmpty())
        return 0;
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(baselineStart, shown);
    painter.restore();
    return metrics.horizontalAdvance(shown);
}

} // namespace sorvel::Shapes
