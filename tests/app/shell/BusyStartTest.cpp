#include "app/library/MainWindow.h"
#include "app/library/ShelfEmptyState.h"
#include "app/library/ShelfHeader.h"
#include "app/library/ShelfSummaryRow.h"
#include "app/library/StudioSidebar.h"
#include "app/library/TapeShelf.h"
#include "app/navigation/AppRouter.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ShellFixture.h"
#include "app/store/ProjectStore.h"
#include "studio/StudioButton.h"
#include "support/FolderHolder.h"
#include "support/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace sorvel::test {
namespace {

// The application starting while another program holds the data folder: the
// window shows at once, before the first read has landed.
class BusyStart : public StoreFixture {
protected:
    // Holds the folder, then starts the application over it.
    void startWhileHeld() {
        holder.emplace(environment.dataFolder());
        holder->takeTheFolder();
        ASSERT_TRUE(holder->isHolding());
        store = std::make_unique<ProjectStore>(disk, desktop.seams());
        ASSERT_FALSE(store->hasStarted()) << "the first read landed although the folder is held";
        panel = std::make_unique<EdgePanelController>(*store, settings, EdgePanelController::Platform::system());
        updates = std::make_unique<UpdateChecker>(settings, std::make_unique<RecordingPrompter>(), quietUpdateTiming(),
                                                  [] { return QDateTime::currentDateTimeUtc(); });
        delegate = std::make_unique<AppDelegate>(*store, router, settings, *panel, *updates);
    }

    TapeShelf& shelf() const { return *delegate->mainWindow().shelf(); }

    // Everything the shelf shows that could claim there are no tapes.
    void expectTapesComing() const {
        EXPECT_EQ(shelf().content(), TapeShelf::Content::Empty);
        EXPECT_EQ(shelf().emptyState()->title(), QStringLiteral("正在读取磁带…"));
        EXPECT_FALSE(shelf().emptyState()->offersNewTape());
        EXPECT_EQ(shelf().header()->countText(), QString());
        for (const StatTile* tile : shelf().summary()->tiles())
            EXPECT_EQ(tile->valueText(), QStringLiteral("--")) << tile->text().toStdString();
        for (const SidebarRow* row : delegate->mainWindow().sidebar()->rows())
            EXPECT_EQ(row->countText(), QString()) << row->item().title(store->registry()).toStdString();
    }

    std::optional<FolderHolder> holder;
    AppRouter router;
    std::unique_ptr<ProjectStore> store;
    Settings settings{disk, Settings::applicationFilePath()};
    std::unique_ptr<EdgePanelController> panel;
    std::unique_ptr<UpdateChecker> updates;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(BusyStart, TheShelfSaysTheTapesAreComingAndALinkIsFollowedOnceTheyAre) {
    const AudioProject waiting = AudioProject::make(QStringLiteral("Waiting"), ProjectType::musicID);
    writeDataFile({waiting});
    ASSERT_NO_FATAL_FAILURE(startWhileHeld());
    delegate->launch(waiting.deepLink().toString());
    expectTapesComing();
    EXPECT_TRUE(delegate->mainWindow().isVisible());
    delegate->openLink(QStringLiteral("sorvel://archive-done"));
    delegate->openLink(waiting.deepLink().toString());
    EXPECT_TRUE(router.selection().isEmpty());

    holder->release();
    ASSERT_TRUE(waitUntil([&] { return store->hasStarted(); }, 10000));
    EXPECT_EQ(router.selection(), QSet<QUuid>{waiting.id}) << "the link that came meanwhile was dropped";
    EXPECT_EQ(router.sidebar(), SidebarItem::active()) << "the links were not followed in their order";
    EXPECT_EQ(shelf().content(), TapeShelf::Content::Grid);
    EXPECT_EQ(shelf().header()->countText(), QStringLiteral("01 TAPES"));
    EXPECT_EQ(shelf().summary()->tiles().first()->valueText(), QStringLiteral("01"));
}

// A file without tapes changes no projects when it is read: the shelf still
// learns that it is empty, and offers a new tape.
TEST_F(BusyStart, AFileWithoutTapesTurnsTheWaitIntoTheEmptyShelf) {
    ASSERT_NO_FATAL_FAILURE(startWhileHeld());
    delegate->launch(QString());
    expectTapesComing();

    holder->release();
    ASSERT_TRUE(waitUntil([&] { return store->hasStarted(); }, 10000));
    EXPECT_EQ(shelf().emptyState()->title(), QStringLiteral("架子上还没有磁带"));
    EXPECT_TRUE(shelf().emptyState()->offersNewTape());
    EXPECT_EQ(shelf().header()->countText(), QStringLiteral("00 TAPES"));
    for (const StatTile* tile : shelf().summary()->tiles())
        EXPECT_EQ(tile->valueText(), QStringLiteral("00"));
    EXPECT_EQ(delegate->mainWindow().sidebar()->rows().first()->countText(), QStringLiteral("00"));
}

} // namespace
} // namespace sorvel::test
