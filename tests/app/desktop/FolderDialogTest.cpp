#include "app/desktop/FolderDialog.h"
#include "support/TestEnvironment.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QTreeView>
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

TEST(FolderDialogTest, DatesAreWrittenInTheInterfacesLocaleNotTheSystems) {
    TestEnvironment environment;
    const QString folder = environment.scratch() + QStringLiteral("/Takes");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Mix")));
    const QLocale before;
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
    QLocale::setDefault(chinese);
    QWidget sheet;
    sheet.show();

    QString shown;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        chooser->setDirectory(folder);
        auto* view = chooser->findChild<QTreeView*>();
        const auto mixRow = [&] {
            const QAbstractItemModel* model = view ? view->model() : nullptr;
            const QModelIndex root = view ? view->rootIndex() : QModelIndex();
            for (int row = 0; model && row < model->rowCount(root); ++row) {
                if (model->index(row, 0, root).data().toString() == QStringLiteral("Mix"))
                    return model->index(row, 3, root);
            }
            return QModelIndex();
        };
        if (waitUntil([&] { return mixRow().isValid() && !mixRow().data().toString().isEmpty(); }, 5000))
            shown = mixRow().data().toString();
        chooser->reject();
    });
    FolderDialog::choose(&sheet, QStringLiteral("选择归档目录"), QStringLiteral("设为归档目录"));
    QLocale::setDefault(before);

    const QDateTime modified = QFileInfo(folder + QStringLiteral("/Mix")).lastModified();
    EXPECT_EQ(shown, chinese.toString(modified, QLocale::ShortFormat));
}

TEST(FolderDialogTest, ShowsAFolderByItsLastComponent) {
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/tmp/Scores/")), QStringLiteral("Scores"));
    EXPECT_EQ(FolderDialog::displayName(QStringLiteral("/")), QStringLiteral("/"));
}

} // namespace
} // namespace sorvel::test
