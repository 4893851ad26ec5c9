#include "app/desktop/DesktopServices.h"

#include "app/desktop/FolderDialog.h"
#include "app/store/WidgetTimelines.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

namespace sorvel::DesktopServices {

ProjectStore::Desktop system() {
    return {&chooseProjectFolder, &openFolder, &WidgetTimelines::reloadAll};
}

std::optional<QString> chooseProjectFolder() {
    return FolderDialog::choose(QApplication::activeWindow(), QStringLiteral("选择这个项目的工程文件夹"),
                                QStringLiteral("选择"));
}

void openFolder(const QString& directory) {
    openFolderWith(directory, &QDesktopServices::openUrl);
}

void openFolderWith(const QString& directory, const Opener& open) {
    if (open(QUrl::fromLocalFile(directory)))
        return;
    // Not modal: the user may want to go on working, or copy the path.
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("在文件管理器中显示"),
                                QStringLiteral("没有可以打开文件夹的程序。"), QMessageBox::NoButton,
                                QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(QDir::toNativeSeparators(directory));
    if (auto* path = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        path->setTextFormat(Qt::PlainText);
        path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    box->setDefaultButton(box->addButton(QStringLiteral("好"), QMessageBox::AcceptRole));
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace sorvel::DesktopServices
