#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace sorvel {

// The edge of the screen that holds the panel.
enum class PanelSide { Left, Right };

// One screen as the panel sees it: its whole area and the part left free by
// docks and bars, both in global coordinates (origin top left).
struct ScreenArea {
    QRectF geometry;
    QRectF available;
    bool operator==(const ScreenArea&) const = default;
};

// Where the panel sits: a thin strip against the screen edge while collapsed,
// a tall column 8 points off the edge while expanded, both centred on the
// available height. Without a screen both frames are empty at the origin.
namespace EdgeGeometry {

constexpr qreal collapsedWidth = 10;
constexpr qreal collapsedHeight = 96;
constexpr qreal expandedWidth = 340;
constexpr qreal expandedHeight = 760;
constexpr qreal edgeGap = 8;
// Below this the list has no room for even one tape under the header and
// tabs; a tiny screen gets a panel that overhangs rather than a useless one.
constexpr qreal minimumExpandedHeight = 320;
// How far the pointer may stray from the open panel before it closes.
constexpr qreal stayOpenMargin = 24;

// The screen whose edge holds the panel: the primary one (the first of
// `screens`) unless another screen touches its chosen side; then the screen
// on the far side of every screen that follows on that side, so that the
// handle lies on an outer edge of the desktop and the pointer passing from
// one screen to the next never opens the panel. None without a screen.
std::optional<ScreenArea> edgeScreen(const QList<ScreenArea>& screens, PanelSide side);

QRectF collapsedFrame(const std::optional<ScreenArea>& screen, PanelSide side);
QRectF expandedFrame(const std::optional<ScreenArea>& screen, PanelSide side);
// The strip widened by one point on both sides: touching it opens the panel.
QRectF openBand(const QRectF& collapsed);
// The panel's frame grown by the stay-open margin on every side.
QRectF stayOpenArea(const QRectF& frame);
// Minimum edges inclusive, maximum edges exclusive.
bool contains(const QRectF& rect, const QPointF& point);

} // namespace EdgeGeometry

} // namespace sorvel
