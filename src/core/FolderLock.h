#pragma once

#include "core/FileError.h"

#include <QString>

#include <functional>

#include <sys/types.h>

namespace sorvel {

class FileSystem;

// Coordinates access to the data file between processes: flock on a descriptor
// of the data folder itself, shared to read, exclusive to write or change.
// No lock file is ever created (any new file in the folder is a folder event).
//
// The lock never blocks: while another program holds the folder it is tried
// again and again, as a waiter decides, so that whoever waits can always stop.
class FolderLock {
public:
    enum class Mode { Read, Write };
    // Tries `attempt` (one try that never blocks; true once there is nothing
    // more to wait for) until it returns true or the waiter gives up; returns
    // the last answer. An empty waiter tries once.
    using Waiter = std::function<bool(const std::function<bool()>& attempt)>;

    static constexpr int pollIntervalMs = 25;
    // How long a program that cannot show a wait (the widget's tap, another
    // program's write) waits for the folder.
    static constexpr int usualPatienceMs = 2000;

    // Tries every pollIntervalMs for at most `patienceMs`; `pause` waits
    // between two tries (a sleep when empty).
    static Waiter patientFor(int patienceMs, std::function<void(int ms)> pause = {});
    // Tries once.
    static Waiter noWait() { return {}; }

    // The folder must exist; the lock is held until destruction. Everything
    // goes through `files`, which must outlive the lock.
    FolderLock(FileSystem& files, const QString& folder, Mode mode, const Waiter& waiter = patientFor(usualPatienceMs));
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }
    // Not locked because another holder kept it for longer than the waiter
    // would wait; any other failure is not another holder.
    bool isHeldElsewhere() const { return m_heldElsewhere; }
    // Why the lock could not be taken; none when locked. Where the folder's
    // file system has no working locks (flock emulated by record locks, as
    // on NFS) its errno is ENOLCK.
    FileError error() const { return m_error; }
    // Syncs the folder itself (RegularFile::syncFolder); 0 or the errno. Only while locked.
    int sync() const;
    // Whether `folder` still names the folder this lock holds: another program
    // may have moved it away and put another in its place, whose files this
    // lock does not cover. Only while locked.
    bool stillNames(const QString& folder) const;

private:
    // One try that never blocks; true when there is nothing more to wait for.
    bool tryOnce(const QString& folder, Mode mode);

    FileSystem& m_files;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_heldElsewhere = false;
    FileError m_error;
};

} // namespace sorvel
