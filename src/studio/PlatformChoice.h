#pragma once

namespace sorvel::PlatformChoice {

// Before the application object exists: with an X display and no platform
// chosen (neither QT_QPA_PLATFORM nor -platform), picks xcb when its plugin is
// installed, so that a mixed X/Wayland session gets the tray and the window
// placement of X.
void preferXcb(int argc, char** argv);

} // namespace sorvel::PlatformChoice
