#include "support/Waiting.h"

#include "studio/AppearanceHost.h"
#include "studio/PanelMaterial.h"
#include "studio/Studio.h"

#include "core/FileSystem.h"
#include "core/Settings.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <limits>

namespace sorvel {
namespace {

using Target = AppearanceHost::Target;

class AppearanceHostTest : public ::testing::Test {
protected:
    test::TestEnvironment environment;
    PosixFileSystem disk;
    Settings settings{disk, environment.configHome() + QStringLiteral("/appearance.conf")};
};

TEST_F(AppearanceHostTest, AccentFallsBackToTapeOrange) {
    EXPECT_EQ(AppearanceHost::accentColor(settings), Studio::tape());
    for (const char* bad : {"", "nonsense", "#12345", "007AFF\n", "GG7AFF"}) {
        settings.setValue(AppearanceHost::accentKey, QString::fromLatin1(bad));
        EXPECT_EQ(AppearanceHost::accentColor(settings), Studio::tape()) << bad;
    }
    settings.setValue(AppearanceHost::accentKey, 12);
    EXPECT_EQ(AppearanceHost::accentColor(settings), Studio::tape());
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("007AFF"));
    EXPECT_EQ(AppearanceHost::accentColor(settings), QColor(0x00, 0x7A, 0xFF));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("#007AFF"));
    EXPECT_EQ(AppearanceHost::accentColor(settings), QColor(0x00, 0x7A, 0xFF));
}

TEST_F(AppearanceHostTest, OpacityIsNeverInvisible) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(AppearanceHost::opacityFor(settings, Target::Main), 1.0);
    const struct {
        QVariant stored;
        double main;
        double panel;
    } cases[] = {
        {0.55, 0.55, 0.55},    {0.0, 0.4, 0.3},
        {-2, 0.4, 0.3},        {0.35, 0.4, 0.35},
        {5, 1.0, 1.0},         {QStringLiteral("abc"), 1.0, 1.0},
        {nan, 1.0, 1.0},       {infinity, 1.0, 1.0},
        {-infinity, 1.0, 1.0}, {QStringLiteral("0.5"), 0.5, 0.5},
        {true, 1.0, 1.0},
    };
    for (const auto& row : cases) {
        settings.setValue(AppearanceHost::mainOpacityKey, row.stored);
        settings.setValue(AppearanceHost::panelOpacityKey, row.stored);
        EXPECT_DOUBLE_EQ(AppearanceHost::opacityFor(settings, Target::Main), row.main)
            << row.stored.toString().toStdString();
        EXPECT_DOUBLE_EQ(AppearanceHost::opacityFor(settings, Target::Panel), row.panel)
            << row.stored.toString().toStdString();
    }
}

TEST_F(AppearanceHostTest, AppliesTintToTheContentAndFollowsChanges) {
    QWidget window;
    auto* child = new QWidget(&window);
    AppearanceHost host(&window, Target::Main, settings);
    EXPECT_EQ(Studio::tint(child), Studio::tape());
    EXPECT_EQ(child->palette().color(QPalette::Highlight), Studio::tape());

    QList<QColor> seen;
    QObject::connect(&host, &AppearanceHost::accentChanged, [&](const QColor& c) { seen.append(c); });
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("34C759"));
    EXPECT_EQ(Studio::tint(child), QColor(0x34, 0xC7, 0x59));
    EXPECT_EQ(child->palette().color(QPalette::Highlight), QColor(0x34, 0xC7, 0x59));
    settings.setValue(AppearanceHost::accentKey, QStringLiteral("bad"));
    EXPECT_EQ(Studio::tint(child), Studio::tape());
    EXPECT_EQ(seen, (QList<QColor>{QColor(0x34, 0xC7, 0x59), Studio::tape()}));
}

TEST_F(AppearanceHostTest, WindowOpacityFollowsItsOwnTargetAfterTheWindowExists) {
    settings.setValue(AppearanceHost::mainOpacityKey, 0.6);
    settings.setValue(AppearanceHost::panelOpacityKey, 0.8);
    QWidget main;
    QWidget panel;
    AppearanceHost mainHost(&main, Target::Main, settings);
    AppearanceHost panelHost(&panel, Target::Panel, settings);
    main.show();
    panel.show();
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(main.windowOpacity() - 0.6) < 0.01; }, 2000));
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(panel.windowOpacity() - 0.8) < 0.01; }, 2000));

    // A change of the other target's key leaves a window alone.
    settings.setValue(AppearanceHost::panelOpacityKey, 0.5);
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(panel.windowOpacity() - 0.5) < 0.01; }, 2000));
    EXPECT_NEAR(main.windowOpacity(), 0.6, 0.01);

    // A stored zero never hides the window; back to 1.0 restores it.
    settings.setValue(AppearanceHost::mainOpacityKey, 0.0);
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(main.windowOpacity() - 0.4) < 0.01; }, 2000));
    settings.setValue(AppearanceHost::mainOpacityKey, 1.0);
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(main.windowOpacity() - 1.0) < 0.01; }, 2000));
    EXPECT_DOUBLE_EQ(mainHost.opacity(), 1.0);
}

TEST_F(AppearanceHostTest, OpacityWaitsForTheWindowToBeCreated) {
    settings.setValue(AppearanceHost::mainOpacityKey, 0.7);
    QWidget window;
    AppearanceHost host(&window, Target::Main, settings);
    ASSERT_TRUE(test::waitForQueuedEvents());
    EXPECT_FALSE(window.testAttribute(Qt::WA_WState_Created));
    window.show();
    EXPECT_TRUE(test::waitUntil([&] { return qAbs(window.windowOpacity() - 0.7) < 0.01; }, 2000));
}

TEST(PanelMaterial, RawTextsTitlesAndOrder) {
    EXPECT_EQ(allPanelMaterials(),
              (QList<PanelMaterial>{PanelMaterial::Popover, PanelMaterial::Sidebar, PanelMaterial::Hud,
                                    PanelMaterial::UnderWindow}));
    QStringList texts;
    QStringList titles;
    for (const PanelMaterial material : allPanelMaterials()) {
        texts << storedText(material);
        titles << title(material);
        EXPECT_EQ(panelMaterialFromText(storedText(material)), material);
    }
    EXPECT_EQ(texts,
              (QStringList{QStringLiteral("popover"), QStringLiteral("sidebar"), QStringLiteral("hud"),
                           QStringLiteral("underWindow")}));
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("标准"), QStringLiteral("侧边栏"), QStringLiteral("深色玻璃"),
                           QStringLiteral("通透")}));
    for (const char* bad : {"Hud", "HUD", "", " hud", "underwindow"})
        EXPECT_FALSE(panelMaterialFromText(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_EQ(panelMaterialOrDefault(QStringLiteral("glass")), PanelMaterial::Popover);
}

TEST(PanelMaterial, EachMaterialIsADistinctTranslucentFill) {
    QSet<QRgb> fills;
    for (const PanelMaterial material : allPanelMaterials()) {
        const QColor fill = PanelMaterials::fill(material);
        EXPECT_LT(fill.alpha(), 255);
        EXPECT_GT(fill.alpha(), 100);
        fills.insert(fill.rgba());
    }
    EXPECT_EQ(fills.size(), 4);
}

} // namespace
} // namespace sorvel
