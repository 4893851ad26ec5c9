#pragma once

#include <functional>

namespace sorvel {

// What the menu bar and the tray menu ask of the running application.
struct ShellActions {
    std::function<void()> openMainWindow;  // shows the one main window and brings it to the front
    std::function<void()> openSettings;
    std::function<void()> quit;            // the ordinary quit, which writes pending changes
};

} // namespace sorvel
