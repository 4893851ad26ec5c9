#include "app/settings/UpdatePrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {

// The widest the details run before they wrap: a line that still reads well.
constexpr int detailsMeasure = 420;

// Chinese has no spaces to break at, so a box as narrow as its heading would
// wrap even a short sentence anywhere and leave its last characters alone on
// a line: the details get the width of their longest line, up to the measure.
void fitDetailsWidth(QLabel& informative, const QString& details) {
    const QFontMetricsF metrics(informative.font());
    qreal widest = 0;
    for (const QString& line : details.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    informative.setMinimumWidth(std::min(int(std::ceil(widest)) + 1, detailsMeasure));
}

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
        fitDetailsWidth(*informative, details);
    }
    return box;
}

// Buttons are told apart by what they stand for, not by their text, which a
// desktop may change (adding accelerators, for one).
const char* const choiceProperty = "sorvelReleaseChoice";

QPushButton* addChoice(QMessageBox& box, const char* title, UpdatePrompter::ReleaseChoice choice) {
    // One role for all three keeps them in this order on every desktop.
    QPushButton* button = box.addButton(QString::fromUtf8(title), QMessageBox::ActionRole);
    button->setProperty(choiceProperty, int(choice));
    return button;
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
    QPushButton* download = addChoice(*box, downloadTitle, ReleaseChoice::Download);
    QPushButton* later = addChoice(*box, laterTitle, ReleaseChoice::Later);
    addChoice(*box, skipTitle, ReleaseChoice::Skip);
    box->setDefaultButton(download);
    box->setEscapeButton(later);
    return box;
}

std::unique_ptr<QMessageBox> MessageBoxPrompter::messageBox(const QString& message, const QString& details) {
    auto box = plainBox(message, details);
    // The program speaks Chinese; the toolkit's own button would not.
    QPushButton* confirm = box->addButton(QString::fromUtf8(confirmTitle), QMessageBox::AcceptRole);
    box->setDefaultButton(confirm);
    box->setEscapeButton(confirm);
    return box;
}

UpdatePrompter::ReleaseChoice MessageBoxPrompter::choice(const QMessageBox& releaseBox) {
    const QAbstractButton* clicked = releaseBox.clickedButton();
    const QVariant stored = clicked ? clicked->property(choiceProperty) : QVariant();
    return stored.isValid() ? ReleaseChoice(stored.toInt()) : ReleaseChoice::Later;
}

UpdatePrompter::ReleaseChoice MessageBoxPrompter::askAboutRelease(const QString& message, const QString& details) {
    const auto box = releaseBox(message, details);
    runInFront(*box);
    return choice(*box);
}

void MessageBoxPrompter::tell(const QString& message, const QString& details) {
    const auto box = messageBox(message, details);
    runInFront(*box);
}

void MessageBoxPrompter::open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace sorvel
