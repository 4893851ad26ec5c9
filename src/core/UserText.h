#pragma once

#include <QChar>
#include <QString>

namespace sorvel::UserText {

// Line and paragraph breaks: LF, VT, FF, CR, NEL, LS, PS.
bool isLineBreak(QChar c);
// Longest stretch of a user's text that one line lays out; the rest is cut
// with "…" long before any row, card or menu could show it.
constexpr qsizetype maxDisplayLength = 1000;
// User-typed text (names, titles, labels) for any one-line display: every
// break and tab becomes a space, the text is cut at maxDisplayLength, and its
// direction is kept to itself: embedding, override and isolate controls inside
// are dropped, and text holding right-to-left letters is wrapped in an isolate
// (U+2068 … U+2069), so nothing in a name reorders the text around it. Only the
// shown text changes, never the stored one.
QString singleLine(const QString& text);
// The text with every break and tab made a space and nothing else changed:
// a name where one line must hold it whole, as a file name or a heading.
QString oneLine(const QString& text);
// For QAction and QMenu titles: singleLine, with "&" doubled so it never
// becomes a mnemonic.
QString menuText(const QString& text);
// Drops leading and trailing tabs and Unicode space separators (U+3000
// included), but never line breaks: that is how typed names are cleaned.
QString trimmed(const QString& text);
// True when nothing but tabs and space separators is left.
bool isBlank(const QString& text);

} // namespace sorvel::UserText
