#pragma once

#include "app/store/sync/SyncSeams.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>

namespace sorvel::test {

// Runs the sync's one job when the test says (run()), or when the sync waits
// for it (finish()); its delivery follows at once. No other program holds the
// folder here: a job's wait for the folder tries once. Work aside runs at once.
class ControlledWorker final : public SyncWorker {
public:
    // `starting` is told as each job is handed over, before it runs.
    explicit ControlledWorker(std::function<void()> starting = {}) : m_starting(std::move(starting)) {}

    bool isBusy() const override { return m_job.has_value() || m_running; }
    void start(Job job) override {
        ASSERT_FALSE(isBusy()) << "a job started while one runs";
        if (m_starting)
            m_starting();
        m_job = std::move(job);
    }
    bool finish(int, int) override {
        run();
        return true;
    }
    void discard(Library) override {}
    FolderLock::Waiter folderWaiter() override {
        return [](const std::function<bool()>& attempt) { return attempt(); };
    }
    bool isWaitingForFolder() const override { return false; }
    bool isHeldByFolder() const override { return false; }
    bool runAside(std::function<void()> work, int) override {
        work();
        return true;
    }

    // Runs the job handed over, if any, and delivers what it found. What the
    // job throws (the program going down) passes through, with nothing delivered.
    void run() {
        if (!m_job)
            return;
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
    }

private:
    std::function<void()> m_starting;
    std::optional<Job> m_job;
    bool m_running = false;
};

} // namespace sorvel::test
