#include "widget/FittedText.h"

#include "studio/Shapes.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace sorvel {

namespace {

QStringList wrapped(const QString& text, const QFont& font, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(qMax<qreal>(1, width));
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace

FittedText FittedText::fit(const QString& text, const QFont& font, qreal width, int maxLines,
                           qreal minimumScale) {
    const int largest = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF());
    const int smallest = qMin(largest, int(std::ceil(largest * minimumScale)));
    QFont sized = font;
    QStringList lines;
    for (int size = largest; size >= smallest; --size) {
        sized.setPixelSize(size);
        lines = wrapped(text, sized, width);
        if (lines.size() <= maxLines)
            return {sized, lines};
    }
    // Still too long at the smallest size: the last line takes the rest, cut.
    QStringList kept = lines.mid(0, maxLines);
    if (!kept.isEmpty()) {
        const QString rest = lines.mid(maxLines - 1).join(QLatin1Char(' '));
        kept.last() = QFontMetricsF(sized).elidedText(rest, Qt::ElideRight, width);
    }
    return {sized, kept};
}

qreal FittedText::height() const {
    return Shapes::lineHeight(font) * lines.size();
}

} // namespace sorvel
