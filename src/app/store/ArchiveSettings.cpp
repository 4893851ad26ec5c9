#include "app/store/ArchiveSettings.h"

#include "core/Settings.h"

#include <QDir>

namespace sorvel::ArchiveSettings {

std::optional<QString> directory() {
    const QString path = Settings::shared().string(QLatin1String(directoryKey));
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return std::nullopt;
    return QDir::cleanPath(path);
}

ProjectStore::ArchiveOptions options() {
    const Settings& settings = Settings::shared();
    return {settings.boolean(QLatin1String(moveFoldersKey), false),
            settings.boolean(QLatin1String(writeSummaryKey), true)};
}

} // namespace sorvel::ArchiveSettings
