#include "studio/Studio.h"

#include "core/ProjectType.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace sorvel {
namespace {

TEST(StudioPalette, ColoursAreTheirHexTexts) {
    const std::pair<const QColor&, const char*> expected[] = {
        {Studio::bg0(), "202024"},   {Studio::bg1(), "29292E"},      {Studio::bg2(), "34343A"},
        {Studio::bg3(), "414148"},   {Studio::line(), "4B4B53"},     {Studio::text(), "F4F1EB"},
        {Studio::text2(), "C2BFB8"}, {Studio::text3(), "8E8D93"},    {Studio::well(), "18181B"},
        {Studio::label(), "F1E6CF"}, {Studio::labelInk(), "2B2420"}, {Studio::labelLine(), "D3C4A2"},
        {Studio::tape(), "FF7A3D"},
    };
    for (const auto& [color, hex] : expected) {
        EXPECT_EQ(Studio::hexString(color), QString::fromLatin1(hex));
        EXPECT_EQ(color.alpha(), 255) << hex;
    }
    // Built once: the same object every time.
    EXPECT_EQ(&Studio::tape(), &Studio::tape());
}

TEST(StudioPalette, HexRoundTripsThroughQColor) {
    for (const char* hex : {"FF7A3D", "000000", "FFFFFF", "007AFF", "FF7A3D80", "12345600", "ABCDEF01"}) {
        const auto color = Studio::color(QString::fromLatin1(hex));
        ASSERT_TRUE(color.has_value()) << hex;
        EXPECT_EQ(Studio::hexString(*color), QString::fromLatin1(hex));
    }
    // Accepted spellings all give the same colour.
    const QColor orange(0xFF, 0x7A, 0x3D);
    EXPECT_EQ(Studio::color(QStringLiteral("#ff7a3d")), orange);
    EXPECT_EQ(Studio::color(QStringLiteral("  #FF7A3D\t")), orange);
    EXPECT_EQ(Studio::color(QStringLiteral("#FF7A3D80"))->alpha(), 128);
    EXPECT_EQ(Studio::color(QStringLiteral("FF7A3D00"))->alpha(), 0);
}

TEST(StudioPalette, RejectsTextsThatAreNoColour) {
    for (const char* text : {"", "#", "FFF", "#FFF", "FF7A3", "FF7A3D8", "##FF7A3D", "0xFF7A3D", "GG7A3D"})
        EXPECT_FALSE(Studio::color(QString::fromLatin1(text)).has_value()) << text;
    EXPECT_FALSE(Studio::color(QStringLiteral("FF7A3D\n")).has_value());
    EXPECT_EQ(Studio::color(QStringLiteral("nonsense"), Studio::tape()), Studio::tape());
}

TEST(StudioPalette, HexStringRoundsAlphaAndFallsBackForInvalidColours) {
    QColor half(0xFF, 0x7A, 0x3D);
    half.setAlphaF(0.5f);
    EXPECT_TRUE(Studio::hexString(half).endsWith(QStringLiteral("80")));
    QColor nearlyOpaque(0xFF, 0x7A, 0x3D);
    nearlyOpaque.setAlphaF(0.999f);
    EXPECT_EQ(Studio::hexString(nearlyOpaque), QStringLiteral("FF7A3D"));
    EXPECT_EQ(Studio::hexString(QColor()), QStringLiteral("8E8E93"));
    // Other colour models are converted to sRGB first.
    EXPECT_EQ(Studio::hexString(QColor::fromHsv(0, 255, 255)), QStringLiteral("FF0000"));
}

TEST(StudioPalette, TypeColourFallsBackToSystemGrey) {
    ProjectType kind{QUuid::createUuid(), QStringLiteral("Test"), QStringLiteral("tag"), QStringLiteral("34C759")};
    EXPECT_EQ(Studio::typeColor(kind), QColor(0x34, 0xC7, 0x59));
    kind.colorHex = QStringLiteral("not a colour");
    EXPECT_EQ(Studio::typeColor(kind), Studio::systemGray());
    EXPECT_EQ(Studio::hexString(Studio::systemGray()), QStringLiteral("8E8E93"));
}

TEST(StudioPalette, TintComesFromTheNearestHostElseTheHighlight) {
    QWidget window;
    auto* child = new QWidget(&window);
    auto* grandchild = new QWidget(child);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
    window.setPalette(palette);
    EXPECT_EQ(Studio::tint(grandchild), QColor(1, 2, 3));
    window.setProperty(Studio::tintProperty(), QColor(0x00, 0x7A, 0xFF));
    EXPECT_EQ(Studio::tint(grandchild), QColor(0x00, 0x7A, 0xFF));
    child->setProperty(Studio::tintProperty(), QColor(0x34, 0xC7, 0x59));
    EXPECT_EQ(Studio::tint(grandchild), QColor(0x34, 0xC7, 0x59));
    EXPECT_EQ(Studio::tint(nullptr), Studio::tape());
}

TEST(StudioPalette, FadedMultipliesOpacityAndClamps) {
    EXPECT_EQ(Studio::faded(Studio::text3(), 0.6).alpha(), 153);
    EXPECT_EQ(Studio::faded(Studio::text3(), 2).alpha(), 255);
    EXPECT_EQ(Studio::faded(Studio::text3(), std::nan("")).alpha(), 0);
}

} // namespace
} // namespace sorvel
