#include "app/detail/CueColumns.h"

#include "studio/Shapes.h"
#include "studio/Studio.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace sorvel {

QString CueColumns::title(Column column) {
    switch (column) {
    case Number: return QStringLiteral("编号");
    case Title: return QStringLiteral("名称");
    case Duration: return QStringLiteral("时长");
    case Stage: return QStringLiteral("阶段");
    case Version: return QStringLiteral("版本");
    case Start: return QStringLiteral("开始");
    case Mixed: return QStringLiteral("录混");
    case Delivered: return QStringLiteral("交付");
    case Handle:
    case Delete: return {};
    }
    return {};
}

QFont CueColumns::headerFont() {
    return Studio::font(10, Studio::Weight::Semibold);
}

CueColumns::Widths CueColumns::fitted(const Widths& needed) {
    Widths widths = fixedWidths;
    // The handle, the number field (its text is typed) and the delete button keep their widths.
    for (const Column column : {Duration, Stage, Version, Start, Mixed, Delivered}) {
        const qreal header = std::ceil(Shapes::textWidth(headerFont(), title(column)));
        widths[column] = std::min(fixedWidths[column], std::max(needed[column], header));
    }
    return widths;
}

namespace {
qreal fixedTotal() {
    return std::accumulate(CueColumns::fixedWidths.cbegin(), CueColumns::fixedWidths.cend(), qreal(0))
        + CueColumns::spacing * (CueColumns::count - 1);
}
} // namespace

std::array<QRectF, CueColumns::count> CueColumns::frames(const QRectF& row, const Widths& widths) {
    return Shapes::columnFrames(row, widths, Title, spacing, horizontalInset);
}

qreal CueColumns::minimumWidth() {
    return 2 * horizontalInset + fixedTotal() + minimumTitleWidth;
}

} // namespace sorvel
