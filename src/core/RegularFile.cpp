#include "core/RegularFile.h"

#include "core/FileSizeLimit.h"
#include "core/FileSystem.h"
#include "core/Log.h"
#include "core/SystemErrorText.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvel::RegularFile {

namespace {

QString kindName(mode_t mode) {
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    return QStringLiteral("not a regular file");
}

class Descriptor {
public:
    Descriptor(FileSystem& files, int fd) : m_files(files), m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            m_files.close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    FileSystem& m_files;
    int m_fd;
};

// The group's name from the group database, else its number.
QString groupName(gid_t group) {
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(group, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(group);
}

bool copyContents(FileSystem& files, int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = files.read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!writeAll(files, to, buffer, got))
            return false;
    }
}

} // namespace

bool writeAll(FileSystem& files, int fd, const char* data, qint64 size) {
    FileSizeLimit::failWritesWithError();
    while (size > 0) {
        const ssize_t written = files.write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = ENOSPC; // nothing written and no error of its own
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

int writeSyncClose(FileSystem& files, int fd, const QByteArray& bytes) {
    int error = writeAll(files, fd, bytes.constData(), bytes.size()) ? 0 : errno;
    if (!error && files.fsync(fd) != 0)
        error = errno;
    if (files.close(fd) != 0 && !error)
        error = errno;
    return error;
}

int syncFolder(FileSystem& files, int fd) {
    int result;
    do {
        result = files.fsync(fd);
    } while (result < 0 && errno == EINTR);
    const int error = result == 0 ? 0 : errno;
    return error == EINVAL || error == EROFS || error == EOPNOTSUPP ? 0 : error;
}

int syncFolder(FileSystem& files, const QString& path) {
    const int fd = files.open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = syncFolder(files, fd);
    files.close(fd);
    return error;
}

bool isMissingOrRegular(FileSystem& files, const QString& path, const QString& what) {
    struct stat info {};
    if (files.stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true;
        Log::info(QStringLiteral("Sorvel skips %1 %2: %3").arg(what, path, SystemErrorText::inEnglish(errno)));
        return false;
    }
    if (S_ISREG(info.st_mode))
        return true;
    Log::info(QStringLiteral("Sorvel skips %1 %2: it is %3").arg(what, path, kindName(info.st_mode)));
    return false;
}

bool copyNew(FileSystem& files, const QString& source, const QString& target) {
    // O_NONBLOCK: opening a FIFO for reading waits for a writer otherwise.
    const Descriptor from(
        files, files.open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat info {};
    if (!from.isOpen() || files.fstat(from.get(), &info) != 0) {
        Log::storageError(QStringLiteral("cannot read %1: %2").arg(source, SystemErrorText::inEnglish(errno)));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        Log::info(QStringLiteral("Sorvel skips copying %1: it is %2").arg(source, kindName(info.st_mode)));
        return false;
    }
    files.setFlags(from.get(), files.getFlags(from.get()) & ~O_NONBLOCK);
    // O_EXCL: an existing entry, a link included, is never written through.
    const QByteArray targetName = QFile::encodeName(target);
    const Descriptor to(
        files,
        files.open(targetName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, info.st_mode & 0777));
    if (!to.isOpen())
        return false;
    if (copyContents(files, from.get(), to.get())) {
        // The copy keeps when its source was written: a data file's time dates
        // the projects it stores without dates.
        const timespec times[2] = {info.st_atim, info.st_mtim};
        files.futimens(to.get(), times);
        return true;
    }
    Log::storageError(
        QStringLiteral("cannot copy %1 to %2: %3").arg(source, target, SystemErrorText::inEnglish(errno)));
    files.unlink(targetName.constData());
    return false;
}

std::optional<QByteArray> readAll(FileSystem& files, const QString& path) {
    const Descriptor file(files, files.open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen())
        return std::nullopt;
    QByteArray bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = files.read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

int setGroupAndMode(FileSystem& files, int fd, gid_t group, mode_t mode, const QString& path) {
    struct stat info {};
    if (files.fstat(fd, &info) == 0 && info.st_gid != group && files.fchown(fd, uid_t(-1), group) != 0) {
        // Written all the same: a file with the user's own group beats one not written.
        Log::writeError(QStringLiteral("%1 loses its group %2 at this write: %3")
                            .arg(path, groupName(group), SystemErrorText::inEnglish(errno)));
    }
    return files.fchmod(fd, mode) == 0 ? 0 : errno;
}

int renameNoReplace(FileSystem& files, const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (files.renameat2(source.constData(), target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
        return error;
    // File systems without the flag: a file is linked (which never replaces) and
    // then unlinked; a folder is renamed only after checking that nothing is there.
    struct stat info {};
    if (files.lstat(source.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode)) {
        if (files.link(source.constData(), target.constData()) != 0)
            return errno;
        files.unlink(source.constData());
        return 0;
    }
    struct stat existing {};
    if (files.lstat(target.constData(), &existing) == 0)
        return EEXIST;
    return files.rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

int makePath(FileSystem& files, const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    if (isFolder(files, cleaned))
        return 0;
    // The folders above first, from the top down; one made meanwhile by
    // another program counts as made.
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    if (slash > 0) {
        if (const int error = makePath(files, cleaned.left(slash)))
            return error;
    }
    if (files.mkdir(QFile::encodeName(cleaned).constData(), 0777) == 0)
        return 0;
    const int error = errno;
    return error == EEXIST && isFolder(files, cleaned) ? 0 : error;
}

bool isFolder(FileSystem& files, const QString& path) {
    struct stat info {};
    return files.stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<QString> linkTarget(FileSystem& files, const QString& path) {
    QByteArray text(PATH_MAX, '\0');
    const ssize_t length = files.readlink(QFile::encodeName(path).constData(), text.data(), size_t(text.size()));
    if (length < 0 || length >= text.size())
        return std::nullopt;
    const QString target = QFile::decodeName(text.left(length));
    return QDir::cleanPath(QDir::isAbsolutePath(target) ? target
                                                        : QFileInfo(path).absolutePath() + QLatin1Char('/') + target);
}

QStringList namesIn(FileSystem& files, const QString& folder, const QString& prefix, const QString& suffix,
                    Entries kind) {
    std::optional<QStringList> names = files.list(folder);
    if (!names)
        return {};
    names->removeIf([&](const QString& name) {
        if (name.size() < prefix.size() + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
            return true;
        struct stat info {};
        return kind == Entries::Files
            && (files.stat(QFile::encodeName(folder + QLatin1Char('/') + name).constData(), &info) != 0
                || !S_ISREG(info.st_mode));
    });
    std::ranges::sort(*names);
    return *names;
}

} // namespace sorvel::RegularFile
