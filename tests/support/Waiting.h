#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

namespace sorvel::test {

// Runs the event loop until `condition` holds or `milliseconds` pass.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return condition();
}

// Runs the event loop for `milliseconds`.
inline void spin(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

} // namespace sorvel::test
