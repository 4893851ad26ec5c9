#include "ShellFixture.h"

#include "app/shell/MenuCommands.h"
#include "core/Settings.h"

#include <QAction>
#include <QMenuBar>

namespace sorvel::test {
namespace {

class MenuCommandsTest : public AppShellTest {
protected:
    QMenuBar bar;
    int quits = 0;
    MenuCommands commands{bar, store, router, settings, panel, ShellActions{{}, {}, [this] { ++quits; }}};
};

TEST_F(MenuCommandsTest, ArchiveSelectionIsEnabledOnlyWithASelection) {
    EXPECT_FALSE(commands.archiveSelectionAction()->isEnabled());
    router.setSelection({QUuid::createUuid()});
    EXPECT_TRUE(commands.archiveSelectionAction()->isEnabled());
    router.setSelection({});
    EXPECT_FALSE(commands.archiveSelectionAction()->isEnabled());
}

TEST_F(MenuCommandsTest, ArchiveSelectionKeepsOnlyExistingUnarchivedProjects) {
    const AudioProject active = add(QStringLiteral("Active"));
    const AudioProject archived = add(QStringLiteral("Archived"), ProjectStatus::Done, true);
    router.setSelection({active.id, archived.id, QUuid::createUuid()});
    commands.archiveSelectionAction()->trigger();
    EXPECT_EQ(router.archiveRequest(), std::optional<QSet<QUuid>>(QSet<QUuid>{active.id}));
}

TEST_F(MenuCommandsTest, ArchiveSelectionOfArchivedProjectsOnlyDoesNothing) {
    const AudioProject archived = add(QStringLiteral("Archived"), ProjectStatus::Done, true);
    router.setSelection({archived.id, QUuid::createUuid()});
    EXPECT_TRUE(commands.archiveSelectionAction()->isEnabled());
    RouterSignals changes(router);
    commands.archiveSelectionAction()->trigger();
    EXPECT_FALSE(router.archiveRequest().has_value());
    EXPECT_EQ(changes.total(), 0);
}

TEST_F(MenuCommandsTest, CommandsActOnRouterSettingsAndQuit) {
    commands.newProjectAction()->trigger();
    EXPECT_TRUE(router.showingNewProject());

    commands.listModeAction()->trigger();
    EXPECT_EQ(settings.string(QStringLiteral("shelfMode")), QStringLiteral("list"));
    commands.tapeModeAction()->trigger();
    EXPECT_EQ(settings.string(QStringLiteral("shelfMode")), QStringLiteral("tape"));

    commands.quitAction()->trigger();
    EXPECT_EQ(quits, 1);
}

} // namespace
} // namespace sorvel::test
