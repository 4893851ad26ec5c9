#pragma once

#include <QWidget>

#include <utility>

namespace sorvel {

// Stores `value` in `field` and tells whether it differed, so a setter
// repaints, re-lays out or signals only on a real change.
template <typename T, typename V>
bool changeValue(T& field, V&& value) {
    if (field == value)
        return false;
    field = std::forward<V>(value);
    return true;
}

// The same for a value that only changes the picture: repaints `widget` on a change.
template <typename T, typename V>
void changeAndRepaint(QWidget* widget, T& field, V&& value) {
    if (changeValue(field, std::forward<V>(value)))
        widget->update();
}

} // namespace sorvel
