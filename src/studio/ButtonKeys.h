#pragma once

class QAbstractButton;
class QKeyEvent;

namespace sorvel::ButtonKeys {

// Return and Enter press a focused button as Space does: a button reached
// with Tab answers to either. Tells whether the key was taken.
bool press(QAbstractButton& button, const QKeyEvent& event);

} // namespace sorvel::ButtonKeys
