#pragma once

#include <QList>

class QComboBox;
class QScrollArea;
#include <QStringList>
class QWidget;

namespace sorvel {

class SheetSection;

namespace SettingsForm {

// A tab's scrolling column of sections on the window's background.
QScrollArea* page(const QList<SheetSection*>& sections, QWidget* parent);
// A drop-down choice in the studio look.
QComboBox* choice(const QStringList& titles, QWidget* parent);
// Sets a control's value without it reporting the change as the user's.
template <typename Control, typename Apply>
void quietly(Control* control, Apply apply) {
    const bool blocked = control->blockSignals(true);
    apply(control);
    control->blockSignals(blocked);
}

} // namespace SettingsForm

} // namespace sorvel
