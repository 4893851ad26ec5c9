#include "app/desktop/SharedStore.h"

#include "app/desktop/DesktopServices.h"
#include "app/store/ProjectStore.h"

namespace sorvel::SharedStore {

ProjectStore& instance() {
    // Lives as long as the process; nothing is torn down at quit but the flush.
    static ProjectStore* const store = new ProjectStore(DesktopServices::system());
    return *store;
}

} // namespace sorvel::SharedStore
