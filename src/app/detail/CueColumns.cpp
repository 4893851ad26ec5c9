#include "app/detail/CueColumns.h"

#include "app/detail/CueRow.h"
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

const CueColumns::Widths& CueColumns::widths() {
    static const Widths measured = [] {
        Widths widths = CueRow::widestCells();
        for (int i = 0; i < count; ++i) {
            const QString header = title(Column(i));
            if (i != Title && !header.isEmpty())
                widths[std::size_t(i)] =
                    std::max(widths[std::size_t(i)], std::ceil(Shapes::textWidth(headerFont(), header)));
        }
        widths[Title] = 0;
        return widths;
    }();
    return measured;
}

std::array<QRectF, CueColumns::count> CueColumns::frames(const QRectF& row) {
    return Shapes::columnFrames(row, widths(), Title, spacing, horizontalInset);
}

qreal CueColumns::minimumWidth() {
    const Widths& all = widths();
    return 2 * horizontalInset + std::accumulate(all.cbegin(), all.cend(), qreal(0)) + spacing * (count - 1)
        + minimumTitleWidth;
}

} // namespace sorvel
