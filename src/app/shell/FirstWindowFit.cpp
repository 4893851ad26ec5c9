#include "app/shell/FirstWindowFit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace sorvel {

namespace {

// The start of a span of `length` moved inside [first, first + room), or to `first` where it is longer.
int inside(int start, int length, int first, int room) {
    return std::max(first, std::min(start, first + room - length));
}

} // namespace

FirstWindowFit::FirstWindowFit(QWidget& window) : QObject(&window), m_window(window) {
    window.installEventFilter(this);
}

void FirstWindowFit::apply(QWidget& window) {
    // Not on screen yet: the frame is not known, and only a size that is too
    // large is changed, so the window manager places a window that fits.
    const QRect first = fittedOnScreen(window, QMargins());
    if (first.size() != window.size()) {
        window.resize(first.size());
        // A place of the frame, which the window manager adds around the window.
        window.move(first.topLeft());
    }
    new FirstWindowFit(window);
}

QRect FirstWindowFit::fitted(const QRect& geometry, const QMargins& margins, const QSize& minimum,
                             const QRect& available) {
    QRect frame = geometry.marginsAdded(margins);
    if (available.contains(frame))
        return geometry;
    const QSize room = available.size().shrunkBy(margins);
    frame.setSize(geometry.size().boundedTo(room).expandedTo(minimum).grownBy(margins));
    frame.moveTo(inside(frame.left(), frame.width(), available.left(), available.width()),
                 inside(frame.top(), frame.height(), available.top(), available.height()));
    return frame.marginsRemoved(margins);
}

QRect FirstWindowFit::fittedOnScreen(const QWidget& window, const QMargins& margins) {
    const QScreen* screen = window.screen();
    if (!screen)
        return window.geometry();
    return fitted(window.geometry(), margins, window.minimumSize(), screen->availableGeometry());
}

bool FirstWindowFit::eventFilter(QObject* watched, QEvent* event) {
    const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (watched == &m_window && placed && m_window.isVisible() && m_window.windowHandle()) {
        const QMargins frame = m_window.windowHandle()->frameMargins();
        if (!frame.isNull()) {
            // Framed now: once is enough, later moves are the user's.
            m_window.removeEventFilter(this);
            deleteLater();
            const QRect fitted = fittedOnScreen(m_window, frame);
            if (fitted != m_window.geometry())
                m_window.setGeometry(fitted);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sorvel
