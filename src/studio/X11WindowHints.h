#pragma once

#include <QPoint>

#include <optional>

class QPainterPath;
class QWidget;

namespace sorvel::X11WindowHints {

// Where the window stays among the others.
enum class Layer { Above, Below };

// Asks an X11 window manager to keep a top-level window on every workspace,
// above or below other windows and out of the taskbar and the pager
// (_NET_WM_STATE and _NET_WM_DESKTOP). Written on the unmapped window, so
// call it before every show: the manager drops both when a window is hidden.
// Does nothing on other platforms.
void keepOnEveryWorkspace(QWidget* window, Layer layer);

// Puts a top-level window on the workspace shown now when it lies hidden or
// minimized on another one: an X11 window manager would otherwise show it
// there, out of sight, and refuse to activate it (_NET_CURRENT_DESKTOP,
// _NET_WM_DESKTOP). Call it before showing and activating the window. Does
// nothing on other platforms, for a window on every workspace, or where the
// manager keeps no workspaces.
void moveToCurrentWorkspace(QWidget* window);

// Where the top left corner of a shown top-level window's own area (inside
// any frame) really is on the screen, asked of the X server. The toolkit may
// still hold a place the window only passed while the manager mapped it.
// None on other platforms, for a window not shown, or when the server does
// not answer.
std::optional<QPoint> placeOnScreen(QWidget* window);

// Whether a compositing manager draws the windows, so that see-through parts
// of a window show what lies behind it (an X11 screen has one while someone
// owns its _NET_WM_CM_S<n> selection). Other platforms always compose.
bool composited();

// Cuts a top-level window to `shape` where nothing composes the windows: its
// see-through corners would otherwise show as black squares. Where a
// compositor runs the window keeps its whole rectangle.
void cutWhereNotComposited(QWidget* window, const QPainterPath& shape);

} // namespace sorvel::X11WindowHints
