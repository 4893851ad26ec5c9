#pragma once

#include "app/store/rescue/RescueCopies.h"
#include "core/FileOutcome.h"
#include "core/FolderLock.h"
#include "core/Library.h"
#include "core/Storage.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

namespace sorvel {

// The timers of the sync. Each is single-shot; starting one that runs starts it anew.
enum class SyncTimer { Save, Settle, Echo, ReadRetry, UndecodableQuiet };

// Time as the sync sees it: a steady clock for its windows, the wall clock for
// the names of rescue copies, and its timers, which call fired() when due.
class SyncClock {
public:
    virtual ~SyncClock() = default;
    virtual qint64 steadyMs() const = 0;
    virtual QDateTime wallNow() const = 0;
    virtual void start(SyncTimer timer, int ms) = 0;
    virtual void stop(SyncTimer timer) = 0;
    virtual bool isActive(SyncTimer timer) const = 0;

    std::function<void(SyncTimer)> fired;
};

// Runs the reads and writes one at a time off the sync's thread (StorageWorker).
// A job returns its delivery, which runs on the sync's thread.
class SyncWorker {
public:
    using Delivery = std::function<void()>;
    using Job = std::function<Delivery()>;

    virtual ~SyncWorker() = default;
    virtual bool isBusy() const = 0;
    virtual void start(Job job) = 0;
    // Runs the running job's delivery once it is done; false when it gave up
    // (StorageWorker::finish).
    virtual bool finish(int folderPatienceMs, int patienceMs = -1) = 0;
    // Lets go of a library off the sync's thread.
    virtual void discard(Library library) = 0;
    // How a job waits for the folder's lock while another program holds it.
    virtual FolderLock::Waiter folderWaiter() = 0;
    virtual bool isWaitingForFolder() const = 0;
    // Whether the running job waits for the folder's lock right now, however
    // briefly (isWaitingForFolder turns true only later, on the event loop).
    virtual bool isHeldByFolder() const = 0;
    // Runs `work` off the sync's thread and beside the worker's, which may be
    // stuck in a hung disk, and waits for it `patienceMs` at most; false when
    // it still runs then: it ends on its own, and may outlive the worker.
    virtual bool runAside(std::function<void()> work, int patienceMs) = 0;

    // isWaitingForFolder() changed.
    std::function<void()> waitingChanged;
};

// The file work of the sync, called from its jobs (and the rescue copy from
// the quit): each one is a whole operation under the folder's lock. The
// rescue copies' own (RescueCopies::Files) come with it.
class SyncFiles : public RescueCopies::Files {
public:
    // The start's first read follows these three: the earlier product's data
    // taken over, the rescue copies of earlier runs merged into the data file
    // in the order they were made (mergeRescues), then the drafts an
    // interrupted write left removed (after the copies, which look whether
    // the draft of the write that carried them is still there).
    virtual void migrate(const FolderLock::Waiter& waiter) = 0;
    virtual void removeStaleDrafts(const FolderLock::Waiter& waiter) = 0;
    virtual Storage::ReadResult read(const FolderLock::Waiter& waiter) = 0;
    // Storage::save: `stillUndecodable` is the undecodable file the sync has seen still for the quiet.
    virtual Storage::SaveResult save(const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                                     const FolderLock::Waiter& waiter, Storage::Carried* carried,
                                     const std::optional<Storage::FileIdentity>& stillUndecodable) = 0;
};

} // namespace sorvel
