#include "support/AppViewFixture.h"

#include "app/settings/AccentSwatch.h"
#include "app/settings/AppearanceSettings.h"
#include "app/settings/ColorWell.h"
#include "app/settings/GeneralSettings.h"
#include "app/settings/OpacitySlider.h"
#include "app/settings/SettingsWindow.h"
#include "app/settings/TypeEditor.h"
#include "app/settings/UpdateChecker.h"
#include "app/sheets/SwitchToggle.h"
#include "app/store/ArchiveSettings.h"
#include "core/DataFolder.h"
#include "core/Settings.h"
#include "studio/AppearanceHost.h"
#include "studio/ElidedLine.h"
#include "studio/Studio.h"
#include "studio/StudioButton.h"
#include "support/Waiting.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>

namespace sorvel::test {
namespace {

struct QuietPrompter final : UpdatePrompter {
    int shown = 0;
    ReleaseChoice askAboutRelease(const QString&, const QString&) override {
        ++shown;
        return ReleaseChoice::Later;
    }
    void tell(const QString&, const QString&) override { ++shown; }
    void open(const QUrl&) override {}
};

class SettingsTabsTest : public AppViewTest {
protected:
    std::unique_ptr<UpdateChecker> makeChecker() {
        auto quiet = std::make_unique<QuietPrompter>();
        prompter = quiet.get();
        return std::make_unique<UpdateChecker>(settings, std::move(quiet), UpdateChecker::Timing{},
                                               [] { return QDateTime::currentDateTimeUtc(); });
    }
    GeneralSettings::Desktop fakeDesktop() {
        return {[this](QWidget*) { return nextFolder; }, [this](const QString& folder) { opened << folder; }};
    }
    void checkFileFeed(const QByteArray& body) {
        const QString path = environment.scratch() + QStringLiteral("/latest.json");
        writeFile(path, body);
        settings.setValue(UpdateChecker::feedURLKey, QUrl::fromLocalFile(path).toString());
        updates->check(false);
        ASSERT_TRUE(waitUntil([&] { return updates->state() != UpdateChecker::State::Checking; }, 5000));
    }

    QuietPrompter* prompter = nullptr;
    std::unique_ptr<UpdateChecker> updates = makeChecker();
    std::optional<QString> nextFolder;
    QStringList opened;
};

TEST_F(SettingsTabsTest, TheWindowHasThreeTabsAFixedSizeAndTheStoredAccent) {
    SettingsWindow window(store, settings, *updates);
    EXPECT_EQ(window.minimumSize(), QSize(520, 500));
    EXPECT_EQ(window.maximumSize(), QSize(520, 500));
    ASSERT_EQ(window.tabs()->count(), 3);
    EXPECT_EQ(window.tabs()->tabText(0), QStringLiteral("通用"));
    EXPECT_EQ(window.tabs()->tabText(1), QStringLiteral("外观"));
    EXPECT_EQ(window.tabs()->tabText(2), QStringLiteral("类型"));
    EXPECT_EQ(window.tabs()->widget(2), window.typeEditor());
    EXPECT_EQ(Studio::tint(window.general()), Studio::tape());

    for (const auto& [stored, expected] : {std::pair{QStringLiteral("30B0C7"), QColor(0x30, 0xB0, 0xC7)},
                                           std::pair{QStringLiteral("12345"), Studio::tape()}}) {
        settings.setValue(AppearanceHost::accentKey, stored);
        SettingsWindow tinted(store, settings, *updates);
        EXPECT_EQ(Studio::tint(tinted.typeEditor()), expected) << stored.toStdString();
    }
}

TEST_F(SettingsTabsTest, TheWindowTakesTheCurrentAccentWhenShownAgainAndWhileOpen) {
    SettingsWindow window(store, settings, *updates);
    window.show();
    SwitchToggle* toggle = window.general()->panelToggle();
    ASSERT_TRUE(toggle->isChecked());
    // The switch is on: its track, left of the knob, is drawn in the accent.
    const auto track = [&] { return toggle->grab().toImage().pixelColor(6, toggle->height() / 2).rgb(); };
    const auto sliderAccent = [&] {
        const QSlider* slider = window.appearance()->mainOpacity()->slider();
        return slider->palette().color(QPalette::Active, QPalette::Highlight);
    };
    EXPECT_EQ(track(), Studio::tape().rgb());
    EXPECT_EQ(sliderAccent(), Studio::tape());

    window.close();
    const QColor teal(0x30, 0xB0, 0xC7);
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("30B0C7"));
    window.show();
    EXPECT_EQ(track(), teal.rgb()) << "reopened, the switch takes the new accent";
    EXPECT_EQ(sliderAccent(), teal);
    EXPECT_EQ(Studio::tint(window.typeEditor()), teal);

