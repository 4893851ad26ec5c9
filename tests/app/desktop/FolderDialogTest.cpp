#include "app/desktop/FolderDialog.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

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

TEST(FolderDialogTest, ShowsAFolderByItsLastComponent) {
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/tmp/Scores/")), QStringLiteral("Scores"));
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/")), QStringLiteral("/"));
}

} // namespace
} // namespace sorvel::test
