#pragma once

#include "core/FolderLock.h"

namespace sorvel {
class FileSystem;
class Settings;
} // namespace sorvel

namespace sorvel::LegacyMigration {

// Copies the earlier product's data folder when our data file is missing, no
// copy of an earlier data file was kept aside, and the old folder holds its
// own projects.json. Existing entries are never replaced. `waiter` waits for
// the data folder while another program holds it. Every file operation goes
// through `files`.
void migrateData(FileSystem& files,
                 const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));
// Copies the earlier product's appearance, archive and edge-panel settings into
// `settings`, once; the earlier settings file is looked at through `files`.
void migrateSettings(FileSystem& files, Settings& settings);
// The same between two given settings files: keys starting with "appearance.",
// "archive" or "edgePanel" are copied unless `settings` is already marked
// with migratedFromPinwale, which is then set.
void migrateSettings(Settings& settings, const Settings& legacy);

} // namespace sorvel::LegacyMigration
