#include "support/AppViewFixture.h"

#include "app/library/MainWindow.h"
#include "app/settings/AccentSwatch.h"
#include "app/settings/AppearanceSettings.h"
#include "app/settings/OpacitySlider.h"
#include "core/Settings.h"
#include "studio/AppearanceHost.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "support/Waiting.h"

#include <QSlider>

namespace sorvel::test {
namespace {

// The main window beside the appearance tab that changes its settings.
using MainWindowAppearanceTest = AppViewTest;

TEST_F(MainWindowAppearanceTest, TheMainWindowFollowsOpacityAndAccentLive) {
    MainWindow window(store, router, settings);
    window.show();
    AppearanceSettings tab(settings);
    tab.mainOpacity()->slider()->setValue(600);
    EXPECT_TRUE(waitUntil([&] { return qAbs(window.windowOpacity() - 0.6) < 0.01; }, 2000));
    tab.swatches().at(1)->click();
    EXPECT_EQ(Studio::tint(window.centralWidget()), QColor(0x00, 0x7A, 0xFF));
    tab.restoreButton()->click();
    EXPECT_TRUE(waitUntil([&] { return qAbs(window.windowOpacity() - 1.0) < 0.01; }, 2000));
    EXPECT_EQ(Studio::tint(window.centralWidget()), Studio::tape());
}

} // namespace
} // namespace sorvel::test
