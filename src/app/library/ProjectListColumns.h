#pragma once

#include "app/library/ProjectSort.h"

#include <QList>
#include <QRectF>

#include <array>

namespace sorvel {

// The ten columns shared by the list header and its rows, so titles stand
// over their cells: chevron, name (all remaining width), type, status,
// progress, mixed, delivered, total duration, deadline, modified.
struct ProjectListColumns {
    static constexpr int count = 10;
    static constexpr qreal spacing = 8;
    static constexpr qreal horizontalInset = 10;
    static constexpr std::array<qreal, count> fixedWidths{16, 0, 88, 64, 132, 56, 56, 76, 64, 64};
    static constexpr qreal minimumListWidth = 900;

    // The sort column of each position; Default for the chevron.
    static ProjectSort sortAt(int column);
    // The horizontal frames of the cells within a row or header rectangle.
    static std::array<QRectF, count> frames(const QRectF& row);
};

} // namespace sorvel
