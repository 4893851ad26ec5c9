#include "app/library/CardGridLayout.h"

#include <algorithm>
#include <cmath>

namespace sorvel {

CardGridLayout CardGridLayout::forWidth(qreal width, qreal cellHeight) {
    CardGridLayout layout;
    layout.cellHeight = cellHeight;
    const qreal available = std::max<qreal>(0, width - 2 * sideInset);
    layout.columns = std::max(1, int(std::floor((available + spacing) / (minimumCell + spacing))));
    const qreal share = (available - spacing * (layout.columns - 1)) / layout.columns;
    layout.cellWidth = std::clamp(share, qreal(0), maximumCell);
    const qreal used = layout.columns * layout.cellWidth + (layout.columns - 1) * spacing;
    layout.left = sideInset + std::max<qreal>(0, (available - used) / 2);
    return layout;
}

int CardGridLayout::rowCount(int count) const {
    return count <= 0 ? 0 : (count + columns - 1) / columns;
}

qreal CardGridLayout::contentHeight(int count) const {
    const int rows = rowCount(count);
    if (rows == 0)
        return 0;
    return rows * cellHeight + (rows - 1) * spacing + bottomInset;
}

QRectF CardGridLayout::cellRect(int index) const {
    const int row = index / columns;
    const int column = index % columns;
    return {left + column * (cellWidth + spacing), row * (cellHeight + spacing), cellWidth, cellHeight};
}

std::pair<int, int> CardGridLayout::visibleRange(qreal top, qreal bottom, int count) const {
    if (count <= 0 || bottom <= top)
        return {0, 0};
    const qreal pitch = cellHeight + spacing;
    const int firstRow = std::max(0, int(std::floor(top / pitch)));
    const int lastRow = std::max(firstRow, int(std::floor(bottom / pitch)));
    const int first = std::min(count, firstRow * columns);
    const int last = std::min(count, (lastRow + 1) * columns);
    return {first, last};
}

int CardGridLayout::indexAt(const QPointF& point, int count) const {
    if (point.x() < left || point.y() < 0)
        return -1;
    const int column = int((point.x() - left) / (cellWidth + spacing));
    const int row = int(point.y() / (cellHeight + spacing));
    if (column >= columns)
        return -1;
    const int index = row * columns + column;
    if (index >= count || !cellRect(index).contains(point))
        return -1;
    return index;
}

} // namespace sorvel
