#include "app/desktop/FolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QWidget>

namespace sorvel::FolderDialog {

namespace {

// The dialog's dates in the interface's locale: Qt's file model writes them in
// the system's, which is English wherever LANG is unset.
class InterfaceDates final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int modifiedColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() == modifiedColumn)
            return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

std::optional<QString> choose(QWidget* parent, const QString& title, const QString& acceptLabel) {
    QFileDialog dialog(parent, title);
    // A window of its own inherits no palette: it takes the opener's, dark and in its accent.
    // Under a style sheet cascading from the opener its parts would resolve theirs against
    // the application's instead, so each is given it.
    if (parent) {
        const QPalette colors = parent->window()->palette();
        dialog.setPalette(colors);
        for (QWidget* part : dialog.findChildren<QWidget*>())
            part->setPalette(colors);
    }
    dialog.setProxyModel(new InterfaceDates(&dialog));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, acceptLabel);
    dialog.setDirectory(QDir::homePath());
    const int result = dialog.exec();
    // Give the keyboard back to the sheet that asked; where no window manager
    // does it, focus would fall to the desktop.
    if (parent && parent->isVisible())
        parent->window()->activateWindow();
    if (result != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(chosen.first());
}

QString displayName(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    const QString name = QFileInfo(clean).fileName();
    return name.isEmpty() ? clean : name; // the root has no last component
}

} // namespace sorvel::FolderDialog
