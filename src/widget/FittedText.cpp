#include "widget/FittedText.h"

#include "studio/Shapes.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace sorvel {

namespace {

// The lines of `text` at `width`, each as its start in the text and its
// length (spaces at the break included).
QList<std::pair<qsizetype, qsizetype>> wrapped(const QString& text, const QFont& font, qreal width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QList<std::pair<qsizetype, qsizetype>> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(qMax<qreal>(1, width));
        lines.append({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    return lines;
}

} // namespace

FittedText FittedText::fit(const QString& text, const QFont& font, qreal width, int maxLines, qreal minimumScale) {
    const int largest = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF());
    const int smallest = qMin(largest, int(std::ceil(largest * minimumScale)));
    QFont sized = font;
    QList<std::pair<qsizetype, qsizetype>> lines;
    for (int size = largest; size >= smallest; --size) {
        sized.setPixelSize(size);
        lines = wrapped(text, sized, width);
        if (lines.size() <= maxLines)
            break;
    }
    QStringList kept;
    for (const auto& [start, length] : lines.mid(0, maxLines))
        kept.append(text.mid(start, length).trimmed());
    // Still too long at the smallest size: the last line takes the rest of the
    // text as it is written, cut.
    if (lines.size() > maxLines && !kept.isEmpty()) {
        const QString rest = text.mid(lines.at(maxLines - 1).first).trimmed();
        kept.last() = QFontMetricsF(sized).elidedText(rest, Qt::ElideRight, width);
    }
    return {sized, kept};
}

qreal FittedText::height() const {
    return Shapes::lineHeight(font) * lines.size();
}

} // namespace sorvel
