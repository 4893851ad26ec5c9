#pragma once

#include <QRectF>

#include <utility>

namespace sorvel {

// Geometry of the shelf's adaptive card grid: as many columns as fit cells
// of at least 236 points, each at most 320 wide, 16 apart, the grid inset 24
// left, right and below and centred when its cells reach their widest.
struct CardGridLayout {
    static constexpr qreal minimumCell = 236;
    static constexpr qreal maximumCell = 320;
    static constexpr qreal spacing = 16;
    static constexpr qreal sideInset = 24;
    static constexpr qreal bottomInset = 24;

    int columns = 1;
    qreal cellWidth = minimumCell;
    qreal cellHeight = 0;
    qreal left = sideInset;

    static CardGridLayout forWidth(qreal width, qreal cellHeight);

    int rowCount(int count) const;
    qreal contentHeight(int count) const;
    QRectF cellRect(int index) const;
    // The cells that meet the band [top, bottom), as a half-open index range.
    std::pair<int, int> visibleRange(qreal top, qreal bottom, int count) const;
    // The cell under a point, -1 in the gaps and outside the grid.
    int indexAt(const QPointF& point, int count) const;
};

} // namespace sorvel
