#pragma once

#include <QString>

namespace sorvel::UserText {

// User-typed text (project and type names) on one line: every line or
// paragraph break becomes a space, so a name never breaks a row or a menu.
QString singleLine(const QString& text);
// For QAction and QMenu titles: one line, and "&" doubled so it shows as
// written instead of turning the next letter into a mnemonic.
QString menuText(const QString& text);

} // namespace sorvel::UserText
