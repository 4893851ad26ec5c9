#include "app/sheets/FolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace sorvel::FolderDialog {

std::optional<QString> choose(QWidget* parent, const QString& acceptLabel) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, acceptLabel);
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(chosen.first());
}

QString displayName(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    const QString name = QFileInfo(clean).fileName();
    return name.isEmpty() ? clean : name;  // the root has no last component
}

} // namespace sorvel::FolderDialog
