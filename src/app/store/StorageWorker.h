#pragma once

#include "core/Library.h"

#include <QObject>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace sorvel {

// Runs the store's reads and writes of the data file one at a time on a thread
// of its own, so that the window never waits on the disk. A job runs on the
// worker thread and returns what is to be done with its result, which then runs
// on the owner's thread, from its event loop or from finish().
class StorageWorker final : public QObject {
    Q_OBJECT
public:
    using Delivery = std::function<void()>;
    using Job = std::function<Delivery()>;

    explicit StorageWorker(QObject* parent = nullptr);
    // Waits for a running job; its delivery is dropped.
    ~StorageWorker() override;
    StorageWorker(const StorageWorker&) = delete;
    StorageWorker& operator=(const StorageWorker&) = delete;

    // From a job's start until its delivery has begun.
    bool isBusy() const { return m_busy; }
    // Starts a job; never while busy (never two jobs at once).
    void start(Job job);
    // Waits until the running job is done and runs its delivery now.
    void finish();
    // Lets go of a library on the worker thread: the last reference to a large
    // library frees thousands of records, which the window's thread need not wait for.
    void discard(Library library);

private:
    void run();
    void deliver();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Job> m_job;
    std::optional<Delivery> m_done;
    QList<Library> m_discarded;
    bool m_stopping = false;
    bool m_busy = false;
    std::thread m_thread;
};

} // namespace sorvel
