#include "app/settings/UpdatePrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace sorvel {

namespace {

std::unique_ptr<QMessageBox> plainBox(const QString& message, const QString& details) {
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(QStringLiteral("软件更新"));
    box->setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    box->setInformativeText(details);
    // The informative label guesses rich text and opens links on its own.
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    return box;
}

int runInFront(QMessageBox& box) {
    box.show();
    box.raise();
    box.activateWindow();
    return box.exec();
}

} // namespace

std::unique_ptr<QMessageBox> MessageBoxPrompter::releaseBox(const QString& message, const QString& details) {
    auto box = plainBox(message, details);
    // One role for all three keeps them in this order on every desktop.
    QPushButton* download = box->addButton(QString::fromUtf8(downloadTitle), QMessageBox::ActionRole);
    QPushButton* later = box->addButton(QString::fromUtf8(laterTitle), QMessageBox::ActionRole);
    box->addButton(QString::fromUtf8(skipTitle), QMessageBox::ActionRole);
    box->setDefaultButton(download);
    box->setEscapeButton(later);
    return box;
}

std::unique_ptr<QMessageBox> MessageBoxPrompter::messageBox(const QString& message, const QString& details) {
    auto box = plainBox(message, details);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

UpdatePrompter::ReleaseChoice MessageBoxPrompter::askAboutRelease(const QString& message, const QString& details) {
    const auto box = releaseBox(message, details);
    runInFront(*box);
    const QString chosen = box->clickedButton() ? box->clickedButton()->text() : QString();
    if (chosen == QString::fromUtf8(downloadTitle))
        return ReleaseChoice::Download;
    if (chosen == QString::fromUtf8(skipTitle))
        return ReleaseChoice::Skip;
    return ReleaseChoice::Later;
}

void MessageBoxPrompter::tell(const QString& message, const QString& details) {
    const auto box = messageBox(message, details);
    runInFront(*box);
}

void MessageBoxPrompter::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace sorvel
