#include "core/Storage.h"

#include "core/DataFolder.h"
#include "core/FolderLock.h"
#include "core/Log.h"
#include "core/RecordCoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvel::Storage {

namespace {

const QString asidePrefix = QStringLiteral("projects-unreadable-");
const QString asideSuffix = QStringLiteral(".json");

QString describeErrno(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The whole file, or why it could not be had. Only a missing file is "missing":
// any other failure means the file may still hold the user's data.
struct FileBytes {
    enum class State { Read, Missing, Failed };
    State state = State::Missing;
    QByteArray bytes;
    int error = 0;
};

FileBytes readWholeFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {errno == ENOENT ? FileBytes::State::Missing : FileBytes::State::Failed, {}, errno};

    FileBytes result{FileBytes::State::Read, {}, 0};
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        result.bytes.reserve(info.st_size);
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            result = {FileBytes::State::Failed, {}, errno};
            break;
        }
        if (count == 0)
            break;
        result.bytes.append(buffer, count);
    }
    ::close(fd);
    return result;
}

// "projects-unreadable-<seconds since 1970>.json" beside the data file.
QString asidePath(const QString& path) {
    const QString name = asidePrefix + QString::number(QDateTime::currentSecsSinceEpoch()) + asideSuffix;
    return QFileInfo(path).dir().filePath(name);
}

// The most recent earlier copy, judged by the seconds in its name.
QString newestAsideCopy(const QString& path) {
    const QDir folder = QFileInfo(path).dir();
    const QStringList names = folder.entryList({asidePrefix + QLatin1Char('*') + asideSuffix},
                                               QDir::Files | QDir::Hidden | QDir::System);
    QString newest;
    qint64 newestSeconds = -1;
    for (const QString& name : names) {
        const QString digits = name.mid(asidePrefix.size(), name.size() - asidePrefix.size() - asideSuffix.size());
        bool ok = false;
        const qint64 seconds = digits.toLongLong(&ok);
        if (ok && seconds > newestSeconds) {
            newestSeconds = seconds;
            newest = folder.filePath(name);
        }
    }
    return newest;
}

// Keeps a copy of an undecodable file for the user. The widget reads at every
// timeline, and each copy is a folder event, so the same bytes are kept once.
void copyAside(const QString& path, const QByteArray& bytes) {
    const QString newest = newestAsideCopy(path);
    if (!newest.isEmpty()) {
        const FileBytes previous = readWholeFile(newest);
        if (previous.state == FileBytes::State::Read && previous.bytes == bytes)
            return;
    }
    // Refuses an existing name (a copy made in the same second): that failure is harmless.
    QFile::copy(path, asidePath(path));
}

// Moves a file that cannot be read out of the way, so that no later write can
// replace it; fails rather than replace an existing copy.
bool moveAside(const QString& path, QString* target, QString* error) {
    *target = asidePath(path);
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(*target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *error = describeErrno(errno);
        return false;
    }
    // The file system cannot refuse to replace by itself.
    if (QFileInfo::exists(*target) || QFileInfo(*target).isSymLink()) {
        *error = describeErrno(EEXIST);
        return false;
    }
    if (::rename(from.constData(), to.constData()) == 0)
        return true;
    *error = describeErrno(errno);
    return false;
}

void keepUnreadable(const QString& path, int readError) {
    QString target;
    QString moveError;
    const QString problem = QStringLiteral("cannot read %1: %2").arg(path, describeErrno(readError));
    if (moveAside(path, &target, &moveError))
        Log::storageError(problem + QStringLiteral("; moved it to ") + QFileInfo(target).fileName());
    else
        Log::storageError(problem + QStringLiteral("; could not move it aside: ") + moveError);
}

// The file's contents; the caller holds the folder lock.
ReadResult readLocked(const QString& path) {
    const FileBytes file = readWholeFile(path);
    switch (file.state) {
    case FileBytes::State::Missing:
        return {ReadResult::Kind::Missing, Library{}};
    case FileBytes::State::Failed:
        keepUnreadable(path, file.error);
        return {ReadResult::Kind::Unreadable, Library{}};
    case FileBytes::State::Read:
        break;
    }
    QString error;
    if (std::optional<Library> library = RecordCoding::decodeLibrary(file.bytes, &error))
        return {ReadResult::Kind::Decoded, std::move(*library)};
    Log::decodeError(path + QStringLiteral(": ") + error);
    copyAside(path, file.bytes);
    return {ReadResult::Kind::Undecodable, Library{}};
}

// Atomic: the file is either the old or the new whole text.
bool writeLocked(const QString& path, const Library& library) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        Log::writeError(path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    const QByteArray bytes = RecordCoding::encodeLibrary(library);
    if (file.write(bytes) != bytes.size()) {
        Log::writeError(path + QStringLiteral(": ") + file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        Log::writeError(path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    return true;
}

// Runs body with the data file's path while this process holds the folder lock.
// False (logged) when the lock could not be taken; body then did not run.
bool coordinate(FolderLock::Mode mode, const std::function<void(const QString& path)>& body) {
    const QString folder = directory();
    QDir().mkpath(folder);
    const FolderLock lock(folder, mode);
    if (!lock.isLocked()) {
        Log::storageError(lock.error());
        return false;
    }
    body(filePath());
    return true;
}

} // namespace

QString directory() {
    return DataFolder::directory();
}

QString filePath() {
    return DataFolder::filePath();
}

ReadResult read() {
    ReadResult result{ReadResult::Kind::Unreadable, Library{}};
    coordinate(FolderLock::Mode::Read, [&result](const QString& path) { result = readLocked(path); });
    return result;
}

Library load() {
    return read().library;
}

bool save(const Library& library) {
    bool written = false;
    coordinate(FolderLock::Mode::Write,
               [&](const QString& path) { written = writeLocked(path, library); });
    return written;
}

bool mutate(const std::function<void(Library&)>& change) {
    bool written = false;
    coordinate(FolderLock::Mode::Write, [&](const QString& path) {
        ReadResult current = readLocked(path);
        if (current.kind == ReadResult::Kind::Undecodable || current.kind == ReadResult::Kind::Unreadable)
            return;
        change(current.library);
        written = writeLocked(path, current.library);
    });
    return written;
}

} // namespace sorvel::Storage
