#include "ShellFixture.h"

#include "app/library/MainWindow.h"
#include "app/panel/EdgePanelController.h"
#include "app/shell/AppDelegate.h"
#include "support/Waiting.h"

namespace sorvel::test {
namespace {

class PanelLinksTest : public AppShellTest {
protected:
    AppDelegate delegate{store, router, settings, panel, updates};
};

TEST_F(PanelLinksTest, APanelLinkReachesTheRouterAndBringsTheWindowBack) {
    const AudioProject project = add(QStringLiteral("Score"));
    delegate.launch(QString());
    ASSERT_TRUE(waitForQueuedEvents()); // the panel starts once the event loop runs
    MainWindow& window = delegate.mainWindow();
    window.hide();

    panel.openLink(project.deepLink().toString());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(router.selection(), QSet<QUuid>{project.id});
}

} // namespace
} // namespace sorvel::test
