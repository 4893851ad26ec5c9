#include "app/desktop/DesktopServices.h"

#include "app/store/WidgetTimelines.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace sorvel::DesktopServices {

ProjectStore::Desktop system() {
    return {&chooseProjectFolder, &openFolder, &WidgetTimelines::reloadAll};
}

std::optional<QString> chooseProjectFolder() {
    QFileDialog dialog(QApplication::activeWindow(), QStringLiteral("选择这个项目的工程文件夹"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

void openFolder(const QString& directory) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(directory));
}

} // namespace sorvel::DesktopServices
