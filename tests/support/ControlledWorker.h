#pragma once

#include "app/store/sync/SyncSeams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace sorvel::test {

// Runs the sync's one job when the test says (run()) or when the sync waits
// for it (finish()); its delivery follows on the test's thread. A job the
// test wants to hang runs on a thread of its own, as the program's do, but
// only while the test waits for it: the two threads take turns, so that a
// seeded run repeats. From inside a call such a job makes, the test may park
// it (park(): the disk stops answering) until a moment of the test's clock;
// the sync's waits for it are measured on that clock. Other jobs run on the
// test's thread, at a fraction of the cost. No other program holds the
// folder here: a job's wait for the folder tries once.
class ControlledWorker final : public SyncWorker {
public:
    static constexpr qint64 never = std::numeric_limits<qint64>::max();

    // `now` is the test's clock; `starting` is told as each job is handed
    // over, before it runs, and says whether it runs on the job's thread.
    explicit ControlledWorker(qint64& now, std::function<bool()> starting = {})
        : m_now(now), m_starting(std::move(starting)) {}
    // A job parked then is let go and must end at once (isEnding()): the
    // process it ran in is gone.
    ~ControlledWorker() override {
        if (!m_thread.joinable())
            return;
        std::unique_lock lock(m_turns.mutex);
        m_turns.ending = true;
        while (m_turns.parked)
            takeTurn(lock);
        m_turns.stopping = true;
        m_turns.turn = Side::Job;
        m_turns.changed.notify_all();
        lock.unlock();
        m_thread.join();
    }
    ControlledWorker(const ControlledWorker&) = delete;
    ControlledWorker& operator=(const ControlledWorker&) = delete;

    bool isBusy() const override { return m_job.has_value() || m_running; }
    void start(Job job) override {
        ASSERT_FALSE(isBusy()) << "a job started while one runs";
        m_onThread = m_starting && m_starting();
        m_job = std::move(job);
    }
    // Runs the job until it is done and delivers it, unless it parks past the
    // patience: false then, the clock moved to the patience's end.
    bool finish(int, int patienceMs) override {
        if (!isBusy())
            return true;
        const qint64 deadline = patienceMs < 0 ? never : m_now + patienceMs;
        for (;;) {
            if (isParked()) {
                if (m_turns.parkedUntil == never && deadline == never) {
                    ADD_FAILURE() << "the sync waits without end for a job the disk holds";
                    return false;
                }
                if (m_turns.parkedUntil > deadline) {
                    m_now = std::max(m_now, deadline);
                    return false;
                }
                m_now = std::max(m_now, m_turns.parkedUntil);
            }
            if (run())
                return true;
        }
    }
    void discard(Library) override {}
    FolderLock::Waiter folderWaiter() override {
        return [](const std::function<bool()>& attempt) { return attempt(); };
    }
    bool isWaitingForFolder() const override { return false; }
    bool isHeldByFolder() const override { return false; }
    // At once, on the test's thread; when `blocksAside` says the parked job
    // holds what the work needs, after that job lets it go, and the wait gives
    // up after its patience.
    bool runAside(std::function<void()> work, int patienceMs) override {
        if (isParked() && m_blocksAside && m_blocksAside()) {
            m_asides.push_back(std::move(work));
            m_now += patienceMs;
            return false;
        }
        work();
        return true;
    }

    // Whether the parked job holds what work aside needs.
    void setBlocksAside(std::function<bool()> blocks) { m_blocksAside = std::move(blocks); }
    // Whether work aside waits for the parked job.
    bool holdsAside() const { return !m_asides.empty(); }

    // A job handed over and not started.
    bool hasJob() const { return m_job.has_value(); }
    bool isParked() const { return m_turns.parked; }
    // When the parked job's call answers; never: not before the process ends.
    qint64 parkedUntil() const { return m_turns.parkedUntil; }
    // The parked job's call answers by `ms` at the latest.
    void answerBy(qint64 ms) { m_turns.parkedUntil = std::min(m_turns.parkedUntil, ms); }
    // Whether this runs on the job's thread.
    bool onJobThread() const { return std::this_thread::get_id() == m_thread.get_id(); }
    // From the job's thread: the worker is going away with the job.
    bool isEnding() const { return m_turns.ending; }

