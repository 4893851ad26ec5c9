#include "app/detail/CueColumns.h"

#include <algorithm>
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

namespace {
qreal fixedTotal() {
    return std::accumulate(CueColumns::fixedWidths.cbegin(), CueColumns::fixedWidths.cend(), qreal(0))
           + CueColumns::spacing * (CueColumns::count - 1);
}
} // namespace

std::array<QRectF, CueColumns::count> CueColumns::frames(const QRectF& row) {
    const qreal titleWidth = std::max<qreal>(0, row.width() - 2 * horizontalInset - fixedTotal());
    std::array<QRectF, count> result;
    qreal x = row.left() + horizontalInset;
    for (int i = 0; i < count; ++i) {
        const qreal width = i == Title ? titleWidth : fixedWidths[i];
        result[i] = QRectF(x, row.top(), width, row.height());
        x += width + spacing;
    }
    return result;
}

qreal CueColumns::minimumWidth() {
    return 2 * horizontalInset + fixedTotal() + minimumTitleWidth;
}

} // namespace sorvel
