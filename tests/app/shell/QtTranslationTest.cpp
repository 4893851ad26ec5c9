#include "app/shell/QtTranslation.h"
#include "app/desktop/FolderDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace sorvel::test {
namespace {

class QtTranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        translator.reset(QtTranslation::install(*QCoreApplication::instance()));
        ASSERT_NE(translator, nullptr) << "Qt's Chinese translations (qt6-translations-l10n) are missing";
    }
    // Other tests see Qt's own texts and the locale they started with again.
    void TearDown() override { QLocale::setDefault(localeBefore); }

    const QLocale localeBefore;
    // Deleting the translator uninstalls it.
    std::unique_ptr<QTranslator> translator;
};

TEST_F(QtTranslationTest, QtsOwnTextsAreChineseWhateverTheSystemsLocale) {
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_EQ(QLocale().territory(), QLocale::China);
    EXPECT_EQ(QLocale().monthName(3), QStringLiteral("三月"));
    // Words that Qt's own Chinese translations lack.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("文件夹"));
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Drive"), QStringLiteral("驱动器"));
    // What they have stays theirs.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

TEST_F(QtTranslationTest, StandardButtonsAndTheColourDialogSpeakChinese) {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Close);
    EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(box.button(QDialogButtonBox::Close)->text(), QStringLiteral("关闭"));

    QColorDialog colours;
    EXPECT_EQ(colours.windowTitle(), QStringLiteral("选择颜色"));
}

TEST_F(QtTranslationTest, TheFolderChooserSpeaksChinese) {
    QWidget sheet;
    sheet.show();
    QString title;
    QStringList buttons;
    QStringList labels;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        title = chooser->windowTitle();
        for (const QPushButton* button : chooser->findChildren<QPushButton*>())
            buttons << button->text();
        for (const QLabel* label : chooser->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                labels << label->text();
        }
        chooser->reject();
    });
    EXPECT_FALSE(FolderDialog::choose(&sheet, QStringLiteral("选择归档目录"), QStringLiteral("设为归档目录")));

    EXPECT_EQ(title, QStringLiteral("选择归档目录"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("设为归档目录"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("查找范围："))) << labels.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("目录："))) << labels.join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace sorvel::test
