#pragma once

#include "core/Library.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace sorvel {

// Runs the store's reads and writes of the data file one at a time on a thread
// of its own, so that the window never waits on the disk. A job runs on the
// worker thread and returns what is to be done with its result, which then runs
// on the owner's thread, from its event loop or from finish().
//
// Another program may hold the data folder for as long as it likes; a job
// waits for it in waitUntilFree(), where the owner can see it waiting and stop
// waiting for it in turn.
class StorageWorker final : public QObject {
    Q_OBJECT
public:
    using Delivery = std::function<void()>;
    using Job = std::function<Delivery()>;

    static constexpr int pollIntervalMs = 25;
    // A wait shorter than this (another program's read) is not worth telling.
    static constexpr int noticeAfterMs = 300;
    // How long a running job has from its start before the destructor leaves
    // it behind: a quit that already waited for it is not held again.
    static constexpr int stopWaitMs = 2000;
    // How long the destructor waits at least: a job waiting for the folder
    // gives up at once.
    static constexpr int leaveWaitMs = 250;
    // How long the parser's buffers stay after the last job. Reads come in
    // bursts (a save and its echo, another program's next change), and
    // growing the buffers again costs more than a large file's parse.
    static constexpr int parserKeptMs = 10000;

    explicit StorageWorker(QObject* parent = nullptr, int keepParserMs = parserKeptMs);
    // Waits for a running job until it has run stopWaitMs in all; its delivery is dropped.
    ~StorageWorker() override;
    StorageWorker(const StorageWorker&) = delete;
    StorageWorker& operator=(const StorageWorker&) = delete;

    // From a job's start until its delivery has begun.
    bool isBusy() const { return m_busy; }
    // Starts a job; never while busy (never two jobs at once).
    void start(Job job);
    // Waits until the running job is done and runs its delivery now; true
    // then. False, with the job still running, once it has waited for the
    // folder for `folderPatienceMs` (0: not at all), or once `patienceMs`
    // have passed in all (negative: no limit).
    bool finish(int folderPatienceMs = -1, int patienceMs = -1);
    // Lets go of a library on the worker thread: the last reference to a large
    // library frees thousands of records, which the window's thread need not wait for.
    void discard(Library library);

    // Whether a job has been waiting for the folder for noticeAfterMs or longer.
    bool isWaitingForFolder() const { return m_waitingNoticed; }
    // Whether the running job waits for the folder right now, told by its thread.
    bool isHeldByFolder() const { return m_state->waitingSinceMs.load() >= 0; }
    // Whether the worker's thread holds parser buffers from a job's decode.
    bool holdsParserBuffers() const { return m_state->parserHeld; }

    // From a job, on the worker thread: tries `attempt` (a try of the folder's
    // lock that never blocks) every pollIntervalMs until it returns true.
    // False when the worker is being destroyed meanwhile: the job then gives up.
    bool waitUntilFree(const std::function<bool()>& attempt);

Q_SIGNALS:
    // isWaitingForFolder() changed.
    void waitingChanged(bool waiting);

private:
    // Shared with the thread, which may outlive this object when a job never ends.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::optional<Job> job;
        std::optional<Delivery> done;
        QList<Library> discarded;
        bool stopping = false;
        bool exited = false;
        StorageWorker* owner = nullptr; // null once the owner is gone
        std::atomic<qint64> waitingSinceMs{-1}; // steady-clock ms; -1 when not waiting
        std::atomic<qint64> jobSinceMs{-1}; // when the running job started; -1 when none runs
        int keepParserMs = parserKeptMs;
        std::atomic<bool> parserHeld{false};
    };

    static void run(const std::shared_ptr<State>& state);
    // Runs `call` on the owner's thread, unless the owner is gone.
    static void post(State& state, std::function<void(StorageWorker&)> call);
    void deliver();
    void setWaitingNoticed(bool waiting);

    std::shared_ptr<State> m_state;
    bool m_busy = false;
    bool m_waitingNoticed = false;
    std::thread m_thread;
};

} // namespace sorvel
