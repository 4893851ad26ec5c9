#pragma once

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

} // namespace sorvel::X11WindowHints
