#include "app/store/StorageWorker.h"

#include <QMetaObject>

namespace sorvel {

StorageWorker::StorageWorker(QObject* parent) : QObject(parent), m_thread([this] { run(); }) {}

StorageWorker::~StorageWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void StorageWorker::start(Job job) {
    Q_ASSERT(!m_busy);
    m_busy = true;
    {
        const std::lock_guard lock(m_mutex);
        m_job = std::move(job);
    }
    m_changed.notify_all();
}

void StorageWorker::finish() {
    if (!m_busy)
        return;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done.has_value(); });
    }
    deliver();
}

void StorageWorker::discard(Library library) {
    {
        const std::lock_guard lock(m_mutex);
        m_discarded.append(std::move(library));
    }
    m_changed.notify_all();
}

void StorageWorker::run() {
    for (;;) {
        Job job;
        QList<Library> discarded;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_job.has_value() || !m_discarded.isEmpty(); });
            if (m_stopping)
                return;
            discarded.swap(m_discarded);
            if (!m_job)
                continue;  // only the discarded libraries to free, at the end of this turn
            job = std::move(*m_job);
            m_job.reset();
        }
        Delivery delivery = job();
        {
            const std::lock_guard lock(m_mutex);
            m_done = std::move(delivery);
        }
        m_changed.notify_all();
        // Dropped when this object is gone by the time the event loop gets to it.
        QMetaObject::invokeMethod(this, &StorageWorker::deliver, Qt::QueuedConnection);
    }
}

void StorageWorker::deliver() {
    Delivery delivery;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_done)
            return;  // finish() delivered it already
        delivery = std::move(*m_done);
        m_done.reset();
    }
    m_busy = false;
    if (delivery)
        delivery();
}

} // namespace sorvel
