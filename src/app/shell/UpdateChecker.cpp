#include "app/shell/UpdateChecker.h"

namespace sorvel {

UpdateChecker& UpdateChecker::shared() {
    static UpdateChecker* const instance = new UpdateChecker();
    return *instance;
}

void UpdateChecker::start() {}

void UpdateChecker::check(bool) {}

void UpdateChecker::presentAvailable() {}

} // namespace sorvel
