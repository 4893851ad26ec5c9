#include "DetailFixture.h"

#include "app/detail/CueRow.h"
#include "app/detail/CueTable.h"
#include "app/detail/DetailBanner.h"
#include "app/detail/DetailTopBar.h"
#include "app/detail/LabelCard.h"
#include "app/detail/LogSection.h"
#include "app/detail/NotesSection.h"
#include "core/ChineseDateText.h"
#include "core/UserText.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "studio/SymbolTileButton.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCursor>

namespace sorvel::test {
namespace {

using Case = DetailBanner::Case;

Cue cueAt(CueStage stage) {
    Cue cue;
    cue.id = QUuid::createUuid();
    cue.number = QStringLiteral("1M01");
    cue.stage = stage;
    return cue;
}

QList<Cue> delivered(int count) {
    QList<Cue> cues;
    for (int i = 0; i < count; ++i)
        cues << cueAt(CueStage::Delivered);
    return cues;
}

class ProjectDetailViewTest : public DetailTest {};

TEST_F(ProjectDetailViewTest, ArchivedShowsTheArchiveDateAndRestoreLeadsToTheDoneBanner) {
    const QDateTime archivedAt = anHourAgo();
    const AudioProject project = test::project(QStringLiteral("Done and archived"), [&](AudioProject& p) {
        p.status = ProjectStatus::Done;
        p.archivedAt = archivedAt;
        p.updatedAt = archivedAt;
    });
    DetailBanner* banner = open(project).banner();

    EXPECT_EQ(banner->currentCase(), Case::Archived);
    EXPECT_FALSE(banner->isHidden());
    EXPECT_EQ(banner->text(),
              QStringLiteral("已于 ") + ChineseDateText::abbreviated(archivedAt) + QStringLiteral(" 归档"));
    EXPECT_EQ(banner->button()->text(), QStringLiteral("恢复"));
    EXPECT_FALSE(banner->button()->look().prominent);

    banner->button()->click();
    EXPECT_FALSE(stored(project.id).archivedAt.has_value());
    EXPECT_EQ(stored(project.id).log.first().text, QStringLiteral("从归档中恢复"));
    EXPECT_GT(stored(project.id).updatedAt, archivedAt);
    EXPECT_EQ(banner->currentCase(), Case::Done);
    EXPECT_EQ(banner->text(), QStringLiteral("已完成，等待归档"));
    EXPECT_EQ(banner->button()->text(), QStringLiteral("归档…"));
    EXPECT_TRUE(banner->button()->look().prominent);

    banner->button()->click();
    EXPECT_EQ(router.archiveRequest(), QSet<QUuid>{project.id});
    EXPECT_EQ(stored(project.id).status, ProjectStatus::Done) << "the archive sheet does the archiving";
}

TEST_F(ProjectDetailViewTest, AllDeliveredOffersMarkDoneOnlyInAutomaticModeWithCues) {
    const AudioProject project =
        test::project(QStringLiteral("Three delivered"), [](AudioProject& p) { p.items = delivered(3); });
    DetailBanner* banner = open(project).banner();
    ASSERT_EQ(banner->currentCase(), Case::AllDelivered);
    EXPECT_EQ(banner->text(), QStringLiteral("所有 cue 都已交付"));
    EXPECT_EQ(banner->button()->text(), QStringLiteral("标记完成"));

    banner->button()->click();
    EXPECT_EQ(stored(project.id).status, ProjectStatus::Done);
    EXPECT_TRUE(stored(project.id).completedAt.has_value());
    EXPECT_EQ(stored(project.id).log.first().text, QStringLiteral("完成"));
    EXPECT_EQ(banner->currentCase(), Case::Done);

    // Back in progress and switched to manual progress: no banner at all.
    store.update(project.id, [](AudioProject& p) {
        p.setStatus(ProjectStatus::InProgress);
        p.progressMode = ProgressMode::Manual;
    });
    EXPECT_EQ(banner->currentCase(), Case::None);
    EXPECT_TRUE(banner->isHidden());
}

TEST_F(ProjectDetailViewTest, BannerCasesFollowTheirPrecedence) {
    EXPECT_EQ(DetailBanner::caseFor(test::project(QStringLiteral("empty"))), Case::None) << "no cues";
    EXPECT_EQ(
        DetailBanner::caseFor(test::project(QStringLiteral("one open"),
                                            [](AudioProject& p) { p.items = delivered(2) << cueAt(CueStage::Mixed); })),
        Case::None);
    EXPECT_EQ(DetailBanner::caseFor(test::project(QStringLiteral("done, delivered"),
                                                  [](AudioProject& p) {
                                                      p.items = delivered(2);
                                                      p.status = ProjectStatus::Done;
                                                  })),
              Case::Done);
    EXPECT_EQ(DetailBanner::caseFor(test::project(QStringLiteral("archived, open"),
                                                  [](AudioProject& p) { p.archivedAt = Clock::now(); })),
              Case::Archived);
}

TEST_F(ProjectDetailViewTest, TopBarShowsTheTagAndTheFirstFourCharactersOfTheID) {
    AudioProject project = test::project(QStringLiteral("Tagged"));
    project.id = QUuid(QStringLiteral("{3c1a88c4-911c-429e-9df3-b384ce741719}"));
    DetailTopBar* bar = open(project).topBar();
    EXPECT_EQ(bar->idLabel()->text(), QStringLiteral("3C1A"));
    EXPECT_EQ(DetailTopBar::shortID(QUuid(QStringLiteral("00000000-0000-0000-0000-000000000001"))),
              QStringLiteral("0000"));
    const QList<QLabel*> labels = bar->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.cbegin(), labels.cend(),
                            [](const QLabel* label) { return label->text() == QStringLiteral("TAPE"); }));
}

