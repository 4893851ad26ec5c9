#include "core/UserText.h"

#include <gtest/gtest.h>

namespace sorvel {
namespace {

// Trimming and the "&" escape are covered with their callers (cue list parser,
// shelf menu); these are the break and tab rules the callers do not reach.
TEST(UserText, EveryLineAndParagraphBreakBecomesOneSpace) {
    const QString breaks = QStringLiteral("a\nb\u000Bc\u000Cd\re\u0085f\u2028g\u2029h");
    EXPECT_EQ(UserText::singleLine(breaks), QStringLiteral("a b c d e f g h"));
    EXPECT_EQ(UserText::singleLine(QStringLiteral("\r\n")), QStringLiteral("  "));
    // Tabs and other blanks are not breaks; singleLine keeps them.
    EXPECT_FALSE(UserText::isLineBreak(QLatin1Char('\t')));
    EXPECT_FALSE(UserText::isLineBreak(QChar(0x3000)));
    EXPECT_EQ(UserText::singleLine(QStringLiteral("a\tb\u3000c")), QStringLiteral("a\tb\u3000c"));
}

TEST(UserText, MenuTextHasNoTabToStartTheShortcutColumn) {
    EXPECT_EQ(UserText::menuText(QStringLiteral("Mix\tCtrl+Q")), QStringLiteral("Mix Ctrl+Q"));
    EXPECT_EQ(UserText::menuText(QStringLiteral("A & B\nC\tD")), QStringLiteral("A && B C D"));
}

} // namespace
} // namespace sorvel
