#include "app/desktop/DesktopServices.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <memory>

namespace sorvel::test {
namespace {

QList<QMessageBox*> shownBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

class OpenFolderTest : public ::testing::Test {
protected:
    void TearDown() override { qDeleteAll(shownBoxes()); }

    TestEnvironment environment;
    QList<QUrl> asked;
};

TEST_F(OpenFolderTest, AFolderThatOpensShowsNoMessage) {
    DesktopServices::openFolderWith(environment.scratch(), [this](const QUrl& url) {
        asked << url;
        return true;
    });
    EXPECT_EQ(asked, QList<QUrl>({QUrl::fromLocalFile(environment.scratch())}));
    EXPECT_TRUE(shownBoxes().isEmpty());
}

TEST_F(OpenFolderTest, WhenNoProgramOpensFoldersAShortMessageNamesTheFolder) {
    const QString folder = environment.scratch() + QStringLiteral("/<b>项目</b>");
    DesktopServices::openFolderWith(folder, [this](const QUrl& url) {
        asked << url;
        return false;
    });
    ASSERT_EQ(asked.size(), 1);
    const QList<QMessageBox*> boxes = shownBoxes();
    ASSERT_EQ(boxes.size(), 1);
    QMessageBox* box = boxes.first();
    EXPECT_EQ(box->text(), QStringLiteral("没有可以打开文件夹的程序。"));
    EXPECT_EQ(box->informativeText(), QDir::toNativeSeparators(folder));
    const auto* path = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->textFormat(), Qt::PlainText) << "a folder name is never read as markup";
    EXPECT_FALSE(box->isModal()) << "the message does not hold up the rest of the program";
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().first()->text(), QStringLiteral("好"));
}

} // namespace
} // namespace sorvel::test
