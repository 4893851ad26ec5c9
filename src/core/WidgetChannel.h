#pragma once

#include <QByteArray>
#include <QString>

namespace sorvel::WidgetChannel {

// The per-user local socket on which the widget program listens for requests
// of the application: runtime folder + "/sorvel-widget.socket".
QString socketPath();
// Asks the widget program to read the data file again and redraw every size.
QByteArray reloadMessage();

} // namespace sorvel::WidgetChannel
