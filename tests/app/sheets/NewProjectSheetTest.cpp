#include "app/sheets/NewProjectSheet.h"
#include "app/sheets/SegmentedPicker.h"
#include "studio/DateChip.h"
#include "studio/MenuItemText.h"
#include "studio/StudioLabel.h"
#include "support/AppViewFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

class NewProjectSheetTest : public AppViewTest {
protected:
    std::unique_ptr<NewProjectSheet> open() {
        auto sheet = std::make_unique<NewProjectSheet>(store, router);
        sheet->setFolderChooser([this] {
            ++chooserCalls;
            return nextFolder;
        });
        sheet->show();
        return sheet;
    }

    std::optional<QString> nextFolder;
    int chooserCalls = 0;
};

TEST_F(NewProjectSheetTest, StartsEmptyWithTheFirstTypeAndCueProgress) {
    const auto sheet = open();
    EXPECT_TRUE(sheet->nameField()->text().isEmpty());
    EXPECT_EQ(sheet->nameField()->placeholderText(), QStringLiteral("例如：Farming 春季配乐"));
    EXPECT_EQ(sheet->typeID(), store.registry().types().first().id);
    EXPECT_EQ(sheet->typePicker()->count(), store.registry().types().size());
    EXPECT_EQ(sheet->typePicker()->currentText(), store.registry().types().first().title);
    EXPECT_EQ(sheet->progressMode(), ProgressMode::Auto);
    EXPECT_FALSE(sheet->deadline().has_value());
    EXPECT_EQ(sheet->deadlineChip()->displayText(), QStringLiteral("点击设置"));
    EXPECT_FALSE(sheet->folderPath().has_value());
    EXPECT_EQ(sheet->folderButton()->text(), QStringLiteral("选择…"));
    EXPECT_FALSE(sheet->folderLabel()->isVisible());
    EXPECT_EQ(sheet->width(), 460);
    EXPECT_EQ(sheet->itemsEditor()->height(), 110);
    EXPECT_FALSE(sheet->createButton()->isEnabled());
    EXPECT_TRUE(sheet->createButton()->isDefault());
    EXPECT_FALSE(sheet->cancelButton()->isDefault());
    EXPECT_FALSE(sheet->cancelButton()->autoDefault());
}

TEST_F(NewProjectSheetTest, ALongTypeTitleIsCutInThePickerAndWholeInItsTooltip) {
    const QUuid typeID = store.addType();
    const QString title = QStringLiteral(
        "电影与剧集配乐（含预告片、花絮和所有宣传物料的全部版本，以及导演剪辑版与国际发行版的全部改动）& 其他");
    store.updateType(typeID, [&title](ProjectType& t) { t.title = title; });
    const auto sheet = open();
    QComboBox* picker = sheet->typePicker();
    const int index = picker->findData(typeID);
    ASSERT_GE(index, 0);
    EXPECT_TRUE(picker->itemText(index).endsWith(QChar(0x2026))) << picker->itemText(index).toStdString();
    EXPECT_LE(picker->fontMetrics().horizontalAdvance(picker->itemText(index)), MenuItemText::maxWidth);
    EXPECT_EQ(picker->itemData(index, Qt::ToolTipRole).toString(), Studio::plainToolTip(title));
    EXPECT_EQ(picker->itemText(0), store.registry().types().first().title) << "a short title stays whole";
    EXPECT_TRUE(picker->itemData(0, Qt::ToolTipRole).toString().isEmpty());

    picker->setCurrentIndex(index);
    EXPECT_EQ(sheet->typeID(), typeID) << "the cut entry still picks its type";
}

TEST_F(NewProjectSheetTest, WithoutTypesTheProjectTakesTheOtherType) {
    store.registry().setTypes({});
    const auto sheet = open();
    EXPECT_EQ(sheet->typeID(), ProjectType::otherID);
    sheet->nameField()->setText(QStringLiteral("Bare"));
    ASSERT_TRUE(sheet->create());
    EXPECT_EQ(store.projects().first().typeID, ProjectType::otherID);
}

TEST_F(NewProjectSheetTest, BlankNamesNeverCreateEvenWhenTheButtonIsPressed) {
    const auto sheet = open();
    for (const QString& blank : {QStringLiteral("   "), QStringLiteral("\t\t"), QStringLiteral("\u3000\u3000"),
                                 QStringLiteral(" \u00A0\u2003\t")}) {
        sheet->nameField()->setText(blank);
        EXPECT_FALSE(sheet->createButton()->isEnabled()) << blank.toStdString();
        // The button may be pressed while its state lags behind: the name is checked again.
        sheet->createButton()->setEnabled(true);
        sheet->createButton()->click();
        EXPECT_FALSE(sheet->create());
    }
    EXPECT_TRUE(store.projects().isEmpty());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(sheet->createButton()->isEnabled());
}

