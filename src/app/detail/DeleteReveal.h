#pragma once

#include <QList>
#include <QObject>

class QWidget;

namespace sorvel {

class PointerHover;

// Shows a row's delete button while the pointer is over the row or the
// keyboard is in it, so that Tab along the row reaches the button as the
// pointer finds it. Hidden while it held the keyboard, the button would hand
// it on to the next stop, a field with its text selected; it goes once the
// keyboard has left the row. A row with no other stop stands in for its
// hidden button in the Tab order and hands the keyboard on to it.
class DeleteReveal final : public QObject {
    Q_OBJECT
public:
    // `stops` are the row's other widgets that take the keyboard, in Tab
    // order; the button comes after them.
    DeleteReveal(QWidget* row, PointerHover* hover, QWidget* button, const QList<QWidget*>& stops);

    // Hiding a widget that holds the keyboard hands it on to the next stop:
    // another row's field with its text selected or its delete button, which
    // the next key would act on. A row or table that goes takes the keyboard
    // with it instead.
    static void takeKeyboardAway(QWidget* going);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showButton();
    // Whether the keyboard focus of the window is in the row.
    bool holdsKeyboard() const;

    QWidget* m_row;
    PointerHover* m_hover;
    QWidget* m_button;
    // The stop before the button, or none when the row stands in for it.
    QWidget* m_lastStop;
};

} // namespace sorvel
