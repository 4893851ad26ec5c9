#pragma once

#include <QString>

namespace sorvel::TypedText {

// Drops leading and trailing tabs and Unicode space separators (U+3000 included),
// but never line breaks: that is how typed names and lines are cleaned.
QString trimmed(const QString& text);

// True when nothing but tabs and space separators is left.
bool isBlank(const QString& text);

} // namespace sorvel::TypedText
