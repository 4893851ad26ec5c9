#pragma once

namespace sorvel::WidgetTimelines {

// Sends the reload message to the widget program's local socket. Never waits
// and never fails loudly: when no widget program listens, nothing happens.
void reloadAll();

} // namespace sorvel::WidgetTimelines
