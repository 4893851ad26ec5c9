#include "studio/ModalFocusRelay.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace sorvel {

ModalFocusRelay::ModalFocusRelay(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
}

QWidget* ModalFocusRelay::blockingModal(const QWidget* window) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == window)
        return nullptr;
    if (modal->windowModality() == Qt::ApplicationModal)
        return modal;
    for (const QWidget* up = modal->parentWidget(); up; up = up->parentWidget()) {
        if (up->window() == window)
            return modal;
    }
    return nullptr;
}

bool ModalFocusRelay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::ActivationChange && m_window->isActiveWindow()) {
        // Deferred: the window manager is still in the middle of its own focus change.
        QTimer::singleShot(0, this, &ModalFocusRelay::relay);
    }
    return QObject::eventFilter(watched, event);
}

void ModalFocusRelay::relay() {
    if (!m_window->isActiveWindow())
        return;
    if (QWidget* modal = blockingModal(m_window)) {
        modal->raise();
        modal->activateWindow();
        Q_EMIT handedOver(modal);
    }
}

} // namespace sorvel
