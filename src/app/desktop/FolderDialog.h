#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace sorvel::FolderDialog {

// A modal chooser of one directory, titled `title`, whose confirm button reads
// `acceptLabel`; none when cancelled.
std::optional<QString> choose(QWidget* parent, const QString& title, const QString& acceptLabel);

// What a chosen folder is called on screen: the last component of its path.
QString displayName(const QString& path);

} // namespace sorvel::FolderDialog
