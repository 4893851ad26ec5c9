#pragma once

#include <functional>

namespace sorvel {

// What the menu bar and the tray menu ask of the running application.
struct ShellActions {
    std::function<void()> openMainWindow; // shows the one main window and brings it to the front
    std::function<void()> openSettings;
    std::function<void()> quit; // the ordinary quit, which writes pending changes

    // Runs one of the actions above; one left unset does nothing.
    static void run(const std::function<void()>& action) {
        if (action)
            action();
    }
};

} // namespace sorvel