    window.tabs()->setCurrentWidget(window.appearance());
    window.appearance()->swatches().at(1)->click();
    EXPECT_EQ(track(), QColor(0x00, 0x7A, 0xFF).rgb()) << "and follows a change while open";
    EXPECT_EQ(sliderAccent(), QColor(0x00, 0x7A, 0xFF));
}

TEST_F(SettingsTabsTest, CtrlWClosesTheWindowFromAnyTab) {
    SettingsWindow window(store, settings, *updates);
    for (int tab = 0; tab < window.tabs()->count(); ++tab) {
        window.show();
        window.tabs()->setCurrentIndex(tab);
        QKeyEvent other(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
        QApplication::sendEvent(window.tabs()->currentWidget(), &other);
        EXPECT_TRUE(window.isVisible()) << "another key leaves it open";
        QKeyEvent close(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
        QApplication::sendEvent(window.tabs()->currentWidget(), &close);
        EXPECT_FALSE(window.isVisible()) << "tab " << tab;
    }
}

TEST_F(SettingsTabsTest, GeneralTabShowsTheDefaultsAndWritesItsKeys) {
    GeneralSettings tab(settings, *updates, fakeDesktop());
    EXPECT_TRUE(tab.panelToggle()->isChecked());
    EXPECT_EQ(tab.sidePicker()->currentText(), QStringLiteral("屏幕右侧"));
    EXPECT_EQ(tab.archiveLabel()->text(), QStringLiteral("未设置"));
    EXPECT_TRUE(tab.autoCheckToggle()->isChecked());

    tab.panelToggle()->click();
    EXPECT_FALSE(settings.boolean("edgePanelEnabled", true));
    Q_EMIT tab.sidePicker()->activated(0);
    EXPECT_EQ(settings.string("edgePanelSide"), QStringLiteral("left"));
    tab.autoCheckToggle()->click();
    EXPECT_FALSE(settings.boolean(UpdateChecker::autoCheckKey, true));

    settings.setValue("edgePanelSide", QStringLiteral("top"));
    EXPECT_EQ(tab.sidePicker()->currentIndex(), -1) << "a side written elsewhere matches neither choice";
    settings.setValue("edgePanelEnabled", true);
    EXPECT_TRUE(tab.panelToggle()->isChecked());
}

TEST_F(SettingsTabsTest, TheArchiveFolderChangesOnlyWhenOneIsChosen) {
    GeneralSettings tab(settings, *updates, fakeDesktop());
    tab.chooseButton()->click();
    EXPECT_FALSE(settings.contains(ArchiveSettings::directoryKey));
    const QString folder = environment.scratch() + QStringLiteral("/a very long folder name for the archive of tapes");
    nextFolder = folder;
    tab.chooseButton()->click();
    EXPECT_EQ(settings.string(ArchiveSettings::directoryKey), folder);
    EXPECT_EQ(tab.archiveLabel()->text(), folder);
    tab.archiveLabel()->resize(120, 20);
    EXPECT_TRUE(tab.archiveLabel()->shownText().contains(QStringLiteral("…"))) << "shortened, on one line";
    EXPECT_TRUE(tab.archiveLabel()->shownText().endsWith(QStringLiteral("tapes")));
}

TEST_F(SettingsTabsTest, AShortArchiveFolderIsShownWholeInTheOpenTab) {
    GeneralSettings tab(settings, *updates, fakeDesktop());
    tab.resize(520, 460);
    tab.show();
    for (const QString& folder :
         {QStringLiteral("/tmp/r6/archive"), QStringLiteral("/home/me/Music/Archive"), QStringLiteral("/srv/归档")}) {
        nextFolder = folder;
        tab.chooseButton()->click();
        EXPECT_TRUE(waitUntil([&] { return tab.archiveLabel()->shownText() == folder; }, 5000))
            << "room enough, yet shortened: " << folder.toStdString();
    }
}

TEST_F(SettingsTabsTest, RevealingBeforeTheFirstSaveShowsTheMadeDataFolder) {
    GeneralSettings tab(settings, *updates, fakeDesktop());
    ASSERT_FALSE(QFileInfo::exists(DataFolder::filePath()));
    QDir(DataFolder::directory()).removeRecursively();
    tab.revealButton()->click();
    EXPECT_EQ(opened, QStringList({DataFolder::directory()}));
    EXPECT_TRUE(QFileInfo(DataFolder::directory()).isDir());
}

TEST_F(SettingsTabsTest, TheUpdateRowFollowsTheCheckersState) {
    GeneralSettings tab(settings, *updates, fakeDesktop());
    EXPECT_TRUE(tab.statusLabel()->text().isEmpty());
    EXPECT_EQ(tab.updateButton()->text(), QStringLiteral("检查更新"));
    EXPECT_TRUE(tab.updateButton()->isEnabled());

    const QString path = environment.scratch() + QStringLiteral("/slow.json");
    settings.setValue(UpdateChecker::feedURLKey, QUrl::fromLocalFile(path).toString());
    updates->check(false);
    EXPECT_EQ(tab.statusLabel()->text(), QStringLiteral("正在检查…"));
    EXPECT_FALSE(tab.updateButton()->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return updates->state() != UpdateChecker::State::Checking; }, 5000));
    EXPECT_EQ(tab.statusLabel()->text(), QStringLiteral("检查失败"));

    checkFileFeed(R"({"version":"99.1","url":"https://example.org/","notes":[]})");
    EXPECT_EQ(tab.statusLabel()->text(), QStringLiteral("发现新版本 99.1"));
    EXPECT_EQ(tab.updateButton()->text(), QStringLiteral("下载 99.1…"));
    const int shown = prompter->shown;
    tab.updateButton()->click();
    EXPECT_EQ(prompter->shown, shown + 1) << "the button shows the new-release alert again";

    // The version comes from the feed: shown as it is, never as a mnemonic or a second line.
    checkFileFeed(R"({"version":"99.2&b\nc","url":"https://example.org/","notes":[]})");
    EXPECT_EQ(tab.updateButton()->text(), QStringLiteral("下载 99.2&&b c…"));
    EXPECT_EQ(tab.statusLabel()->text(), QStringLiteral("发现新版本 99.2&b c"));

    checkFileFeed(R"({"version":"0.1","url":"https://example.org/","notes":[]})");
    EXPECT_EQ(tab.statusLabel()->text(), QStringLiteral("已是最新"));
    EXPECT_EQ(tab.updateButton()->text(), QStringLiteral("检查更新"));
}

TEST_F(SettingsTabsTest, AppearanceTabStartsAtTheDefaults) {
    AppearanceSettings tab(settings);
    ASSERT_EQ(tab.swatches().size(), 10);
    EXPECT_TRUE(tab.swatches().first()->isSelected());
    for (int i = 1; i < 10; ++i)
        EXPECT_FALSE(tab.swatches().at(i)->isSelected());
    EXPECT_EQ(tab.swatches().at(7)->toolTip(), QStringLiteral("#34C759"));
    EXPECT_EQ(tab.accentWell()->color(), Studio::tape());
    EXPECT_EQ(tab.handleWell()->color(), Studio::tape());
    EXPECT_EQ(tab.tintWell()->color(), Studio::faded(Studio::tape(), 0.15));
    EXPECT_TRUE(tab.handleRevert()->isHidden());
    EXPECT_TRUE(tab.tintRevert()->isHidden());
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("100%"));
    EXPECT_EQ(tab.panelOpacity()->percentLabel()->text(), QStringLiteral("100%"));
    EXPECT_EQ(tab.materialPicker()->currentText(), QStringLiteral("标准"));
}

TEST_F(SettingsTabsTest, AppearanceTabWritesItsKeys) {
    AppearanceSettings tab(settings);
    tab.swatches().at(7)->click();
    EXPECT_EQ(settings.string(AppearanceHost::accentKey), QStringLiteral("34C759"));
    EXPECT_TRUE(tab.swatches().at(7)->isSelected());
    EXPECT_FALSE(tab.swatches().first()->isSelected());
    EXPECT_EQ(tab.handleWell()->color(), QColor(0x34, 0xC7, 0x59)) << "the handle follows the accent while unset";

    tab.accentWell()->pick(QColor(0x12, 0x34, 0xab, 90));
    EXPECT_EQ(settings.string(AppearanceHost::accentKey), QStringLiteral("1234AB"));
    for (const AccentSwatch* swatch : tab.swatches())
        EXPECT_FALSE(swatch->isSelected());
    tab.swatches().first()->click();
    EXPECT_EQ(settings.string(AppearanceHost::accentKey), QString());

    tab.tintWell()->pick(QColor(0x10, 0x20, 0x30, 0x80));
    EXPECT_EQ(settings.string("appearance.panelTint"), QStringLiteral("10203080"));
    EXPECT_FALSE(tab.tintRevert()->isHidden());
    tab.tintRevert()->click();
    EXPECT_EQ(settings.string("appearance.panelTint", "unset"), QString());
    tab.handleWell()->pick(QColor(0xff, 0, 0, 10));
    EXPECT_EQ(settings.string("appearance.handleColor"), QStringLiteral("FF0000"));

    tab.mainOpacity()->slider()->setValue(550);
    EXPECT_DOUBLE_EQ(settings.real(AppearanceHost::mainOpacityKey, 1.0), 0.55);
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("55%"));
    tab.mainOpacity()->slider()->setValue(0);
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("40%"));
    tab.panelOpacity()->slider()->setValue(0);
    EXPECT_DOUBLE_EQ(settings.real(AppearanceHost::panelOpacityKey, 1.0), 0.3);

    Q_EMIT tab.materialPicker()->activated(2);
    EXPECT_EQ(settings.string("appearance.panelMaterial"), QStringLiteral("hud"));
    settings.setValue("appearance.panelMaterial", QStringLiteral("glass"));
    EXPECT_EQ(tab.materialPicker()->currentIndex(), -1);
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("ffcc00"));
    for (const AccentSwatch* swatch : tab.swatches())
        EXPECT_FALSE(swatch->isSelected()) << "the comparison is exact";
}

