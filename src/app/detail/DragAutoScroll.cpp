#include "app/detail/DragAutoScroll.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace sorvel {

namespace {
// A loop that stalled longer scrolls no further for it.
constexpr qint64 longestTickMs = 100;
} // namespace

DragAutoScroll::DragAutoScroll(QWidget* content, int rowPitch)
    : QObject(content), m_content(content), m_rowPitch(rowPitch) {
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &DragAutoScroll::tick);
}

QAbstractScrollArea* DragAutoScroll::pane() const {
    for (QWidget* ancestor = m_content->parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(ancestor);
        if (area && area->viewport()->isAncestorOf(m_content))
            return area;
    }
    return nullptr;
}

void DragAutoScroll::start() {
    if (!pane())
        return;
    m_running = true;
    m_owed = 0;
    m_sinceTick.start();
    m_timer.start();
    takeWheel();
}

void DragAutoScroll::stop() {
    m_running = false;
    m_timer.stop();
    qApp->removeEventFilter(this);
}

void DragAutoScroll::takeWheel() {
    // Installed again, a filter goes to the front.
    if (m_running)
        qApp->installEventFilter(this);
}

qreal DragAutoScroll::speedAt(int y, int top, int bottom) {
    // Past the edge counts as right at it.
    const auto speed = [](int distance) {
        return fastestRowsPerSecond * std::clamp(qreal(edgeBand - distance) / edgeBand, qreal(0), qreal(1));
    };
    if (y < top + edgeBand)
        return -speed(y - top);
    if (y > bottom - edgeBand)
        return speed(bottom - y);
    return 0;
}

void DragAutoScroll::tick() {
    QAbstractScrollArea* area = pane();
    if (!area)
        return;
    const qint64 elapsedMs = std::min(m_sinceTick.restart(), longestTickMs);
    const QWidget* viewport = area->viewport();
    const QPoint pointer = viewport->mapFromGlobal(QCursor::pos());
    const qreal speed =
        pointer.x() < 0 || pointer.x() >= viewport->width() ? 0 : speedAt(pointer.y(), 0, viewport->height() - 1);
    // What is owed in the other direction, or away from the edges, is forgotten.
    if (speed == 0 || (speed < 0) != (m_owed < 0))
        m_owed = 0;
    m_owed += speed * m_rowPitch * qreal(elapsedMs) / 1000;
    const int step = int(m_owed);
    m_owed -= step;
    // The edges of the content are the ends: the pane scrolls no further
    // than to bring them into sight, not on to what lies beyond it.
    const int top = m_content->mapTo(viewport, QPoint(0, 0)).y();
    const int bottom = top + m_content->height();
    if (step < 0)
        scrollBy(std::max(step, std::min(top, 0)));
    else if (step > 0)
        scrollBy(std::min(step, std::max(bottom - viewport->height(), 0)));
}

void DragAutoScroll::scrollBy(int pixels) {
    QAbstractScrollArea* area = pane();
    if (!area || pixels == 0)
        return;
    QScrollBar* bar = area->verticalScrollBar();
    const int before = bar->value();
    bar->setValue(before + pixels);
    if (bar->value() != before)
        Q_EMIT scrolled();
}

bool DragAutoScroll::eventFilter(QObject* watched, QEvent* event) {
    if (!m_running || event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const QAbstractScrollArea* area = pane();
    int pixels = -wheel->pixelDelta().y();
    if (pixels == 0 && area) {
        const qreal notches = wheel->angleDelta().y() / 120.0;
        pixels =
            int(std::lround(-notches * QApplication::wheelScrollLines() * area->verticalScrollBar()->singleStep()));
    }
    scrollBy(pixels);
    // The drag is this widget's own: the wheel scrolls nothing else meanwhile.
    return true;
}

} // namespace sorvel
