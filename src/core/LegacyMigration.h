#pragma once

namespace sorvel::LegacyMigration {

// Copies the earlier product's data folder when our data file is missing and
// the old folder holds its own projects.json. Existing entries are never replaced.
void migrateData();
// Copies the earlier product's appearance, archive and edge-panel settings, once.
void migrateSettings();

} // namespace sorvel::LegacyMigration