TEST_F(SettingsTabsTest, HandEditedOpacitiesShowAsTheWindowsApplyThem) {
    AppearanceSettings tab(settings);
    settings.setValue(AppearanceHost::mainOpacityKey, QStringLiteral("abc"));
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("100%"));
    settings.setValue(AppearanceHost::mainOpacityKey, QStringLiteral("nan"));
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("100%"));
    settings.setValue(AppearanceHost::mainOpacityKey, -3.0);
    EXPECT_EQ(tab.mainOpacity()->percentLabel()->text(), QStringLiteral("40%"));
    settings.setValue(AppearanceHost::panelOpacityKey, 7.0);
    EXPECT_EQ(tab.panelOpacity()->percentLabel()->text(), QStringLiteral("100%"));
}

TEST_F(SettingsTabsTest, RestoringTheDefaultsWritesTheSixKeys) {
    AppearanceSettings tab(settings);
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("007AFF"));
    settings.setValue(AppearanceHost::mainOpacityKey, 0.5);
    settings.setValue("appearance.panelTint", QStringLiteral("11223344"));
    settings.setValue("appearance.panelMaterial", QStringLiteral("hud"));
    tab.restoreButton()->click();
    EXPECT_TRUE(settings.contains(AppearanceHost::accentKey));
    EXPECT_EQ(settings.string(AppearanceHost::accentKey, "x"), QString());
    EXPECT_EQ(settings.real(AppearanceHost::mainOpacityKey, 0), 1.0);
    EXPECT_EQ(settings.real(AppearanceHost::panelOpacityKey, 0), 1.0);
    EXPECT_EQ(settings.string("appearance.panelTint", "x"), QString());
    EXPECT_EQ(settings.string("appearance.handleColor", "x"), QString());
    EXPECT_EQ(settings.string("appearance.panelMaterial"), QStringLiteral("popover"));
    EXPECT_TRUE(tab.swatches().first()->isSelected());
}

} // namespace
} // namespace sorvel::test