    // From inside a call of the job's: the call hangs until `until` on the
    // test's clock (or the test lets it go sooner); the test's thread goes
    // on. False when the process ended meanwhile: the call must end the job.
    bool park(qint64 until) {
        std::unique_lock lock(m_turns.mutex);
        m_turns.parked = true;
        m_turns.parkedUntil = until;
        m_turns.turn = Side::Test;
        m_turns.changed.notify_all();
        m_turns.changed.wait(lock, [&] { return m_turns.turn == Side::Job; });
        m_turns.parked = false;
        return !m_turns.ending;
    }

    // Runs the job handed over (or the parked one on) until it is done or
    // parks; a job done is delivered: true then. What the job throws (the
    // program going down) passes through, with nothing delivered.
    bool run() {
        if (!m_job && !isParked())
            return true;
        if (m_job && !m_onThread)
            return runHere();
        std::unique_lock lock(m_turns.mutex);
        if (m_job) {
            if (!m_thread.joinable())
                m_thread = std::thread([this] { serve(); });
            m_turns.job = std::move(*m_job);
            m_job.reset();
            m_running = true;
        }
        takeTurn(lock);
        const bool parked = m_turns.parked;
        const Delivery delivery = parked ? Delivery() : std::exchange(m_turns.delivery, {});
        const std::exception_ptr thrown = parked ? nullptr : std::exchange(m_turns.thrown, nullptr);
        lock.unlock();
        if (!parked || !m_blocksAside || !m_blocksAside())
            runAsides();
        if (parked)
            return false;
        m_running = false;
        if (thrown)
            std::rethrow_exception(thrown);
        if (delivery)
            delivery();
        return true;
    }

private:
    enum class Side { Test, Job };
    // What the two threads hand each other, under the mutex.
    struct Turns {
        std::mutex mutex;
        std::condition_variable changed;
        Side turn = Side::Test;
        std::optional<Job> job;
        Delivery delivery;
        std::exception_ptr thrown;
        bool parked = false;
        qint64 parkedUntil = never;
        bool ending = false;
        bool stopping = false;
    };

    bool runHere() {
        Job job = std::move(*m_job);
        m_job.reset();
        m_running = true;
        Delivery delivery;
        try {
            delivery = job();
        } catch (...) {
            m_running = false;
            throw;
        }
        m_running = false;
        if (delivery)
            delivery();
        return true;
    }

    // The job's thread takes its turn and the test's waits for it to end.
    void takeTurn(std::unique_lock<std::mutex>& lock) {
        m_turns.turn = Side::Job;
        m_turns.changed.notify_all();
        m_turns.changed.wait(lock, [&] { return m_turns.turn == Side::Test; });
    }

    void serve() {
        std::unique_lock lock(m_turns.mutex);
        for (;;) {
            m_turns.changed.wait(lock, [&] { return m_turns.turn == Side::Job; });
            if (m_turns.stopping)
                return;
            std::optional<Job> job = std::exchange(m_turns.job, std::nullopt);
            lock.unlock();
            Delivery delivery;
            std::exception_ptr thrown;
            try {
                delivery = (*job)();
            } catch (...) {
                thrown = std::current_exception();
            }
            job.reset();
            lock.lock();
            m_turns.delivery = std::move(delivery);
            m_turns.thrown = thrown;
            m_turns.turn = Side::Test;
            m_turns.changed.notify_all();
        }
    }

    void runAsides() {
        while (!m_asides.empty()) {
            std::function<void()> work = std::move(m_asides.front());
            m_asides.erase(m_asides.begin());
            work();
        }
    }

    qint64& m_now;
    std::function<bool()> m_starting;
    std::function<bool()> m_blocksAside;
    std::optional<Job> m_job;
    bool m_running = false;
    bool m_onThread = false;
    std::vector<std::function<void()>> m_asides;
    Turns m_turns;
    std::thread m_thread;
};

} // namespace sorvel::test
