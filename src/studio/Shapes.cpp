#include "studio/Shapes.h"

#include "core/UnitFraction.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegion>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace sorvel::Shapes {

namespace {

bool drawable(const QRectF& rect) {
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

} // namespace

QRectF normalizedSize(const QRectF& rect) {
    return QRectF(rect.topLeft(), QSizeF(qMax<qreal>(0, rect.width()), qMax<qreal>(0, rect.height())));
}

qreal length(qreal value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}

QRectF centredSquare(const QRectF& rect, qreal side) {
    side = qMax<qreal>(0, std::min<qreal>({side, rect.width(), rect.height()}));
    return QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
}

qreal progressWidth(qreal trackWidth, double progress, qreal minimum) {
    const qreal width = length(trackWidth);
    const double p = clampedFraction(progress);
    const qreal least = p > 0 ? length(minimum) : 0;
    return qMin(width, qMax(width * p, least));
}

void fillProgressCapsule(QPainter& painter, const QRectF& track, double progress, const QBrush& trackBrush,
                         const QBrush& fillBrush, qreal minimum) {
    fillCapsule(painter, track, trackBrush);
    QRectF fill = track;
    fill.setWidth(progressWidth(track.width(), progress, minimum));
    fillCapsule(painter, fill, fillBrush);
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    if (!drawable(rect))
        return path;
    const qreal r = qBound<qreal>(0, radius, qMin(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, r, r);
    return path;
}

QRegion region(const QPainterPath& path) {
    return QRegion(path.toFillPolygon().toPolygon());
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

void strokeRoundedInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color, qreal width) {
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

namespace {

const QChar middleDot(0x00B7);

// The Simplified Chinese cut of the CJK faces draws "·" full width, which
// breaks the grid of monospaced text and opens wide gaps in separators such
// as "交付 1/3 · 录混 2/3". The Japanese cut of the same face has the narrow
// dot, so lines take that one character from there.
bool needsNarrowDot(const QString& text) {
    return text.contains(middleDot);
}

QFont narrowDotFont(const QFont& font) {
    QFont dot(font);
    if (font.styleHint() == QFont::Monospace)
        dot.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("DejaVu Sans Mono")});
    else
        dot.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans")});
    return dot;
}

// One line laid out with the narrow dot; `layout` must outlive the returned line.
QTextLine layoutWithNarrowDot(QTextLayout& layout, const QFont& font, const QString& text) {
    layout.setText(text);
    layout.setFont(font);
    QTextCharFormat dot;
    dot.setFont(narrowDotFont(font));
    QList<QTextLayout::FormatRange> ranges;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == middleDot)
            ranges.append({int(i), 1, dot});
    }
    layout.setFormats(ranges);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line;
}

// Like QFontMetricsF::elidedText, for text that mixes in the narrow dot.
QString elidedWithNarrowDot(const QFont& font, const QString& text, qreal width) {
    if (textWidth(font, text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    // The longest prefix that fits with the ellipsis; widths grow with the prefix.
    qsizetype low = 0;
    qsizetype high = text.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (textWidth(font, text.left(middle) + ellipsis) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && text.at(low - 1).isHighSurrogate())
        --low; // never half a character
    const QString shown = text.left(low) + ellipsis;
    return textWidth(font, shown) <= width ? shown : QString();
}

} // namespace

qreal textWidth(const QFont& font, const QString& text) {
    if (!needsNarrowDot(text))
        return QFontMetricsF(font).horizontalAdvance(text);
    QTextLayout layout;
    return layoutWithNarrowDot(layout, font, text).horizontalAdvance();
}

qreal lineHeight(const QFont& font) {
    const QFontMetricsF metrics(font);
    return metrics.ascent() + metrics.descent();
}

qreal centredBaseline(const QFont& font, qreal midY) {
    const QFontMetricsF metrics(font);
    return midY + (metrics.ascent() - metrics.descent()) / 2;
}

QString elidedLine(const QFont& font, const QString& text, qreal width) {
    if (!(width > 0))
        return {};
    if (needsNarrowDot(text))
        return elidedWithNarrowDot(font, text, width);
    return QFontMetricsF(font).elidedText(text, Qt::ElideRight, width);
}

qreal drawLine(QPainter& painter, const QFont& font, const QColor& color, const QPointF& baselineStart,
               const QString& text, qreal width) {
    if (!(width > 0) || text.isEmpty())
        return 0;
    if (needsNarrowDot(text)) {
        const QString shown = elidedLine(font, text, width);
        if (shown.isEmpty())
            return 0;
        QTextLayout layout;
        const QTextLine line = layoutWithNarrowDot(layout, font, shown);
        painter.save();
        painter.setPen(color);
        layout.draw(&painter, QPointF(baselineStart.x(), baselineStart.y() - line.ascent()));
        painter.restore();
        return line.horizontalAdvance();
    }
    const QFontMetricsF metrics(font);
    const QString shown = elidedLine(font, text, width);
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(baselineStart, shown);
    painter.restore();
    return metrics.horizontalAdvance(shown);
}

} // namespace sorvel::Shapes
