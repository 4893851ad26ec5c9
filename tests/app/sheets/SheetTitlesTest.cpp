#include "AppViewFixture.h"

#include "app/library/TypeEditorSheet.h"
#include "app/sheets/ArchiveSheet.h"
#include "app/sheets/NewProjectSheet.h"
#include "app/shell/SettingsWindow.h"

namespace sorvel::test {
namespace {

// Task bars and window switchers name each window: never the program's name twice.
TEST_F(AppViewTest, EverySheetAndWindowCarriesItsOwnTitle) {
    const AudioProject project = add(QStringLiteral("Score"));
    NewProjectSheet newProject(store, router);
    ArchiveSheet archive({project.id}, store, router);
    TypeEditorSheet types(store, router);
    SettingsWindow settings;
    EXPECT_EQ(newProject.windowTitle(), QStringLiteral("新建项目"));
    EXPECT_EQ(archive.windowTitle(), QStringLiteral("归档"));
    EXPECT_EQ(types.windowTitle(), QStringLiteral("管理类型"));
    EXPECT_EQ(settings.windowTitle(), QStringLiteral("设置"));
}

} // namespace
} // namespace sorvel::test
