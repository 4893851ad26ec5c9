#pragma once

#include "app/store/ProjectStore.h"

#include <QString>

#include <optional>

namespace sorvel::DesktopServices {

// The real desktop: a folder dialog, the file manager and the widget program.
ProjectStore::Desktop system();

// A modal dialog that chooses one directory; none when cancelled.
std::optional<QString> chooseProjectFolder();
// Opens the file manager on a directory.
void openFolder(const QString& directory);

} // namespace sorvel::DesktopServices
