#include "studio/PointerHover.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QRect>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

namespace sorvel {

PointerHover::PointerHover(QWidget* target) : QObject(target), m_target(target) {
    target->setAttribute(Qt::WA_Hover);
    target->installEventFilter(this);
    followAncestors();
}

namespace {

// The part of `widget` its ancestors leave on screen, in its window's coordinates.
QRect shownRect(const QWidget* widget) {
    const QWidget* window = widget->window();
    QRect shown(widget->mapTo(window, QPoint()), widget->size());
    for (const QWidget* ancestor = widget->parentWidget(); ancestor && !shown.isEmpty();
         ancestor = ancestor->parentWidget()) {
        shown &= QRect(ancestor->mapTo(window, QPoint()), ancestor->size());
        if (ancestor == window)
            break;
    }
    return shown;
}

bool isWindow(const QObject* object) {
    if (object->isWindowType())
        return true;
    return object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow();
}

} // namespace

void PointerHover::recheck() {
    recheckAt(QCursor::pos());
}

void PointerHover::recheckAt(const QPoint& pointer) {
    // What is on screen, not the whole rectangle: a row half scrolled out of
    // its pane is not hovered from the part that cannot be seen. A row off
    // screen does not even ask where the pointer is, so that a scroll costs
    // what is on screen, not what the pane holds.
    const QRect shown = m_target->isVisible() ? shownRect(m_target) : QRect();
    bool over = !shown.isEmpty() && shown.contains(m_target->window()->mapFromGlobal(pointer));
    // Another window of the program in front of it there (a popup, the edge
    // panel) has the pointer instead.
    if (over) {
        const QWidget* front = QApplication::topLevelAt(pointer);
        over = !front || front == m_target->window();
    }
    setHovering(over);
}

void PointerHover::recheckSoon() {
    if (m_recheckQueued)
        return;
    m_recheckQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_recheckQueued = false;
            recheck();
        },
        Qt::QueuedConnection);
}

std::optional<QPoint> PointerHover::pointerOn(const QWidget* surface) {
    const QPoint pointer = QCursor::pos();
    if (!surface->isVisible() || QApplication::widgetAt(pointer) != surface)
        return std::nullopt;
    return surface->mapFromGlobal(pointer);
}

bool PointerHover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::Enter: setHovering(true); break;
        case QEvent::Leave:
        case QEvent::Move:
        case QEvent::Hide: recheck(); break;
        // A row is often made before its pane is put into a scroll area.
        case QEvent::Show:
        case QEvent::ParentChange: followAncestors(); break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Move:
        if (isAncestor(watched))
            recheck();
        break;
    case QEvent::ParentChange:
        if (isAncestor(watched))
            followAncestors();
        break;
    // Only heard while hovered, from the whole program: the pointer entered
    // or left something else. After a scroll the window system sends the
    // leave to the widget it last saw the pointer in, which may be a
    // neighbour of this one, or only to the window.
    case QEvent::Enter:
    case QEvent::Leave:
        if (!isWithinTarget(watched))
            recheckSoon();
        break;
    // A popup that closes (a click outside, Escape) hands the pointer back
    // without a leave for what lay under it.
    case QEvent::Hide:
    case QEvent::Close:
        if (isWindow(watched))
            recheckSoon();
        break;
    // An open popup holds the pointer: nothing else hears it move.
    case QEvent::MouseMove:
        if (QApplication::activePopupWidget())
            recheckAt(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

bool PointerHover::isAncestor(const QObject* object) const {
    return object->isWidgetType() && static_cast<const QWidget*>(object)->isAncestorOf(m_target);
}

bool PointerHover::isWithinTarget(const QObject* object) const {
    return object->isWidgetType() && m_target->isAncestorOf(static_cast<const QWidget*>(object));
}

void PointerHover::followAncestors() {
    for (QWidget* ancestor = m_target->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        // A window that moves is left and entered as the window system sees it.
        if (!ancestor->isWindow())
            ancestor->installEventFilter(this);
        auto* area = qobject_cast<QAbstractScrollArea*>(ancestor);
        if (!area)
            continue;
        for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()})
            connect(bar, &QAbstractSlider::valueChanged, this, &PointerHover::recheck, Qt::UniqueConnection);
    }
}

void PointerHover::setHovering(bool hovering) {
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;
    // While hovered, anything in the program may take the pointer away
    // without telling this widget; a widget not hovered has nothing to lose.
    if (hovering)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    Q_EMIT hoveringChanged(hovering);
}

} // namespace sorvel