TEST_F(NewProjectSheetTest, CreatesTheWholeProjectFirstInTheStoreAndShowsItAlone) {
    const AudioProject older = add(QStringLiteral("Older"));
    router.setSidebar(SidebarItem::calendar());
    router.setSelection({older.id});
    const auto sheet = open();
    sheet->nameField()->setText(QStringLiteral("\u3000 Farming 春季配乐 \t"));
    sheet->typePicker()->setCurrentIndex(1);
    sheet->setProgressMode(ProgressMode::Manual);
    sheet->itemsEditor()->setPlainText(QStringLiteral("A\n\n  B  \r\nC\n"));
    const QDateTime due = QDateTime(QDate(2099, 6, 1), QTime(18, 0));
    sheet->setDeadline(due);

    ASSERT_TRUE(sheet->createButton()->isEnabled());
    sheet->createButton()->click();

    ASSERT_EQ(store.projects().size(), 2);
    const AudioProject& created = store.projects().first();
    EXPECT_EQ(created.name, QStringLiteral("Farming 春季配乐"));
    EXPECT_EQ(created.typeID, store.registry().types().at(1).id);
    EXPECT_EQ(created.status, ProjectStatus::NotStarted);
    EXPECT_EQ(created.progressMode, ProgressMode::Manual);
    EXPECT_EQ(created.deadline, due);
    EXPECT_FALSE(created.folderPath.has_value());
    ASSERT_EQ(created.items.size(), 3);
    const QStringList titles{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(created.items[i].title, titles[i]);
        EXPECT_EQ(created.items[i].number, QString::number(i + 1));
        EXPECT_EQ(created.items[i].stage, CueStage::NotStarted);
    }
    EXPECT_EQ(router.selection(), QSet<QUuid>{created.id});
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_FALSE(sheet->isVisible());

    // A second press before the sheet is gone adds nothing.
    EXPECT_FALSE(sheet->create());
    EXPECT_EQ(store.projects().size(), 2);
}

TEST_F(NewProjectSheetTest, TwelveLinesAreNumberedOneToTwelveAndBlankLinesMakeNoCue) {
    const auto sheet = open();
    sheet->nameField()->setText(QStringLiteral("Long"));
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
        lines << QStringLiteral("Cue %1").arg(i) << QStringLiteral("   ");
    sheet->itemsEditor()->setPlainText(lines.join(QLatin1Char('\n')));
    ASSERT_TRUE(sheet->create());
    const AudioProject& created = store.projects().first();
    ASSERT_EQ(created.items.size(), 12);
    EXPECT_EQ(created.items.last().number, QStringLiteral("12"));
    EXPECT_EQ(created.items.last().title, QStringLiteral("Cue 12"));
}

TEST_F(NewProjectSheetTest, AClearedDeadlineLeavesNone) {
    const auto sheet = open();
    sheet->nameField()->setText(QStringLiteral("Undated"));
    sheet->setDeadline(QDateTime(QDate(2099, 1, 2), QTime(9, 0)));
    EXPECT_NE(sheet->deadlineChip()->displayText(), QStringLiteral("点击设置"));
    Q_EMIT sheet->deadlineChip()->dateChosen(std::nullopt); // the chip's "清除日期"
    EXPECT_FALSE(sheet->deadline().has_value());
    EXPECT_EQ(sheet->deadlineChip()->displayText(), QStringLiteral("点击设置"));
    ASSERT_TRUE(sheet->create());
    EXPECT_FALSE(store.projects().first().deadline.has_value());
}

TEST_F(NewProjectSheetTest, APickedFolderFillsOnlyAnEmptyName) {
    const QString first = environment.scratch() + QStringLiteral("/Spring Score");
    const QString second = environment.scratch() + QStringLiteral("/Other Folder");
    const auto sheet = open();

    nextFolder = std::nullopt; // cancelled
    sheet->folderButton()->click();
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_FALSE(sheet->folderPath().has_value());

    nextFolder = first;
    sheet->folderButton()->click();
    EXPECT_EQ(sheet->folderPath(), first);
    EXPECT_EQ(sheet->nameField()->text(), QStringLiteral("Spring Score"));
    EXPECT_TRUE(sheet->createButton()->isEnabled());
    EXPECT_EQ(sheet->folderButton()->text(), QStringLiteral("更改…"));
    EXPECT_EQ(sheet->folderLabel()->text(), QStringLiteral("Spring Score"));
    EXPECT_EQ(sheet->folderLabel()->textFormat(), Qt::PlainText);

    nextFolder = second;
    sheet->folderButton()->click();
    EXPECT_EQ(sheet->folderPath(), second);
    EXPECT_EQ(sheet->nameField()->text(), QStringLiteral("Spring Score"));

    ASSERT_TRUE(sheet->create());
    EXPECT_EQ(store.projects().first().folderPath, second);
}

TEST_F(NewProjectSheetTest, ANameOfSpacesIsNotReplacedByTheFolder) {
    const auto sheet = open();
    sheet->nameField()->setText(QStringLiteral("  "));
    nextFolder = environment.scratch() + QStringLiteral("/Take");
    sheet->chooseFolder();
    EXPECT_EQ(sheet->nameField()->text(), QStringLiteral("  "));
    EXPECT_FALSE(sheet->createButton()->isEnabled());
}

TEST_F(NewProjectSheetTest, ReturnCreatesAndEscapeDiscards) {
    {
        const auto sheet = open();
        sheet->nameField()->setText(QStringLiteral("Typed"));
        sheet->cancelButton()->setFocus(); // Return never means "取消", wherever the focus is
        pressKey(sheet->cancelButton(), Qt::Key_Return);
        EXPECT_EQ(sheet->result(), QDialog::Accepted);
        ASSERT_EQ(store.projects().size(), 1);
        EXPECT_EQ(store.projects().first().name, QStringLiteral("Typed"));
    }
    {
        const auto sheet = open();
        sheet->nameField()->setText(QStringLiteral("Discarded"));
        pressKey(sheet->nameField(), Qt::Key_Escape);
        EXPECT_EQ(sheet->result(), QDialog::Rejected);
        EXPECT_FALSE(sheet->isVisible());
        EXPECT_EQ(store.projects().size(), 1);
    }
    {
        const auto sheet = open();
        EXPECT_TRUE(sheet->nameField()->text().isEmpty()); // a new sheet starts afresh
        pressKey(sheet->nameField(), Qt::Key_Return); // disabled "创建": nothing happens
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(store.projects().size(), 1);
    }
}

} // namespace
} // namespace sorvel::test
