#pragma once

#include "app/store/sync/StorageWorker.h"
#include "app/store/sync/SyncSeams.h"

#include <QObject>
#include <QTimer>

#include <array>

namespace sorvel {

class FileSystem;

// The sync's time on the event loop: QTimers and the system's clocks.
class EventLoopClock final : public QObject, public SyncClock {
public:
    EventLoopClock();
    qint64 steadyMs() const override;
    QDateTime wallNow() const override;
    void start(SyncTimer timer, int ms) override;
    void stop(SyncTimer timer) override;
    bool isActive(SyncTimer timer) const override;

private:
    std::array<QTimer, 5> m_timers;
};

// The sync's jobs on a StorageWorker thread.
class ThreadWorker final : public SyncWorker {
public:
    ThreadWorker();
    bool isBusy() const override { return m_worker.isBusy(); }
    void start(Job job) override { m_worker.start(std::move(job)); }
    bool finish(int folderPatienceMs, int patienceMs) override { return m_worker.finish(folderPatienceMs, patienceMs); }
    void discard(Library library) override { m_worker.discard(std::move(library)); }
    FolderLock::Waiter folderWaiter() override;
    bool isWaitingForFolder() const override { return m_worker.isWaitingForFolder(); }
    bool isHeldByFolder() const override { return m_worker.isHeldByFolder(); }
    bool runAside(std::function<void()> work, int patienceMs) override;

private:
    StorageWorker m_worker;
};

// The data folder (Storage, RescueCopy, LegacyMigration), on the file
// system it is given: the disk in the program, whatever a test puts there.
class DiskFiles final : public SyncFiles {
public:
    // `files` must outlive this and every job and carrier it runs.
    explicit DiskFiles(FileSystem& files) : m_files(files) {}
    void migrate(const FolderLock::Waiter& waiter) override;
    RescuesMerged mergeRescues(const FolderLock::Waiter& waiter) override;
    void removeStaleDrafts(const FolderLock::Waiter& waiter) override { Storage::removeStaleDrafts(m_files, waiter); }
    Storage::ReadResult read(const FolderLock::Waiter& waiter) override { return Storage::read(m_files, waiter); }
    Storage::SaveResult save(const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                             const FolderLock::Waiter& waiter, Storage::Carried* carried,
                             const std::optional<Storage::FileIdentity>& stillUndecodable) override {
        return Storage::save(m_files, resolve, keepDecodedAside, waiter, carried, stillUndecodable);
    }
    FileOutcome writeRescue(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                            const RescueCopy::KeptSteps& steps, bool landed,
                            const std::optional<Storage::WriteMark>& mayNotLast) override {
        return RescueCopy::write(m_files, base, unsaved, at, steps, landed, mayNotLast);
    }
    std::unique_ptr<Storage::Carried> carryRescues(QStringList& paths, const QString& what) override;

private:
    FileSystem& m_files;
};

} // namespace sorvel
