#include "app/store/sync/RealSyncSeams.h"

#include "core/Clock.h"
#include "core/LegacyMigration.h"

#include <chrono>

namespace sorvel {

EventLoopClock::EventLoopClock() {
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        QTimer& timer = m_timers.at(i);
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this, i] {
            if (fired)
                fired(SyncTimer(i));
        });
    }
}

qint64 EventLoopClock::steadyMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QDateTime EventLoopClock::wallNow() const {
    return Clock::now();
}

void EventLoopClock::start(SyncTimer timer, int ms) {
    m_timers.at(std::size_t(timer)).start(ms);
}

void EventLoopClock::stop(SyncTimer timer) {
    m_timers.at(std::size_t(timer)).stop();
}

bool EventLoopClock::isActive(SyncTimer timer) const {
    return m_timers.at(std::size_t(timer)).isActive();
}

ThreadWorker::ThreadWorker() {
    QObject::connect(&m_worker, &StorageWorker::waitingChanged, [this] {
        if (waitingChanged)
            waitingChanged();
    });
}

FolderLock::Waiter ThreadWorker::folderWaiter() {
    return [this](const std::function<bool()>& attempt) { return m_worker.waitUntilFree(attempt); };
}

void DiskFiles::prepareStart(const FolderLock::Waiter& waiter) {
    // Before anything is read: the earlier product's data, then what an
    // interrupted write of this program left.
    LegacyMigration::migrateData(waiter);
    Storage::removeStaleDrafts(waiter);
}

SyncFiles::RescuesMerged DiskFiles::mergeRescues(const FolderLock::Waiter& waiter) {
    return {RescueCopy::restoreAll(waiter), 0, {}};
}

} // namespace sorvel
