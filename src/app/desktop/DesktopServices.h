#pragma once

#include "app/store/ProjectStore.h"

#include <QString>
#include <QUrl>

#include <functional>

#include <optional>

namespace sorvel::DesktopServices {

// The real desktop: a folder dialog, the file manager and the widget program.
ProjectStore::Desktop system();

// A modal dialog that chooses one directory; none when cancelled.
std::optional<QString> chooseProjectFolder();
// Hands an address to the desktop; false when no program took it.
using Opener = std::function<bool(const QUrl&)>;

// Opens the file manager on a directory. When no program opens folders, a
// short message says so and names the folder. Every "在文件管理器中显示" comes here.
void openFolder(const QString& directory);
void openFolderWith(const QString& directory, const Opener& open);

} // namespace sorvel::DesktopServices
