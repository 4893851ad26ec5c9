#pragma once

#include <QString>

namespace sorvel {
class Settings;
}

namespace sorvel::ShelfMode {

// The setting that chooses between the cassette grid and the list; the menu
// commands write the same key.
QString key(); // "shelfMode"
QString tape(); // "tape", the default
QString list(); // "list"
QString stored(const Settings& settings);
void write(Settings& settings, const QString& value);
// Only the exact text "list" shows the list; everything else the grid.
bool showsList(const QString& mode);

} // namespace sorvel::ShelfMode
