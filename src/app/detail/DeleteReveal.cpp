#include "app/detail/DeleteReveal.h"

#include "studio/PointerHover.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

namespace sorvel {

DeleteReveal::DeleteReveal(QWidget* row, PointerHover* hover, QWidget* button, const QList<QWidget*>& stops)
    : m_row(row), m_hover(hover), m_button(button), m_lastStop(stops.isEmpty() ? nullptr : stops.back()) {
    for (QWidget* stop : stops)
        stop->installEventFilter(this);
    button->installEventFilter(this);
    if (!m_lastStop)
        row->installEventFilter(this);
    connect(hover, &PointerHover::hoveringChanged, this, &DeleteReveal::showButton);
    showButton();
}

void DeleteReveal::takeKeyboardAway(QWidget* going) {
    if (QWidget* focused = QApplication::focusWidget(); focused && going->isAncestorOf(focused))
        focused->clearFocus();
}

bool DeleteReveal::holdsKeyboard() const {
    const QWidget* focused = m_row->window()->focusWidget();
    return focused && (focused == m_row || m_row->isAncestorOf(focused));
}

void DeleteReveal::showButton() {
    m_button->setVisible(m_hover->isHovering() || holdsKeyboard());
    // A hidden button is no Tab stop; the row takes its place until it shows.
    if (!m_lastStop)
        m_row->setFocusPolicy(m_button->isHidden() ? Qt::TabFocus : Qt::NoFocus);
}

bool DeleteReveal::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    // Shift+Tab from below comes to the row's last stop first, before the
    // button, hidden until then, that ends the row.
    const bool comesToButton = event->type() == QEvent::FocusIn
        && (watched == m_row || (watched == m_lastStop && reason == Qt::BacktabFocusReason && m_button->isHidden()));
    showButton();
    if (comesToButton) {
        m_button->setFocus(reason);
        return true;
    }
    return false;
}

} // namespace sorvel
