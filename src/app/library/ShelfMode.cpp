#include "app/library/ShelfMode.h"

#include "core/Settings.h"
#include "core/SettingsKeys.h"

namespace sorvel::ShelfMode {

QString key() {
    return QLatin1String(SettingsKeys::shelfMode);
}

QString tape() {
    return QStringLiteral("tape");
}

QString list() {
    return QStringLiteral("list");
}

QString stored() {
    return Settings::shared().string(key(), tape());
}

void write(const QString& value) {
    Settings::shared().setValue(key(), value);
}

bool showsList(const QString& mode) {
    return mode == list();
}

} // namespace sorvel::ShelfMode
