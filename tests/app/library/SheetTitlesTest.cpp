#include "support/AppViewFixture.h"

#include "app/library/TypeEditorSheet.h"
#include "app/sheets/ArchiveSheet.h"
#include "app/sheets/NewProjectSheet.h"

namespace sorvel::test {
namespace {

// Task bars and window switchers name each window: never the program's name twice.
TEST_F(AppViewTest, EverySheetCarriesItsOwnTitle) {
    const AudioProject project = add(QStringLiteral("Score"));
    NewProjectSheet newProject(store, router);
    ArchiveSheet archive({project.id}, store, router, settings);
    TypeEditorSheet types(store, router);
    EXPECT_EQ(newProject.windowTitle(), QStringLiteral("新建项目"));
    EXPECT_EQ(archive.windowTitle(), QStringLiteral("归档"));
    EXPECT_EQ(types.windowTitle(), QStringLiteral("管理类型"));
}

} // namespace
} // namespace sorvel::test
