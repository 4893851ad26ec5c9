#pragma once

#include <QString>

namespace sorvel {

// Coordinates access to the data file between processes: flock on a descriptor
// of the data folder itself, shared to read, exclusive to write or change.
// No lock file is ever created (any new file in the folder is a folder event).
class FolderLock {
public:
    enum class Mode { Read, Write };
    // Block waits for other holders; DontWait fails at once when the folder is held.
    enum class Wait { Block, DontWait };

    // The folder must exist; the lock is held until destruction.
    FolderLock(const QString& folder, Mode mode, Wait wait = Wait::Block);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }
    // Not locked because another holder would have made this lock wait
    // (only with DontWait); any other failure is not another holder.
    bool isHeldElsewhere() const { return m_heldElsewhere; }
    // Why the lock could not be taken; empty when locked. Where the folder's
    // file system has no working locks (flock emulated by record locks, as
    // on NFS) it ends in the C library's text for ENOLCK.
    QString error() const { return m_error; }
    // Syncs the folder itself (a rename in it survives a crash once this
    // returns); 0 or the errno. Only while locked.
    int sync() const;

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
    QString m_error;
};

} // namespace sorvel
