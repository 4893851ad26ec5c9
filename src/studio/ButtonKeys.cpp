#include "studio/ButtonKeys.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace sorvel::ButtonKeys {

bool press(QAbstractButton& button, const QKeyEvent& event) {
    if (event.modifiers() & ~Qt::KeypadModifier)
        return false;
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)
        return false;
    button.click();
    return true;
}

} // namespace sorvel::ButtonKeys
