#pragma once

#include <QString>

namespace sorvel::DataFolder {

// $XDG_DATA_HOME, else ~/.local/share with the home from the password database.
QString dataHome();
// The application's data folder: dataHome()/Sorvel. Read from the environment
// at every call so that tests can point it at a temporary folder.
QString directory();
// directory()/projects.json
QString filePath();
// The earlier product's data folder, a sibling of directory(): dataHome()/Pinwale.
QString legacyDirectory();
// $XDG_CONFIG_HOME, else ~/.config.
QString configHome();
// $XDG_STATE_HOME, else ~/.local/state.
QString stateHome();
// $XDG_RUNTIME_DIR, else a per-user folder under the temporary folder.
QString runtimeDirectory();
// The user's home from the password database, falling back to $HOME.
QString homeDirectory();

} // namespace sorvel::DataFolder
