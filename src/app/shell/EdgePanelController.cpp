#include "app/shell/EdgePanelController.h"

namespace sorvel {

EdgePanelController& EdgePanelController::shared() {
    static EdgePanelController* const instance = new EdgePanelController();
    return *instance;
}

void EdgePanelController::start() {}

void EdgePanelController::toggle() {}

} // namespace sorvel
