#include "widget/LinkSurface.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

namespace sorvel {

LinkSurface::LinkSurface(QWidget* parent) : QWidget(parent) {}

LinkSurface::SystemMove& LinkSurface::systemMove() {
    // Only where a window cannot place itself (Wayland). An X11 window manager
    // starts its move from the window's place before the first movement, so
    // the widget would trail the pointer by that movement; there the widget
    // follows the pointer itself.
    static SystemMove move = [](QWindow* window) {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && window->startSystemMove();
    };
    return move;
}

void LinkSurface::setLink(const QUrl& link) {
    m_link = link;
}

void LinkSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressAt = event->globalPosition().toPoint();
    // Where the window really is, as the window system tells it in this press
    // (the pointer on the screen and in the window): the toolkit may still
    // hold a place the window passed while it was being mapped (0,0).
    QWidget* top = window();
    const QPoint frameOffset = top->geometry().topLeft() - top->frameGeometry().topLeft();
    m_windowStart = m_pressAt - mapTo(top, event->position().toPoint()) - frameOffset;
    event->accept();
}

void LinkSurface::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->globalPosition().toPoint() - m_pressAt;
    if (!m_dragging && moved.manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_dragging)
        Q_EMIT windowDragged();
    // The grab point stays under the pointer from the first movement on.
    window()->move(m_windowStart + moved);
    if (!m_dragging) {
        m_dragging = true;
        // Handed over, the rest of the drag never reaches this widget.
        if (QWindow* handle = window()->windowHandle(); handle && systemMove()(handle))
            m_pressed = false;
    }
}

void LinkSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    const bool tapped = !m_dragging && rect().contains(event->position().toPoint());
    m_pressed = false;
    m_dragging = false;
    if (tapped && m_link.isValid())
        Q_EMIT linkActivated(m_link);
}

} // namespace sorvel
