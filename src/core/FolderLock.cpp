#include "core/FolderLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorvel {

namespace {

QString describe(const QString& what, const QString& folder, int error) {
    return QStringLiteral("%1 %2: %3").arg(what, folder, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

FolderLock::FolderLock(const QString& folder, Mode mode, Wait wait) {
    const QByteArray path = QFile::encodeName(folder);
    int fd;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = describe(QStringLiteral("cannot open data folder"), folder, errno);
        return;
    }
    int operation = mode == Mode::Write ? LOCK_EX : LOCK_SH;
    if (wait == Wait::DontWait)
        operation |= LOCK_NB;
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        m_error = describe(QStringLiteral("cannot lock data folder"), folder, errno);
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FolderLock::~FolderLock() {
    // Closing the only descriptor of this open file description releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace sorvel
