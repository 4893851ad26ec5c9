#include "PanelFixture.h"

#include "app/panel/PanelEmptyState.h"
#include "app/panel/PanelTabButton.h"
#include "core/Storage.h"
#include "support/FolderHolder.h"

namespace sorvel::test {
namespace {

// The application started while another program holds the data folder: until
// the first read lands, the panel says the tapes are coming, not that there are none.
TEST(EdgePanelBusyStart, ThePanelSaysTheTapesAreComingUntilTheFileIsRead) {
    TestEnvironment environment;
    PosixFileSystem disk;
    const AudioProject waiting = AudioProject::make(QStringLiteral("Waiting"), ProjectType::musicID);
    ASSERT_TRUE(Storage::save(disk, Library{{waiting}, ProjectType::defaults()}));
    FolderHolder holder(environment.dataFolder());
    holder.takeTheFolder();
    ASSERT_TRUE(holder.isHolding());
    ProjectStore store(disk, {[] { return std::optional<QString>(); }, [](const QString&) {}, [] {}});
    ASSERT_FALSE(store.hasStarted());

    Settings settings(disk, environment.configHome() + QStringLiteral("/panel-test.conf"));
    EdgePanelController::Platform platform;
    auto screens = std::make_unique<FakeScreens>();
    screens->area = laptopScreen();
    platform.pointer = std::make_unique<FakePointer>();
    platform.screens = std::move(screens);
    platform.collapseTimer = std::make_unique<FakeCollapseTimer>();
    EdgePanelController controller(store, settings, std::move(platform));
    controller.start();
    controller.expand();
    EdgePanelView* view = controller.panel()->root().panelView();
    ASSERT_NE(view, nullptr);

    for (const EdgePanelView::Tab tab : {EdgePanelView::Tab::Active, EdgePanelView::Tab::Done}) {
        view->setTab(tab);
        EXPECT_EQ(view->emptyState()->text(), QStringLiteral("正在读取磁带…"));
        EXPECT_TRUE(view->emptyState()->isVisibleTo(view));
        EXPECT_EQ(view->tabButton(tab)->countText(), QString());
    }

    holder.release();
    ASSERT_TRUE(waitUntil([&] { return store.hasStarted(); }, 10000));
    EXPECT_EQ(view->emptyState()->text(), QStringLiteral("没有待归档的磁带"));
    EXPECT_EQ(view->tabButton(EdgePanelView::Tab::Done)->countText(), QStringLiteral("00"));
    EXPECT_EQ(view->tabButton(EdgePanelView::Tab::Active)->countText(), QStringLiteral("01"));
    view->setTab(EdgePanelView::Tab::Active);
    EXPECT_FALSE(view->emptyState()->isVisibleTo(view));
}

} // namespace
} // namespace sorvel::test
