#include "core/HexColor.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <limits>

namespace sorvel {
namespace {

TEST(HexColor, ParsesSixAndEightDigits) {
    const HexColor orange{0xFF, 0x7A, 0x3D, 255};
    EXPECT_EQ(HexColor::parse(QStringLiteral("FF7A3D")), orange);
    EXPECT_EQ(HexColor::parse(QStringLiteral("#ff7a3d")), orange);
    EXPECT_EQ(HexColor::parse(QStringLiteral("  #FF7A3D\t")), orange);
    EXPECT_EQ(HexColor::parse(QStringLiteral("#FF7A3D80")), (HexColor{0xFF, 0x7A, 0x3D, 128}));
    EXPECT_EQ(HexColor::parse(QStringLiteral("FF7A3D00")), (HexColor{0xFF, 0x7A, 0x3D, 0}));
    EXPECT_EQ(HexColor::parse(QStringLiteral("0a0B0c")), (HexColor{10, 11, 12, 255}));
}

TEST(HexColor, RejectsEverythingElse) {
    const QStringList bad{
        "",       "#",        "FFF",      "#FFF",    "FF7A3",  "FF7A3D8", "##FF7A3D",     "0xFF7A3D", "0xFF7A",
        "GG7A3D", "FF7A3D\n", "\nFF7A3D", "FF 7A3D", "+F7A3D", "-F7A3D",  "FF7A3D\u00A0", "ＦＦ7A3D", "FF7A3D#",
    };
    for (const QString& text : bad)
        EXPECT_EQ(HexColor::parse(text), std::nullopt) << text.toStdString();
}

TEST(HexColor, TextIsUpperCaseWithAlphaOnlyWhenTranslucent) {
    EXPECT_EQ((HexColor{0xFF, 0x7A, 0x3D, 255}).text(), QStringLiteral("FF7A3D"));
    EXPECT_EQ((HexColor{0, 10, 171, 254}).text(), QStringLiteral("000AABFE"));
    EXPECT_EQ((HexColor{0, 0, 0, 0}).text(), QStringLiteral("00000000"));
    EXPECT_EQ(HexColor::parse(QStringLiteral("#8e8e93"))->text(), QStringLiteral("8E8E93"));
}

TEST(HexColor, FractionsRoundHalfAwayAndClamp) {
    EXPECT_EQ(HexColor::fromFractions(1, 0, 0, 0.5).text(), QStringLiteral("FF000080"));
    EXPECT_EQ(HexColor::fromFractions(0, 0, 0, 0.999).text(), QStringLiteral("000000"));
    EXPECT_EQ(HexColor::fromFractions(0.5 / 255, 1.5 / 255, 0, 1), (HexColor{1, 2, 0, 255}));
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(HexColor::fromFractions(2, -1, nan, infinity), (HexColor{255, 0, 0, 0}));
}

} // namespace
} // namespace sorvel
