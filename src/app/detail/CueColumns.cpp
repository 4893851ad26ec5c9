#include "app/detail/CueColumns.h"

#include "studio/Shapes.h"

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
    return Shapes::columnFrames(row, fixedWidths, Title, spacing, horizontalInset);
}

qreal CueColumns::minimumWidth() {
    return 2 * horizontalInset + fixedTotal() + minimumTitleWidth;
}

} // namespace sorvel
