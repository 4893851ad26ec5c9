#include "app/panel/EdgeGeometry.h"

#include <algorithm>

namespace sorvel::EdgeGeometry {

namespace {

qreal centredTop(const ScreenArea& screen, qreal height) {
    return screen.available.center().y() - height / 2;
}

} // namespace

QRectF collapsedFrame(const std::optional<ScreenArea>& screen, PanelSide side) {
    if (!screen)
        return {};
    const QRectF& frame = screen->geometry;
    const qreal x = side == PanelSide::Right ? frame.right() - collapsedWidth : frame.left();
    return {x, centredTop(*screen, collapsedHeight), collapsedWidth, collapsedHeight};
}

QRectF expandedFrame(const std::optional<ScreenArea>& screen, PanelSide side) {
    if (!screen)
        return {};
    const QRectF& frame = screen->geometry;
    const qreal height = std::max(std::min(expandedHeight, screen->available.height() - 40), minimumExpandedHeight);
    const qreal x = side == PanelSide::Right ? frame.right() - expandedWidth - edgeGap : frame.left() + edgeGap;
    return {x, centredTop(*screen, height), expandedWidth, height};
}

QRectF openBand(const QRectF& collapsed) {
    return collapsed.adjusted(-1, 0, 1, 0);
}

QRectF stayOpenArea(const QRectF& frame) {
    return frame.adjusted(-stayOpenMargin, -stayOpenMargin, stayOpenMargin, stayOpenMargin);
}

bool contains(const QRectF& rect, const QPointF& point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() && point.y() < rect.bottom();
}

} // namespace sorvel::EdgeGeometry
