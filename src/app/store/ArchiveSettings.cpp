#include "app/store/ArchiveSettings.h"

#include "core/Settings.h"

#include <QDir>

namespace sorvel::ArchiveSettings {

std::optional<QString> directory(const Settings& settings) {
    const QString path = settings.string(QLatin1String(directoryKey));
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return std::nullopt;
    return QDir::cleanPath(path);
}

} // namespace sorvel::ArchiveSettings
