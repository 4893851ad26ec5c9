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

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
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
        // Non-blocking only so that a pipe in the file's place cannot hang the open.
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {errno == ENOENT ? FileBytes::State::Missing : FileBytes::State::Failed, {}, errno};

    FileBytes result{FileBytes::State::Read, {}, 0};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return {FileBytes::State::Failed, {}, error};
    }
    if (!S_ISREG(info.st_mode)) {
        // A folder, pipe or device there is not the data file (a device could be endless).
        ::close(fd);
        return {FileBytes::State::Failed, {}, S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
    }
    if (info.st_size > 0)
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

QString asideName(qint64 seconds) {
    return asidePrefix + QString::number(seconds) + asideSuffix;
}

// "projects-unreadable-<seconds since 1970>.json" beside the data file.
QString asidePath(const QString& path) {
    return QFileInfo(path).dir().filePath(asideName(QDateTime::currentSecsSinceEpoch()));
}

// The seconds in the name of an aside copy, none for other names.
std::optional<qint64> asideSeconds(const QString& name) {
    if (!name.startsWith(asidePrefix) || !name.endsWith(asideSuffix))
        return std::nullopt;
    const QString digits = name.mid(asidePrefix.size(), name.size() - asidePrefix.size() - asideSuffix.size());
    bool ok = false;
    const qint64 seconds = digits.toLongLong(&ok);
    return ok ? std::optional<qint64>(seconds) : std::nullopt;
}

// The most recent earlier copy, judged by the seconds in its name.
QString newestAsideCopy(const QString& path) {
    const QDir folder = QFileInfo(path).dir();
    const QStringList names = folder.entryList({asidePrefix + QLatin1Char('*') + asideSuffix},
                                               QDir::Files | QDir::Hidden | QDir::System);
    QString newest;
    qint64 newestSeconds = -1;
    for (const QString& name : names) {
        const std::optional<qint64> seconds = asideSeconds(name);
        if (seconds && *seconds > newestSeconds) {
            newestSeconds = *seconds;
            newest = folder.filePath(name);
        }
    }
    return newest;
}

bool holdsBytes(const QString& path, const QByteArray& bytes) {
    const FileBytes existing = readWholeFile(path);
    return existing.state == FileBytes::State::Read && existing.bytes == bytes;
}

// Creates `path` with `bytes`, never replacing anything; 0 or the errno. The
// file appears complete (written aside, then linked into place), so a reader
// in another process never compares against half of it.
int writeNewFile(const QString& path, const QByteArray& bytes) {
    QByteArray draft = QFile::encodeName(QFileInfo(path).dir().filePath(QStringLiteral(".sorvel-copy-XXXXXX")));
    const int fd = ::mkostemp(draft.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && !error;) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno != EINTR)
            error = errno;
        else if (put > 0)
            done += put;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    const QByteArray target = QFile::encodeName(path);
    if (!error && ::link(draft.constData(), target.constData()) != 0) {
        error = errno;
        // File systems without hard links may still refuse to replace on rename.
        if ((error == EPERM || error == EOPNOTSUPP)
            && ::renameat2(AT_FDCWD, draft.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (error == EPERM || error == EOPNOTSUPP)
            error = errno;
    }
    ::unlink(draft.constData());
    return error;
}

// Keeps a copy of an undecodable file for the user; the next save replaces the
// file, so these bytes must be kept whatever else was kept in the same second.
// The widget reads at every timeline and each copy is a folder event, so the
// same bytes are kept once. A name already taken by other bytes (two versions of
// the file within one second, or another process copying) moves on to the next
// number, which keeps the newest copy the one with the highest number.
void copyAside(const QString& path, const QByteArray& bytes) {
    const QString newest = newestAsideCopy(path);
    if (!newest.isEmpty() && holdsBytes(newest, bytes))
        return;
    const QDir folder = QFileInfo(path).dir();
    qint64 seconds = QDateTime::currentSecsSinceEpoch();
    if (const std::optional<qint64> newestSeconds = asideSeconds(QFileInfo(newest).fileName()))
        seconds = std::max(seconds, *newestSeconds);
    for (int attempt = 0; attempt < 1000; ++attempt, ++seconds) {
        const QString target = folder.filePath(asideName(seconds));
        const int error = writeNewFile(target, bytes);
        if (error == 0)
            return;
        if (error != EEXIST) {
            Log::storageError(QStringLiteral("cannot keep a copy of %1 as %2: %3")
                                  .arg(path, QFileInfo(target).fileName(), describeErrno(error)));
            return;
        }
        if (holdsBytes(target, bytes))
            return;  // another reader kept the same bytes just now
    }
    Log::storageError(QStringLiteral("cannot keep a copy of %1: every name is taken").arg(path));
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
    // Unbuffered: a write error of a buffered flush (disk full, file size limit)
    // does not stop QSaveFile::commit from putting a cut-off file in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Log::writeError(path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    const QByteArray bytes = RecordCoding::encodeLibrary(library);
    if (const qint64 written = file.write(bytes); written != bytes.size()) {
        // A short write sets no error of its own.
        const QString why = written < 0 ? file.errorString()
                                        : QStringLiteral("wrote %1 of %2 bytes").arg(written).arg(bytes.size());
        Log::writeError(path + QStringLiteral(": ") + why);
        file.cancelWriting();
        return false;
    }
    // commit() ignores a failed sync, and some file systems report a full disk
    // only there; the old file must stay until the new one is surely complete.
    if (::fsync(file.handle()) != 0) {
        Log::writeError(path + QStringLiteral(": ") + describeErrno(errno));
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
