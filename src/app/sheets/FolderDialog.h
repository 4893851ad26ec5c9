#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace sorvel::FolderDialog {

// A modal chooser of one directory whose confirm button reads `acceptLabel`;
// none when cancelled.
std::optional<QString> choose(QWidget* parent, const QString& acceptLabel);

} // namespace sorvel::FolderDialog