TEST_F(ProjectDetailViewTest, TopBarButtonsCarryTheirHelpAndFollowTheRouter) {
    DetailTopBar* bar = open(test::project(QStringLiteral("Buttons"))).topBar();
    EXPECT_EQ(bar->focusButton()->toolTip(), QStringLiteral("设为焦点项目，小号小组件会优先显示它"));
    EXPECT_EQ(bar->folderButton()->toolTip(), QStringLiteral("在文件管理器中显示"));
    EXPECT_EQ(bar->closeButton()->toolTip(), QStringLiteral("关闭"));
    EXPECT_EQ(bar->expandButton()->toolTip(), QStringLiteral("展开，Cue 表格看得更全"));
    EXPECT_EQ(bar->expandButton()->symbol(), QStringLiteral("arrow.up.left.and.arrow.down.right"));

    bar->expandButton()->click();
    EXPECT_TRUE(router.detailExpanded());
    EXPECT_EQ(bar->expandButton()->toolTip(), QStringLiteral("收起"));
    EXPECT_EQ(bar->expandButton()->symbol(), QStringLiteral("arrow.down.right.and.arrow.up.left"));
    router.setDetailExpanded(false); // from elsewhere: the button follows
    EXPECT_EQ(bar->expandButton()->toolTip(), QStringLiteral("展开，Cue 表格看得更全"));

    router.setSelection({pane->projectID()});
    bar->closeButton()->click();
    EXPECT_TRUE(router.selection().isEmpty());
}

TEST_F(ProjectDetailViewTest, FocusStarMakesThisTheOneFocusProject) {
    const AudioProject other = test::project(QStringLiteral("Other"), [](AudioProject& p) { p.isFocused = true; });
    const AudioProject mine = test::project(QStringLiteral("Mine"), [&](AudioProject& p) { p.updatedAt = earlier; });
    put({other});
    SymbolTileButton* star = open(mine).topBar()->focusButton();
    EXPECT_EQ(star->symbol(), QStringLiteral("star"));
    EXPECT_EQ(star->symbolColor(), Studio::text2());

    star->click();
    EXPECT_TRUE(stored(mine.id).isFocused);
    EXPECT_FALSE(stored(other.id).isFocused);
    EXPECT_EQ(star->symbol(), QStringLiteral("star.fill"));
    EXPECT_EQ(star->symbolColor(), Studio::systemYellow()) << "the focus mark is yellow, not the accent";
    EXPECT_EQ(stored(mine.id).updatedAt, earlier) << "focus never stamps";

    star->click();
    EXPECT_FALSE(stored(mine.id).isFocused);
    EXPECT_FALSE(stored(other.id).isFocused);
    EXPECT_EQ(star->symbol(), QStringLiteral("star"));
    EXPECT_EQ(star->symbolColor(), Studio::text2());
}

