#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>

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

// Runs the event loop until every event posted so far has been handled (a
// call queued now runs after them): what they were to cause has happened.
inline bool waitForQueuedEvents(int milliseconds = 5000) {
    const auto reached = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
    return waitUntil([&] { return *reached; }, milliseconds);
}

} // namespace sorvel::test
