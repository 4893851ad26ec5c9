#include "studio/PointerHover.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QRect>
#include <QScrollBar>
#include <QWidget>

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

} // namespace

void PointerHover::recheck() {
    // What is on screen, not the whole rectangle: a row half scrolled out of
    // its pane is not hovered from the part that cannot be seen. A row off
    // screen does not even ask where the pointer is, so that a scroll costs
    // what is on screen, not what the pane holds.
    const QRect shown = m_target->isVisible() ? shownRect(m_target) : QRect();
    setHovering(!shown.isEmpty() && shown.contains(m_target->window()->mapFromGlobal(QCursor::pos())));
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
    } else if (event->type() == QEvent::Move) {
        recheck();
    } else if (event->type() == QEvent::ParentChange) {
        followAncestors();
    }
    return QObject::eventFilter(watched, event);
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
    Q_EMIT hoveringChanged(hovering);
}

} // namespace sorvel
