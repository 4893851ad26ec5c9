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
    // Tabs are not breaks, but one line shows them as spaces too; other blanks stay.
    EXPECT_FALSE(UserText::isLineBreak(QLatin1Char('\t')));
    EXPECT_FALSE(UserText::isLineBreak(QChar(0x3000)));
    EXPECT_EQ(UserText::singleLine(QStringLiteral("a\tb\u3000c")), QStringLiteral("a b\u3000c"));
}

TEST(UserText, ANameWithABreakAndAnOverrideShowsOnOneLineInOrder) {
    // "…evil.exe" must not read "exe.live…": the override is dropped, the rest stays in typed order.
    const QString name = QStringLiteral("Mix\nnotes \u202Eexe.live");
    EXPECT_EQ(UserText::singleLine(name), QStringLiteral("Mix notes exe.live"));
    // Every embedding, override and isolate control goes, so a stray closing one
    // cannot end the isolate around a right-to-left name early.
    EXPECT_EQ(UserText::singleLine(QStringLiteral("a\u202Ab\u202Bc\u202Cd\u202De\u2066f\u2067g\u2068h\u2069i")),
              QStringLiteral("abcdefghi"));
}

TEST(UserText, RightToLeftTextIsIsolatedFromWhatSurroundsIt) {
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD 1");
    EXPECT_EQ(UserText::singleLine(hebrew), QChar(0x2068) + hebrew + QChar(0x2069));
    // A stray isolate end inside cannot close the outer isolate.
    EXPECT_EQ(UserText::singleLine(QStringLiteral("\u05E9\u2069x")), QStringLiteral("\u2068\u05E9x\u2069"));
    // Right-to-left letters beyond the first plane count too (Adlam, U+1E900).
    EXPECT_TRUE(UserText::singleLine(QString::fromUcs4(U"a\U0001E900")).startsWith(QChar(0x2068)));
    // Latin and CJK names are shown exactly as typed.
    EXPECT_EQ(UserText::singleLine(QStringLiteral("Farming 春季配乐 (2)")), QStringLiteral("Farming 春季配乐 (2)"));
}

TEST(UserText, LongTextIsCutBeforeLayoutAndNeverMidCharacter) {
    const QString huge(10 * 1024 * 1024, QLatin1Char('x'));
    const QString shown = UserText::singleLine(huge);
    EXPECT_EQ(shown.size(), UserText::maxDisplayLength + 1);
    EXPECT_EQ(shown.back(), QChar(0x2026));
    // A pair that the cut would split is left out whole.
    QString paired(UserText::maxDisplayLength - 1, QLatin1Char('y'));
    paired += QString::fromUcs4(U"\U0001F3B5\U0001F3B5");
    const QString cut = UserText::singleLine(paired);
    EXPECT_EQ(cut, QString(UserText::maxDisplayLength - 1, QLatin1Char('y')) + QChar(0x2026));
    EXPECT_EQ(UserText::singleLine(QString(UserText::maxDisplayLength, QLatin1Char('z'))).size(),
              UserText::maxDisplayLength);
}

TEST(UserText, MenuTextHasNoTabToStartTheShortcutColumn) {
    EXPECT_EQ(UserText::menuText(QStringLiteral("Mix\tCtrl+Q")), QStringLiteral("Mix Ctrl+Q"));
    EXPECT_EQ(UserText::menuText(QStringLiteral("A & B\nC\tD")), QStringLiteral("A && B C D"));
}

} // namespace
} // namespace sorvel
