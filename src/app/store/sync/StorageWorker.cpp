#include "app/store/sync/StorageWorker.h"

#include "core/RecordCoding.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>

#include <malloc.h>

namespace sorvel {

namespace {

qint64 nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

StorageWorker::StorageWorker(QObject* parent, int keepParserMs) : QObject(parent), m_state(std::make_shared<State>()) {
    m_state->owner = this;
    m_state->keepParserMs = keepParserMs;
    m_thread = std::thread([state = m_state] { run(state); });
}

StorageWorker::~StorageWorker() {
    std::unique_lock lock(m_state->mutex);
    m_state->stopping = true;
    m_state->owner = nullptr;
    m_state->changed.notify_all();
    // A job waiting for the folder gives up at once; one stuck in the disk (a
    // hung network file system) is left to end on its own, once it has had
    // stopWaitMs since it started, however long it was waited for before.
    const qint64 since = m_state->jobSinceMs.load();
    const qint64 waitMs = since < 0 ? stopWaitMs : std::max<qint64>(leaveWaitMs, since + stopWaitMs - nowMs());
    if (m_state->changed.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_state->exited; })) {
        lock.unlock();
        m_thread.join();
    } else {
        lock.unlock();
        m_thread.detach();
    }
}

void StorageWorker::start(Job job) {
    Q_ASSERT(!m_busy);
    m_busy = true;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->job = std::move(job);
    }
    m_state->changed.notify_all();
}

bool StorageWorker::finish(int folderPatienceMs, int patienceMs) {
    if (!m_busy)
        return true;
    const qint64 started = nowMs();
    {
        std::unique_lock lock(m_state->mutex);
        while (!m_state->done.has_value()) {
            const qint64 now = nowMs();
            const qint64 waitingSince = m_state->waitingSinceMs.load();
            if (folderPatienceMs >= 0 && waitingSince >= 0 && now - std::max(waitingSince, started) >= folderPatienceMs)
                return false;
            if (patienceMs >= 0 && now - started >= patienceMs)
                return false;
            m_state->changed.wait_for(lock, std::chrono::milliseconds(pollIntervalMs));
        }
    }
    deliver();
    return true;
}

void StorageWorker::discard(Library library) {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->discarded.append(std::move(library));
    }
    m_state->changed.notify_all();
}

bool StorageWorker::waitUntilFree(const std::function<bool()>& attempt) {
    const std::shared_ptr<State> state = m_state;
    qint64 since = -1;
    bool noticed = false;
    bool free = false;
    for (;;) {
        if (attempt()) {
            free = true;
            break;
        }
        if (since < 0) {
            since = nowMs();
            state->waitingSinceMs = since;
        }
        if (!noticed && nowMs() - since >= noticeAfterMs) {
            noticed = true;
            post(*state, [](StorageWorker& owner) { owner.setWaitingNoticed(true); });
        }
        std::unique_lock lock(state->mutex);
        if (state->changed.wait_for(lock, std::chrono::milliseconds(pollIntervalMs), [&] { return state->stopping; }))
            break;
    }
    state->waitingSinceMs = -1;
    if (noticed)
        post(*state, [](StorageWorker& owner) { owner.setWaitingNoticed(false); });
    return free;
}

void StorageWorker::setWaitingNoticed(bool waiting) {
    if (waiting == m_waitingNoticed)
        return;
    m_waitingNoticed = waiting;
    Q_EMIT waitingChanged(waiting);
}

void StorageWorker::post(State& state, std::function<void(StorageWorker&)> call) {
    const std::lock_guard lock(state.mutex);
    if (StorageWorker* owner = state.owner) {
        // Dropped when the owner is gone by the time the event loop gets to it.
        QMetaObject::invokeMethod(
            owner, [owner, call = std::move(call)] { call(*owner); }, Qt::QueuedConnection);
    }
}

void StorageWorker::run(const std::shared_ptr<State>& state) {
    // The parser keeps its buffers through a burst of jobs and lets them go
    // once none has come for keepParserMs. The pages of the libraries freed
    // meanwhile (thousands of small blocks each) then go back to the system
    // too: trimming the allocator during a burst would hold up the owner's
    // thread, whose allocations wait for it.
    RecordCoding::KeptParser parser;
    std::chrono::steady_clock::time_point parserGoesAt;
    for (;;) {
        Job job;
        QList<Library> discarded;
        {
            std::unique_lock lock(state->mutex);
            const auto hasWork = [&] {
                return state->stopping || state->job.has_value() || !state->discarded.isEmpty();
            };
            if (!state->parserHeld) {
                state->changed.wait(lock, hasWork);
            } else if (!state->changed.wait_until(lock, parserGoesAt, hasWork)) {
                lock.unlock();
                parser.release();
                state->parserHeld = false;
                ::malloc_trim(0);
                continue;
            }
            if (state->stopping)
                break;
            discarded.swap(state->discarded);
            if (!state->job)
                continue; // only the discarded libraries to free, at the end of this turn
            job = std::move(*state->job);
            state->job.reset();
        }
        state->jobSinceMs = nowMs();
        Delivery delivery = job();
        state->jobSinceMs = -1;
        if (parser.holdsBuffers()) {
            parserGoesAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(state->keepParserMs);
            state->parserHeld = true;
        }
        {
            const std::lock_guard lock(state->mutex);
            state->done = std::move(delivery);
        }
        state->changed.notify_all();
        post(*state, [](StorageWorker& owner) { owner.deliver(); });
    }
    const std::lock_guard lock(state->mutex);
    state->exited = true;
    state->changed.notify_all();
}

void StorageWorker::deliver() {
    Delivery delivery;
    {
        const std::lock_guard lock(m_state->mutex);
        if (!m_state->done)
            return; // finish() delivered it already
        delivery = std::move(*m_state->done);
        m_state->done.reset();
    }
    m_busy = false;
    if (delivery)
        delivery();
}

} // namespace sorvel
