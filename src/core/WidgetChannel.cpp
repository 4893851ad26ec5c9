#include "core/WidgetChannel.h"

#include "core/DataFolder.h"

namespace sorvel::WidgetChannel {

QString socketPath() {
    return DataFolder::runtimeDirectory() + QStringLiteral("/sorvel-widget.socket");
}

QByteArray reloadMessage() {
    return QByteArrayLiteral("reload-timelines\n");
}

} // namespace sorvel::WidgetChannel
