#pragma once

class QWidget;

namespace sorvel::DesktopPlacement {

// Asks the X11 window manager to show `window` on every workspace and to
// leave it out of the taskbar and the pager. Call it once the window is shown;
// other platforms keep their default placement.
void showOnEveryWorkspace(QWidget* window);

} // namespace sorvel::DesktopPlacement
