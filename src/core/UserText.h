#pragma once

#include <QChar>
#include <QString>

namespace sorvel::UserText {

// Line and paragraph breaks: LF, VT, FF, CR, NEL, LS, PS.
bool isLineBreak(QChar c);
// User-typed text (project and type names) on one line: every break becomes
// a space, so a name never breaks a row or a menu.
QString singleLine(const QString& text);
// For QAction and QMenu titles: one line, tabs as spaces (a tab would start
// the shortcut column), and "&" doubled so it never becomes a mnemonic.
QString menuText(const QString& text);
// Drops leading and trailing tabs and Unicode space separators (U+3000
// included), but never line breaks: that is how typed names are cleaned.
QString trimmed(const QString& text);
// True when nothing but tabs and space separators is left.
bool isBlank(const QString& text);

} // namespace sorvel::UserText
