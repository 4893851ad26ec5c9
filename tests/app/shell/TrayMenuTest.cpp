#include "ShellFixture.h"

#include "app/shell/TrayMenu.h"
#include "studio/StudioLabel.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMenu>

namespace sorvel::test {
namespace {

class TrayMenuTest : public AppShellTest {
protected:
    QStringList texts() const {
        QStringList result;
        for (const QAction* action : tray.menu()->actions())
            result << (action->isSeparator() ? QStringLiteral("—") : action->text());
        return result;
    }

    QList<QAction*> projectItems() const {
        QList<QAction*> result;
        for (QAction* action : tray.menu()->actions()) {
            if (action->text().contains(QStringLiteral("  ·  ")))
                result << action;
        }
        return result;
    }

    AudioProject addAt(const QString& name, int minutesAgo) {
        AudioProject project = AudioProject::make(name, ProjectType::otherID);
        project.status = ProjectStatus::InProgress;
        project.updatedAt = Clock::now().addSecs(-60 * minutesAgo);
        store.addProject(project);
        return project;
    }

    static void settle() { QCoreApplication::processEvents(); }

    int opens = 0;
    int quits = 0;
    TrayMenu tray{store, router, panel, updates, ShellActions{[this] { ++opens; }, {}, [this] { ++quits; }}};
};

TEST_F(TrayMenuTest, WithoutActiveProjectsItSaysSo) {
    add(QStringLiteral("Done"), ProjectStatus::Done);
    add(QStringLiteral("Old"), ProjectStatus::InProgress, true);
    settle();
    EXPECT_EQ(texts(),
              (QStringList{QStringLiteral("没有进行中的项目"), QStringLiteral("—"), QStringLiteral("显示侧边面板"),
                           QStringLiteral("打开 Sorvel"), QStringLiteral("设置…"), QStringLiteral("检查更新…"),
                           QStringLiteral("—"), QStringLiteral("退出 Sorvel")}));
    EXPECT_FALSE(tray.menu()->actions().first()->isEnabled());
}

TEST_F(TrayMenuTest, ShowsAtMostEightActiveProjectsFocusedFirst) {
    for (int i = 0; i < 12; ++i)
        addAt(QStringLiteral("P%1").arg(i), i);
    AudioProject focused = addAt(QStringLiteral("Focus"), 500);
    store.setFocus(focused.id);
    settle();

    const QList<QAction*> items = projectItems();
    ASSERT_EQ(items.size(), TrayMenu::maxProjects);
    EXPECT_TRUE(items.first()->text().startsWith(QStringLiteral("Focus  ·  ")));
    for (int i = 1; i < items.size(); ++i)
        EXPECT_TRUE(items.at(i)->text().startsWith(QStringLiteral("P%1  ·  ").arg(i - 1)))
            << items.at(i)->text().toStdString();
    EXPECT_FALSE(texts().contains(QStringLiteral("没有进行中的项目")));
}

TEST_F(TrayMenuTest, TitlesShowUserTextAsWritten) {
    AudioProject project = AudioProject::make(QStringLiteral("Rock & Roll\n<b>Live</b>\tTake"), ProjectType::otherID);
    project.progressMode = ProgressMode::Manual;
    project.manualProgress = 0.125;
    EXPECT_EQ(TrayMenu::projectTitle(project, tray.menu()->font()).text,
              QStringLiteral("Rock && Roll <b>Live</b> Take  ·  13%"));
    EXPECT_TRUE(TrayMenu::projectTitle(project, tray.menu()->font()).toolTip.isEmpty()) << "nothing was cut";

    project.manualProgress = 1.0;
    EXPECT_TRUE(TrayMenu::projectTitle(project, tray.menu()->font()).text.endsWith(QStringLiteral("  ·  100%")));
}

TEST_F(TrayMenuTest, ALongNameIsCutSoTheMenuStaysNarrow) {
    const QString longName = QStringLiteral("Orchestral Score for the Northern Lights Saga, Season Two, "
                                            "Episodes One to Twelve");
    add(QStringLiteral("Short"));
    settle();
    const int narrowWidth = tray.menu()->sizeHint().width();

    add(longName + QStringLiteral(" & Co"));
    settle();
    const QList<QAction*> items = projectItems();
    ASSERT_EQ(items.size(), 2);
    const QAction* item = items.first()->text().startsWith(QStringLiteral("Short")) ? items.last() : items.first();
    EXPECT_TRUE(item->text().contains(QChar(0x2026))) << item->text().toStdString();
    EXPECT_TRUE(item->text().endsWith(QStringLiteral("  ·  0%"))) << "the progress is never cut";
    ASSERT_GT(QFontMetrics(tray.menu()->font()).horizontalAdvance(longName), MenuItemText::maxWidth)
        << "a name wide enough to matter";
    EXPECT_LE(QFontMetrics(tray.menu()->font()).horizontalAdvance(item->text()), MenuItemText::maxWidth);
    EXPECT_LE(tray.menu()->sizeHint().width(), narrowWidth + MenuItemText::maxWidth);
    EXPECT_EQ(item->toolTip(), Studio::plainToolTip(longName + QStringLiteral(" & Co  ·  0%"))) << "the whole name";
    EXPECT_TRUE(tray.menu()->toolTipsVisible());
}

TEST_F(TrayMenuTest, FollowsTheStoreAndOpensTheChosenProject) {
    settle();
    ASSERT_TRUE(projectItems().isEmpty());
    add(QStringLiteral("Finished"), ProjectStatus::Done);
    const AudioProject project = add(QStringLiteral("Score"));
    settle();
    ASSERT_EQ(projectItems().size(), 1);

    router.setSidebar(SidebarItem::calendar());
    projectItems().first()->trigger();
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(router.sidebar(), SidebarItem::active());
    EXPECT_EQ(router.selection(), QSet<QUuid>{project.id});

    store.markDone({project.id});
    settle();
    EXPECT_TRUE(projectItems().isEmpty());
}

TEST_F(TrayMenuTest, OpenAndQuitReachTheApplication) {
    for (QAction* action : tray.menu()->actions()) {
        if (action->text() == QStringLiteral("打开 Sorvel") || action->text() == QStringLiteral("退出 Sorvel"))
            action->trigger();
    }
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(quits, 1);
}

} // namespace
} // namespace sorvel::test
