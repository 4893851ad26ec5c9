#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

namespace sorvel::StoredText {

// Brings a text field in line with the text the store holds, but only when
// the two differ and the user is not typing in the field (it has no keyboard
// focus): the field's own edits are already stored, and replacing its text
// while it is being typed in would lose characters and move the cursor.
// Returns whether the field's text was replaced.
bool show(QLineEdit* field, const QString& stored);
bool show(QPlainTextEdit* editor, const QString& stored);

} // namespace sorvel::StoredText
