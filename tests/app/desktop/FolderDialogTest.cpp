#include "app/desktop/FolderDialog.h"
#include "app/desktop/DesktopServices.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace sorvel::test {
namespace {

TEST(FolderDialogTest, CancellingGivesNothingAndHandsTheKeyboardBack) {
    QWidget sheet;
    sheet.show();
    sheet.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &sheet);

    QTimer::singleShot(0, [] {
        if (auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            chooser->reject();
    });
    EXPECT_FALSE(FolderDialog::choose(&sheet, QStringLiteral("选择工程文件夹"), QStringLiteral("选择")).has_value());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &sheet);
}

// The modification date the chooser opened by `open` shows for a folder, read
// from its list while it is open under a Chinese default locale.
QString shownModificationDate(const QString& folder, const QString& name, const std::function<void()>& open) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China));
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        chooser->setDirectory(folder);
        auto* view = chooser->findChild<QTreeView*>();
        const auto row = [&] {
            const QAbstractItemModel* model = view ? view->model() : nullptr;
            const QModelIndex root = view ? view->rootIndex() : QModelIndex();
            for (int index = 0; model && index < model->rowCount(root); ++index) {
                if (model->index(index, 0, root).data().toString() == name)
                    return model->index(index, 3, root);
            }
            return QModelIndex();
        };
        if (waitUntil([&] { return row().isValid() && !row().data().toString().isEmpty(); }, 5000))
            shown = row().data().toString();
        chooser->reject();
    });
    open();
    QLocale::setDefault(before);
    return shown;
}

// Both folder choosers, the archive's and a project's, write dates in the interface's language.
TEST(FolderDialogTest, DatesAreWrittenInTheInterfacesLocaleNotTheSystems) {
    TestEnvironment environment;
    const QString folder = environment.scratch() + QStringLiteral("/Takes");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Mix")));
    const QDateTime modified = QFileInfo(folder + QStringLiteral("/Mix")).lastModified();
    const QString expected = QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China)
                                 .toString(modified, QLocale::ShortFormat);
    QWidget sheet;
    sheet.show();
    sheet.activateWindow();

    EXPECT_EQ(shownModificationDate(folder, QStringLiteral("Mix"),
                                    [&] {
                                        FolderDialog::choose(&sheet, QStringLiteral("选择归档目录"),
                                                             QStringLiteral("设为归档目录"));
                                    }),
              expected);
    EXPECT_EQ(shownModificationDate(folder, QStringLiteral("Mix"), [] { DesktopServices::chooseProjectFolder(); }),
              expected);
}

// The chooser is a window of its own: it takes the colours of the window that
// opens it, accent included, not the application's first ones.
TEST(FolderDialogTest, TakesTheAccentOfTheWindowThatOpensIt) {
    const QColor purple(0xAF, 0x52, 0xDE);
    QWidget settingsWindow;
    QPalette colors = settingsWindow.palette();
    colors.setColor(QPalette::Highlight, purple);
    settingsWindow.setPalette(colors);
    // The main window styles its scroll bars; such a sheet cascades into the windows it opens.
    settingsWindow.setStyleSheet(QStringLiteral("QScrollBar:vertical { width: 8px; }"));
    settingsWindow.show();
    auto* button = new QWidget(&settingsWindow);
    ASSERT_NE(QApplication::palette().color(QPalette::Highlight), purple);

    QColor chooserHighlight;
    QColor fieldHighlight;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        chooserHighlight = chooser->palette().color(QPalette::Highlight);
        if (auto* field = chooser->findChild<QLineEdit*>())
            fieldHighlight = field->palette().color(QPalette::Highlight);
        chooser->reject();
    });
    FolderDialog::choose(button, QStringLiteral("选择归档目录"), QStringLiteral("选择"));

    EXPECT_EQ(chooserHighlight, purple);
    EXPECT_EQ(fieldHighlight, purple);
}

TEST(FolderDialogTest, ShowsAFolderByItsLastComponent) {
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/tmp/Scores/")), QStringLiteral("Scores"));
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/")), QStringLiteral("/"));
}

} // namespace
} // namespace sorvel::test
