#pragma once

#include "app/store/ProjectStore.h"
#include "core/SettingsKeys.h"

#include <QString>

#include <optional>

namespace sorvel::ArchiveSettings {

inline constexpr const char* directoryKey = SettingsKeys::archiveDirectory;
inline constexpr const char* moveFoldersKey = SettingsKeys::archiveMoveFolders;
inline constexpr const char* writeSummaryKey = SettingsKeys::archiveWriteSummary;

// The archive base folder; none when the setting is missing, empty or not an
// absolute path (a relative one would land wherever the program was started).
std::optional<QString> directory();
// The choices of an archive run as the user last set them.
ProjectStore::ArchiveOptions options();

} // namespace sorvel::ArchiveSettings
