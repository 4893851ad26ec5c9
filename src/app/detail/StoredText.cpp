#include "app/detail/StoredText.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace sorvel::StoredText {

bool show(QLineEdit* field, const QString& stored) {
    if (field->hasFocus() || field->text() == stored)
        return false;
    field->setText(stored);
    field->setCursorPosition(0); // a long text shows its start, not its end
    return true;
}

bool show(QPlainTextEdit* editor, const QString& stored) {
    if (editor->hasFocus() || editor->toPlainText() == stored)
        return false;
    editor->setPlainText(stored);
    return true;
}

} // namespace sorvel::StoredText