TEST_F(ProjectDetailViewTest, FolderButtonShowsForAnyPathAndRevealsOnlyAnExistingDirectory) {
    QTemporaryDir disk;
    const QString folder = disk.filePath(QStringLiteral("Trailer 03"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = disk.filePath(QStringLiteral("run.desktop"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    AudioProject project = test::project(QStringLiteral("Folder"));
    SymbolTileButton* button = open(project).topBar()->folderButton();
    EXPECT_TRUE(button->isHidden()) << "no folder path, no button";

    for (const QString& path :
         {QString(), QStringLiteral("relative/Trailer 03"), script, folder + QStringLiteral("/gone")}) {
        store.update(project.id, [&](AudioProject& p) { p.folderPath = path; });
        EXPECT_FALSE(button->isHidden()) << path.toStdString();
        button->click();
    }
    EXPECT_TRUE(shownFolders.isEmpty()) << "a file, a relative, an empty or a missing path opens nothing";

    store.update(project.id, [&](AudioProject& p) { p.folderPath = folder; });
    button->click();
    EXPECT_EQ(shownFolders, QStringList{folder});
}

TEST_F(ProjectDetailViewTest, AProjectThatDisappearsLeavesAnEmptyPaneAndTakesNoWrites) {
    const AudioProject gone = test::project(QStringLiteral("Gone"));
    const AudioProject kept = test::project(QStringLiteral("Kept"), [](AudioProject& p) { p.isFocused = true; });
    put({kept});
    ProjectDetailView& view = open(gone);
    view.show();
    ASSERT_TRUE(view.showsProject());
    ASSERT_TRUE(view.topBar()->isVisible());

    view.logSection()->field()->setText(QStringLiteral("typed for Gone"));
    store.deleteProjects({gone.id});
    EXPECT_FALSE(view.showsProject());
    EXPECT_FALSE(view.topBar()->isVisible());
    EXPECT_FALSE(view.labelCard()->isVisible());

    // What the hidden controls still hold reaches no other project.
    const AudioProject before = stored(kept.id);
    view.logSection()->addLog();
    view.notesSection()->editor()->setPlainText(QStringLiteral("notes for Gone"));
    view.labelCard()->chooseStatus(ProjectStatus::Done);
    view.banner()->button()->click();
    view.topBar()->focusButton()->click();
    EXPECT_EQ(stored(kept.id), before);
    EXPECT_EQ(store.projects().size(), 1);
    EXPECT_TRUE(view.logSection()->field()->text().isEmpty());

    // The same project back from a reload shows again.
    put({gone});
    EXPECT_TRUE(view.showsProject());
    EXPECT_TRUE(view.topBar()->isVisible());
}

TEST_F(ProjectDetailViewTest, ALargePasteIsStoredOnlyOnceTheFieldHasInsertedIt) {
    Cue opening = cueAt(CueStage::Composing);
    opening.title = QStringLiteral("Opening");
    const AudioProject project = test::project(QStringLiteral("Pasted"), [&](AudioProject& p) {
        p.notes = QStringLiteral("line one\nline two");
        p.items = {opening};
    });
    ProjectDetailView& view = open(project);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return view.isActiveWindow(); }, 2000));

    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("第 %1 行 copied in another program").arg(i);
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));

    // Every change signal of the store, and every view it reaches, must come
    // after the field has finished inserting: none may run inside the paste.
    bool pasting = false;
    int signalsInsidePaste = 0;
    QObject::connect(&store, &ProjectStore::projectsChanged, &view, [&] {
        if (pasting)
            ++signalsInsidePaste;
    });
    const auto paste = [&pasting](auto* field) {
        field->setFocus();
        pasting = true;
        field->paste();
        pasting = false;
    };

    NotesEditor* notes = view.notesSection()->editor();
    notes->moveCursor(QTextCursor::End);
    notes->insertPlainText(QStringLiteral("\n")); // typed, then pasted on the new line
    paste(notes);
    const QString pastedNotes = QStringLiteral("line one\nline two\n") + lines.join(QLatin1Char('\n'));
    EXPECT_EQ(notes->toPlainText(), pastedNotes);
    // Another program's change lands before the paste is written: both stay.
    store.update(project.id, [](AudioProject& p) { p.manualProgress = 0.25; });
    EXPECT_EQ(notes->toPlainText(), pastedNotes) << "the pasted text stays in the editor";
    ASSERT_TRUE(waitUntil([&] { return stored(project.id).notes == pastedNotes; }, 2000));
    EXPECT_EQ(stored(project.id).manualProgress, 0.25);

    auto* table = view.findChild<CueTable*>();
    ASSERT_NE(table, nullptr);
    QLineEdit* title = table->rows().first()->titleField();
    title->selectAll();
    paste(title);
    const QString pastedTitle = UserText::trimmed(title->text());
    ASSERT_TRUE(pastedTitle.contains(QStringLiteral("第 30 行")));
    store.update(project.id, [](AudioProject& p) { p.manualProgress = 0.5; });
    EXPECT_EQ(UserText::trimmed(title->text()), pastedTitle) << "the pasted title stays in its field";
    ASSERT_TRUE(waitUntil([&] { return stored(project.id).items.first().title == pastedTitle; }, 2000));
    EXPECT_EQ(stored(project.id).manualProgress, 0.5);
    EXPECT_EQ(notes->toPlainText(), pastedNotes);

    EXPECT_EQ(signalsInsidePaste, 0);
}

} // namespace
} // namespace sorvel::test
