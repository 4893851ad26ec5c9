#include "core/FolderLock.h"

#include "core/FileSystem.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "core/SystemErrorText.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace sorvel {

namespace {

FileError describe(const QString& what, const QString& folder, int error) {
    return {what + QLatin1Char(' ') + folder, error};
}

// A folder descriptor can only be opened for reading; where flock is carried
// out with record locks an exclusive one then fails (EBADF), or the file
// system has no locks at all.
bool locksUnsupported(int error) {
    return error == EBADF || error == ENOLCK || error == EOPNOTSUPP;
}

// Said once per process in plain words: every read and write fails the same way.
void reportUnsupported(const QString& folder, int error) {
    static std::once_flag reported;
    std::call_once(reported, [&] {
        Log::storageError(
            QStringLiteral("the file system of the data folder %1 does not support file locks (flock: %2); "
                           "nothing can be read or saved there safely. Keep the data folder on a file "
                           "system with working locks.")
                .arg(folder, SystemErrorText::inEnglish(error)));
    });
}

} // namespace

FolderLock::Waiter FolderLock::patientFor(int patienceMs, std::function<void(int ms)> pause) {
    return [patienceMs, pause = std::move(pause)](const std::function<bool()>& attempt) {
        const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
        for (;;) {
            if (attempt())
                return true;
            if (std::chrono::steady_clock::now() >= giveUpAt)
                return false;
            if (pause)
                pause(pollIntervalMs);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(pollIntervalMs));
        }
    };
}

FolderLock::FolderLock(FileSystem& files, const QString& folder, Mode mode, const Waiter& waiter) : m_files(files) {
    const auto attempt = [&] { return tryOnce(folder, mode); };
    if (!waiter)
        attempt();
    else
        waiter(attempt);
}

bool FolderLock::tryOnce(const QString& folder, Mode mode) {
    m_heldElsewhere = false;
    m_error = {};
    const QByteArray path = QFile::encodeName(folder);
    int fd;
    do {
        fd = m_files.open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = describe(QStringLiteral("cannot open data folder"), folder, errno);
        return true;
    }
    int result;
    do {
        result = m_files.flock(fd, (mode == Mode::Write ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        const int error = errno;
        m_heldElsewhere = error == EWOULDBLOCK;
        m_error = describe(QStringLiteral("cannot lock data folder"), folder, locksUnsupported(error) ? ENOLCK : error);
        if (locksUnsupported(error))
            reportUnsupported(folder, error);
        m_files.close(fd);
        return !m_heldElsewhere;
    }
    struct stat info {};
    if (m_files.fstat(fd, &info) == 0) {
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }
    m_fd = fd;
    return true;
}

bool FolderLock::stillNames(const QString& folder) const {
    struct stat info {};
    return m_fd >= 0 && m_files.stat(QFile::encodeName(folder).constData(), &info) == 0 && info.st_dev == m_device
        && info.st_ino == m_inode;
}

int FolderLock::sync() const {
    return RegularFile::syncFolder(m_files, m_fd);
}

FolderLock::~FolderLock() {
    // Closing the only descriptor of this open file description releases the lock.
    if (m_fd >= 0)
        m_files.close(m_fd);
}

} // namespace sorvel
