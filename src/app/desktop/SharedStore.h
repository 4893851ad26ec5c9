#pragma once

namespace sorvel {
class ProjectStore;
}

namespace sorvel::SharedStore {

// The one store of the application, on the real desktop, created on first use.
ProjectStore& instance();

} // namespace sorvel::SharedStore
