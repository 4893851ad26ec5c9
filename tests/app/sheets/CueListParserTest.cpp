#include "app/sheets/CueListParser.h"
#include "core/UserText.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

TEST(UserText, TrimsTabsAndEverySpaceSeparatorButNoLineBreak) {
    EXPECT_EQ(UserText::trimmed(QStringLiteral(" \t\u3000\u00A0\u2003Mix\u3000 ")), QStringLiteral("Mix"));
    EXPECT_EQ(UserText::trimmed(QStringLiteral("\nMix\n")), QStringLiteral("\nMix\n"));
    EXPECT_EQ(UserText::trimmed(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_TRUE(UserText::isBlank(QStringLiteral("\u3000\t \u202F")));
    EXPECT_FALSE(UserText::isBlank(QStringLiteral("\n")));
    EXPECT_TRUE(UserText::isBlank(QString()));
}

TEST(CueListParser, SplitsAtEveryLineBreakAndDropsBlankLines) {
    EXPECT_EQ(CueListParser::titles(QStringLiteral("A\n\n  B  \r\nC\n")),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(CueListParser::titles(QStringLiteral("one\u2028two\u2029three\u0085four\vfive\fsix\rseven")),
              (QStringList{"one", "two", "three", "four", "five", "six", "seven"}));
    EXPECT_EQ(CueListParser::titles(QStringLiteral("\u3000\u3000\n\t\n   ")), QStringList());
    EXPECT_EQ(CueListParser::titles(QString()), QStringList());
    EXPECT_EQ(CueListParser::titles(QStringLiteral("  Main Title  ")), QStringList{QStringLiteral("Main Title")});
}

} // namespace
} // namespace sorvel
