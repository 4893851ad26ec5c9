#include "app/sheets/ArchiveSheet.h"
#include "app/sheets/SwitchToggle.h"
#include "app/store/ArchiveSettings.h"
#include "core/Settings.h"
#include "studio/ElidedLine.h"
#include "support/AppViewFixture.h"
#include "support/Waiting.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvel::test {
namespace {

class ArchiveSheetTest : public AppViewTest {
protected:
    void set(const char* key, const QVariant& value) { settings.setValue(QLatin1String(key), value); }

    // Sets the archive directory; returns this month's folder inside it.
    QString archiveInto(const QString& base) {
        QDir().mkpath(base);
        set(ArchiveSettings::directoryKey, base);
        return base + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyy-MM"));
    }
    QString makeFolder(const QString& relative) {
        const QString path = environment.scratch() + QLatin1Char('/') + relative;
        writeFile(path + QStringLiteral("/take.wav"), QByteArray(64, 'w'));
        return path;
    }
    AudioProject addWithFolder(const QString& name, const std::optional<QString>& folder,
                               ProjectStatus status = ProjectStatus::InProgress) {
        AudioProject project = AudioProject::make(name, ProjectType::musicID);
        project.status = status;
        project.folderPath = folder;
        return add(project);
    }
    std::unique_ptr<ArchiveSheet> open(const QSet<QUuid>& ids) {
        auto sheet = std::make_unique<ArchiveSheet>(ids, store, router, settings);
        sheet->show();
        return sheet;
    }
    static int archiveEntries(const AudioProject& project) {
        return int(std::count_if(project.log.cbegin(), project.log.cend(),
                                 [](const LogEntry& entry) { return entry.text == QStringLiteral("归档"); }));
    }
};

TEST_F(ArchiveSheetTest, MovesFoldersIntoTheMonthFolderUnderFreeNamesAndWritesSummaries) {
    const QString month = archiveInto(environment.scratch() + QStringLiteral("/Archive"));
    set(ArchiveSettings::moveFoldersKey, true);
    const AudioProject first = addWithFolder(QStringLiteral("Tide"), makeFolder(QStringLiteral("a/Tape")));
    const AudioProject second =
        addWithFolder(QStringLiteral("Ember"), makeFolder(QStringLiteral("b/Tape")), ProjectStatus::Done);
    const AudioProject untouched = add(QStringLiteral("Elsewhere"));
    router.setSelection({first.id, second.id, untouched.id});

    const auto sheet = open({first.id, second.id});
    EXPECT_EQ(sheet->titleText(), QStringLiteral("归档 2 个项目"));
    EXPECT_EQ(sheet->projectNames(), (QStringList{QStringLiteral("Ember"), QStringLiteral("Tide")})); // store order
    EXPECT_EQ(sheet->unfinishedTagCount(), 1);
    EXPECT_EQ(sheet->pendingText(), QStringLiteral("1 个未完成的项目会一并标记为完成"));
    EXPECT_EQ(sheet->directoryText(), QStringLiteral("Archive"));
    EXPECT_TRUE(sheet->moveToggle()->isEnabled());
    EXPECT_TRUE(sheet->moveToggle()->isChecked());
    EXPECT_TRUE(sheet->summaryToggle()->isChecked());

    sheet->archiveButton()->click();

    EXPECT_TRUE(sheet->errors().isEmpty());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(router.selection(), QSet<QUuid>{untouched.id});
    // Ember comes first in the store, so it keeps the plain name.
    EXPECT_EQ(stored(second.id).folderPath, month + QStringLiteral("/Tape"));
    EXPECT_EQ(stored(first.id).folderPath, month + QStringLiteral("/Tape 2"));
    EXPECT_TRUE(QFileInfo::exists(month + QStringLiteral("/Tape/take.wav")));
    EXPECT_TRUE(QFileInfo::exists(month + QStringLiteral("/Tape 2/take.wav")));
    EXPECT_FALSE(QFileInfo::exists(first.folderPath.value()));
    EXPECT_TRUE(QFileInfo::exists(month + QStringLiteral("/Tide 归档.md")));
    EXPECT_TRUE(readFile(month + QStringLiteral("/Ember 归档.md")).startsWith("# Ember\n"));
    for (const QUuid& id : {first.id, second.id}) {
        EXPECT_TRUE(stored(id).archivedAt.has_value());
        EXPECT_EQ(stored(id).status, ProjectStatus::Done);
    }
    EXPECT_FALSE(stored(untouched.id).archivedAt.has_value());
}

TEST_F(ArchiveSheetTest, ShowsEveryErrorLineInStoreOrderAndNeverRunsAgain) {
    archiveInto(environment.scratch() + QStringLiteral("/Archive"));
    set(ArchiveSettings::moveFoldersKey, true);
    set(ArchiveSettings::writeSummaryKey, false);
    const AudioProject second =
        addWithFolder(QStringLiteral("Beta"), environment.scratch() + QStringLiteral("/gone-b"));
    const AudioProject fine = addWithFolder(QStringLiteral("Fine"), makeFolder(QStringLiteral("Fine")));
    const AudioProject first =
        addWithFolder(QStringLiteral("Alpha"), environment.scratch() + QStringLiteral("/gone-a"));
    router.setSelection({first.id, second.id, fine.id});

    const auto sheet = open({first.id, second.id, fine.id});
    EXPECT_EQ(sheet->unfinishedTagCount(), 3);
    sheet->archiveButton()->click();

    const QStringList lines = sheet->shownErrorLines();
    ASSERT_EQ(lines.size(), 2);
    // The reason is the user's language too, not the C library's English.
    EXPECT_EQ(lines[0], QStringLiteral("「Alpha」移动文件夹失败：文件或文件夹不存在"));
    EXPECT_EQ(lines[1], QStringLiteral("「Beta」移动文件夹失败：文件或文件夹不存在"));
    EXPECT_EQ(lines, sheet->errors());

    // Reported: still open, only "关闭", and the projects are archived all the same.
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_NE(sheet->result(), QDialog::Accepted);
    EXPECT_FALSE(sheet->archiveButton()->isVisible());
    EXPECT_EQ(sheet->cancelButton()->text(), QStringLiteral("关闭"));
    EXPECT_TRUE(router.selection().isEmpty());
    EXPECT_EQ(sheet->unfinishedTagCount(), 0);
    EXPECT_TRUE(sheet->pendingText().isEmpty());
    EXPECT_EQ(stored(first.id).folderPath, first.folderPath);
    EXPECT_TRUE(stored(first.id).archivedAt.has_value());

    // No second run, whatever asks for it.
    set(ArchiveSettings::moveFoldersKey, false);
    sheet->archive();
    pressKey(sheet.get(), Qt::Key_Return);
    EXPECT_EQ(archiveEntries(stored(first.id)), 1);
    EXPECT_EQ(sheet->shownErrorLines(), lines);
    EXPECT_TRUE(sheet->isVisible());

    sheet->cancelButton()->click();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(ArchiveSheetTest, AnErrorBelowAFullFormIsScrolledIntoView) {
    archiveInto(environment.scratch() + QStringLiteral("/Archive"));
    set(ArchiveSettings::moveFoldersKey, true);
    QSet<QUuid> ids;
    for (int i = 0; i < 5; ++i)
        ids << addWithFolder(QStringLiteral("Tape %1").arg(i), makeFolder(QStringLiteral("t%1").arg(i))).id;
    // The newest comes first in the store, so its line is the last of the form.
    ids << addWithFolder(QStringLiteral("Gone"), environment.scratch() + QStringLiteral("/gone")).id;
    const auto sheet = open(ids);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    const auto* scroll = sheet->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    ASSERT_GT(scroll->widget()->height(), scroll->viewport()->height()) << "the form scrolls before any error";

    sheet->archiveButton()->click();
    ASSERT_EQ(sheet->shownErrorLines().size(), 1);
    QLabel* line = nullptr;
    for (QLabel* label : sheet->findChildren<QLabel*>())
        if (label->text() == sheet->errors().first())
            line = label;
    ASSERT_NE(line, nullptr);
    const auto inView = [&] {
        const QRect shown(line->mapTo(scroll->viewport(), QPoint(0, 0)), line->size());
        return line->isVisible() && scroll->viewport()->rect().contains(shown);
    };
    EXPECT_TRUE(waitUntil(inView, 2000)) << "the error line lies below the fold";
    EXPECT_TRUE(sheet->cancelButton()->isVisible());
}

TEST_F(ArchiveSheetTest, WithoutDirectoryNothingMovesAndSummariesGoIntoProjectFolders) {
    set(ArchiveSettings::moveFoldersKey, true); // left on while the directory was cleared elsewhere
    const QString folder = makeFolder(QStringLiteral("Solo"));
    const AudioProject project = addWithFolder(QStringLiteral("Solo"), folder);
    const auto sheet = open({project.id});
    EXPECT_EQ(sheet->directoryText(), QStringLiteral("未设置"));
    EXPECT_FALSE(sheet->moveToggle()->isEnabled());
    EXPECT_TRUE(sheet->moveToggle()->isChecked());
    EXPECT_EQ(sheet->footerText(), QStringLiteral("未设置归档目录时，清单会写在各项目的工程文件夹里。"));

    pressKey(sheet.get(), Qt::Key_Return);

    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(stored(project.id).folderPath, folder);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Solo 归档.md")));
    EXPECT_TRUE(stored(project.id).archivedAt.has_value());
}

TEST_F(ArchiveSheetTest, ChoosingADirectoryShowsItsNameAndTheMonthPattern) {
    const AudioProject project = add(QStringLiteral("Any"));
    const auto sheet = open({project.id});
    const QString chosen = environment.scratch() + QStringLiteral("/Archive");
    sheet->setDirectoryChooser([] { return std::optional<QString>(); });
    sheet->chooseDirectory();
    EXPECT_EQ(sheet->directoryText(), QStringLiteral("未设置"));

    sheet->setDirectoryChooser([chosen] { return std::optional<QString>(chosen); });
    sheet->chooseDirectory();
    EXPECT_EQ(settings.string(QLatin1String(ArchiveSettings::directoryKey)), chosen);
    EXPECT_EQ(sheet->directoryText(), QStringLiteral("Archive"));
    EXPECT_EQ(sheet->footerText(), QStringLiteral("文件会按月份放进 ") + chosen + QStringLiteral("/年-月/"));
    EXPECT_TRUE(sheet->moveToggle()->isEnabled());

    // The settings window edits the same key; the sheet follows at once.
    settings.setValue(QLatin1String(ArchiveSettings::directoryKey), QString());
    EXPECT_EQ(sheet->directoryText(), QStringLiteral("未设置"));
    EXPECT_FALSE(sheet->moveToggle()->isEnabled());

    click(sheet->summaryToggle());
    EXPECT_FALSE(settings.boolean(QLatin1String(ArchiveSettings::writeSummaryKey), true));
}

TEST_F(ArchiveSheetTest, EscapeArchivesNothingAndDeletedProjectsAreSkipped) {
    const AudioProject project = add(QStringLiteral("Kept"));
    {
        const auto sheet = open({project.id});
        pressKey(sheet.get(), Qt::Key_Escape);
        EXPECT_EQ(sheet->result(), QDialog::Rejected);
        EXPECT_FALSE(stored(project.id).archivedAt.has_value());
    }
    const auto sheet = open({QUuid::createUuid()});
    EXPECT_EQ(sheet->titleText(), QStringLiteral("归档 0 个项目"));
    EXPECT_TRUE(sheet->projectNames().isEmpty());
    EXPECT_TRUE(sheet->pendingText().isEmpty());
    sheet->archiveButton()->click();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

TEST_F(ArchiveSheetTest, ALongNameEndsInAnEllipsisAndTheUnfinishedTagStaysInView) {
    const QString longName =
        QStringLiteral("The Very Long Orchestral Score For The Winter Festival Trailer Number Two");
    const AudioProject project = add(longName);
    const auto sheet = open({project.id});
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    ASSERT_TRUE(waitForQueuedEvents());
    const ElidedLine* name = nullptr;
    for (const ElidedLine* line : sheet->findChildren<ElidedLine*>())
        if (line->text() == longName)
            name = line;
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->shownText().endsWith(QStringLiteral("…"))) << name->shownText().toStdString();
    EXPECT_TRUE(name->toolTip().contains(longName));
    const QLabel* tag = nullptr;
    for (const QLabel* label : name->parentWidget()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("未完成"))
            tag = label;
    ASSERT_NE(tag, nullptr);
    EXPECT_LE(tag->geometry().right(), name->parentWidget()->width());
}

TEST_F(ArchiveSheetTest, NamesAndPathsAreShownAsPlainText) {
    const QString markup = QStringLiteral("<b>Bold</b> & <i>Loud</i>");
    const AudioProject project = add(markup);
    set(ArchiveSettings::directoryKey, environment.scratch() + QStringLiteral("/<b>Archive"));
    const auto sheet = open({project.id});
    int found = 0;
    for (const ElidedLine* line : sheet->findChildren<ElidedLine*>()) {
        if (line->text() == markup) {
            EXPECT_EQ(line->shownText(), markup) << "painted as it is, never read as markup";
            ++found;
        }
    }
    for (const QLabel* label : sheet->findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("<b>Archive")
            || label->text().contains(QStringLiteral("/<b>Archive/年-月/"))) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
            ++found;
        }
    }
    EXPECT_EQ(found, 3);
}

} // namespace
} // namespace sorvel::test
