#include "app/detail/DetailFixture.h"

#include "app/detail/DetailTopBar.h"
#include "app/library/MainWindow.h"
#include "app/library/StudioSidebar.h"
#include "studio/SymbolTileButton.h"
#include "support/Waiting.h"

#include <QPointer>

namespace sorvel::test {
namespace {

class DetailDrawerTest : public DetailTest {
protected:
    void SetUp() override {
        DetailTest::SetUp();
        window.resize(1320, 780);
        window.show();
    }
    ProjectDetailView* detail() const { return qobject_cast<ProjectDetailView*>(window.drawerContent()); }

    MainWindow window{store, router, settings};
};

TEST_F(DetailDrawerTest, TheDetailsOwnButtonsExpandAndCloseTheDrawer) {
    const AudioProject one = test::project(QStringLiteral("one"));
    put({one});
    router.setSelection({one.id});
    ASSERT_NE(detail(), nullptr);
    EXPECT_EQ(window.drawerTargetWidth(), MainWindow::drawerWidth);

    detail()->topBar()->expandButton()->click();
    EXPECT_TRUE(router.detailExpanded());
    EXPECT_GT(window.drawerTargetWidth(), MainWindow::drawerWidth) << "the whole content area";
    EXPECT_EQ(window.drawerTargetWidth(), window.centralWidget()->width() - StudioSidebar::fixedWidth - 2);
    detail()->topBar()->expandButton()->click();
    EXPECT_EQ(window.drawerTargetWidth(), MainWindow::drawerWidth);

    detail()->topBar()->closeButton()->click();
    EXPECT_TRUE(router.selection().isEmpty());
    EXPECT_EQ(window.drawerState().kind, DrawerState::Kind::None);
    EXPECT_EQ(window.drawerTargetWidth(), 0);
}

TEST_F(DetailDrawerTest, DeletingTheShownProjectLeavesAnEmptyPaneWhileTheDrawerSlidesOut) {
    const AudioProject one = test::project(QStringLiteral("one"));
    put({one});
    router.setSelection({one.id});
    QPointer<ProjectDetailView> pane = detail();
    ASSERT_NE(pane, nullptr);
    store.deleteProjects({one.id});
    EXPECT_EQ(window.drawerTargetWidth(), 0);
    if (pane) {
        EXPECT_FALSE(pane->showsProject());
    }
    // The slide ends and the pane goes.
    EXPECT_TRUE(waitUntil([&] { return window.drawerContent() == nullptr; }, 5000));
}

} // namespace
} // namespace sorvel::test
