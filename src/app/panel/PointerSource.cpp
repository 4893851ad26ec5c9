#include "app/panel/PointerSource.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>

namespace sorvel {

CursorPointerSource::CursorPointerSource(QObject* parent) : PointerSource(parent) {
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &CursorPointerSource::poll);
}

QPointF CursorPointerSource::position() const {
    return QCursor::pos();
}

void CursorPointerSource::setTracking(bool on) {
    if (on == m_tracking)
        return;
    m_tracking = on;
    if (on) {
        m_last = QCursor::pos();
        m_poll.start();
        qApp->installEventFilter(this);
    } else {
        m_poll.stop();
        qApp->removeEventFilter(this);
    }
}

void CursorPointerSource::poll() {
    const QPoint now = QCursor::pos();
    if (now == m_last)
        return;
    m_last = now;
    Q_EMIT moved();
}

bool CursorPointerSource::eventFilter(QObject* watched, QEvent* event) {
    // The application's own moves arrive at once instead of at the next poll.
    if (event->type() == QEvent::MouseMove && watched->isWidgetType())
        poll();
    return false;
}

} // namespace sorvel
