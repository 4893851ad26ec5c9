#include "app/panel/EdgeGeometry.h"

#include <algorithm>
#include <cmath>

namespace sorvel::EdgeGeometry {

namespace {

qreal centredTop(const ScreenArea& screen, qreal height) {
    return screen.available.center().y() - height / 2;
}

qreal verticalOverlap(const QRectF& a, const QRectF& b) {
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
}

// Of the screens whose near edge meets `screen`'s edge on `side`, the one that
// shares the most of its height; none when that edge is an outer one.
std::optional<ScreenArea> neighbour(const QList<ScreenArea>& screens, const ScreenArea& screen, PanelSide side) {
    const QRectF& from = screen.geometry;
    std::optional<ScreenArea> found;
    qreal shared = 0;
    for (const ScreenArea& other : screens) {
        const QRectF& to = other.geometry;
        const qreal gap = side == PanelSide::Right ? to.left() - from.right() : from.left() - to.right();
        const qreal overlap = verticalOverlap(from, to);
        if (std::abs(gap) < 0.5 && overlap > shared) {
            found = other;
            shared = overlap;
        }
    }
    return found;
}

} // namespace

std::optional<ScreenArea> edgeScreen(const QList<ScreenArea>& screens, PanelSide side) {
    if (screens.isEmpty())
        return std::nullopt;
    ScreenArea screen = screens.first();
    // Each step goes one screen further out, so there are never more steps than screens.
    for (qsizetype step = 1; step < screens.size(); ++step) {
        const std::optional<ScreenArea> next = neighbour(screens, screen, side);
        if (!next)
            break;
        screen = *next;
    }
    return screen;
}

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
