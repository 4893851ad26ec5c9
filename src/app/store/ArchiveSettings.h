#pragma once

#include "core/SettingsKeys.h"

#include <QString>

#include <optional>

namespace sorvel {
class Settings;
}

namespace sorvel::ArchiveSettings {

inline constexpr const char* directoryKey = SettingsKeys::archiveDirectory;
inline constexpr const char* moveFoldersKey = SettingsKeys::archiveMoveFolders;
inline constexpr const char* writeSummaryKey = SettingsKeys::archiveWriteSummary;

// The archive base folder; none when the setting is missing, empty or not an
// absolute path (a relative one would land wherever the program was started).
std::optional<QString> directory(const Settings& settings);

} // namespace sorvel::ArchiveSettings
