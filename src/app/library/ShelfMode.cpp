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

QString stored(const Settings& settings) {
    return settings.string(key(), tape());
}

void write(Settings& settings, const QString& value) {
    settings.setValue(key(), value);
}

bool showsList(const QString& mode) {
    return mode == list();
}

} // namespace sorvel::ShelfMode
