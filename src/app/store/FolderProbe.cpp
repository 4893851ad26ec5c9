#include "app/store/FolderProbe.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorvel::FolderProbe {

bool isHeldElsewhere(const QString& folder, bool exclusive) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (result < 0 && errno == EINTR);
    const bool held = result < 0 && errno == EWOULDBLOCK;
    ::close(fd); // releases the lock when it was taken
    return held;
}

} // namespace sorvel::FolderProbe
