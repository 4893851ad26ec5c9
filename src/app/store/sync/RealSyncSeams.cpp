#include "app/store/sync/RealSyncSeams.h"

#include "core/Clock.h"
#include "core/LegacyMigration.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

bool ThreadWorker::runAside(std::function<void()> work, int patienceMs) {
    struct Run {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };
    const auto run = std::make_shared<Run>();
    // Detached: a thread stuck in a syscall must not keep the program from ending.
    std::thread([run, work = std::move(work)] {
        work();
        const std::lock_guard lock(run->mutex);
        run->done = true;
        run->ended.notify_all();
    }).detach();
    std::unique_lock lock(run->mutex);
    return run->ended.wait_for(lock, std::chrono::milliseconds(patienceMs), [&] { return run->done; });
}

namespace {

class DiskCarrier final : public RescueCarrier {
public:
    DiskCarrier(FileSystem& files, const QStringList& paths, const QString& what) : m_carrier(files, paths, what) {}
    int replacing(const Storage::WriteMark& mark) override { return m_carrier.replacing(mark); }
    void replaced(bool durable) override { m_carrier.replaced(durable); }
    void notReplaced() override { m_carrier.notReplaced(); }
    const QStringList& paths() const override { return m_carrier.paths(); }

private:
    RescueCopy::Carrier m_carrier;
};

} // namespace

std::unique_ptr<RescueCarrier> DiskFiles::carryRescues(const QStringList& paths, const QString& what) {
    return std::make_unique<DiskCarrier>(m_files, paths, what);
}

void DiskFiles::migrate(const FolderLock::Waiter& waiter) {
    LegacyMigration::migrateData(m_files, waiter);
}

SyncFiles::RescuesMerged DiskFiles::mergeRescues(const FolderLock::Waiter& waiter) {
    RescuesMerged merged;
    merged.merged = RescueCopy::restoreAll(m_files, waiter, &merged.notWritten, &merged.notCarried);
    return merged;
}

} // namespace sorvel
