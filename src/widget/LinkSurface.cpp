#include "widget/LinkSurface.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

namespace sorvel {

LinkSurface::LinkSurface(QWidget* parent)
    : QWidget(parent) {}

LinkSurface::SystemMove& LinkSurface::systemMove() {
    static SystemMove move = [](QWindow* window) { return window->startSystemMove(); };
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
    m_windowStart = window()->pos();
    event->accept();
}

void LinkSurface::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->globalPosition().toPoint() - m_pressAt;
    if (!m_dragging && moved.manhattanLength() < QApplication::startDragDistance())
        return;
    // The grab point stays under the pointer from the first movement on.
    window()->move(m_windowStart + moved);
    if (!m_dragging) {
        m_dragging = true;
        // The window manager moves the window itself where it can, from where
        // it is now; the rest of the drag then never reaches this widget.
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
