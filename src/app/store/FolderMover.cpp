#include "app/store/FolderMover.h"

#include "app/store/FreeName.h"
#include "core/Log.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvel::FolderMover {

namespace {

constexpr int attempts = 1000;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

int copyFile(const QByteArray& from, const QByteArray& to, const struct stat& info) {
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, size_t(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                break;
            }
            done += put;
        }
        if (error)
            break;
    }
    if (!error && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && !error)
        error = errno;
    ::close(in);
    if (!error) {
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ::utimensat(AT_FDCWD, to.constData(), times, 0);
    }
    return error;
}

// `created` (top level only) learns whether `destination` was made by this copy.
int copyEntry(const QString& source, const QString& destination, bool* created = nullptr) {
    const QByteArray from = encoded(source);
    const QByteArray to = encoded(destination);
    struct stat info {};
    if (::lstat(from.constData(), &info) != 0)
        return errno;
    if (S_ISLNK(info.st_mode)) {
        QByteArray target(qsizetype(info.st_size > 0 ? info.st_size + 1 : 4096), '\0');
        const ssize_t length = ::readlink(from.constData(), target.data(), size_t(target.size()));
        if (length < 0)
            return errno;
        target.truncate(length);
        if (::symlink(target.constData(), to.constData()) != 0)
            return errno;
        if (created)
            *created = true;
        return 0;
    }
    if (S_ISREG(info.st_mode)) {
        const int error = copyFile(from, to, info);
        if (created)
            *created = error != EEXIST;
        return error;
    }
    if (!S_ISDIR(info.st_mode))
        return ENOTSUP; // devices, pipes and sockets are not project files

    // Writable while filling; the folder's own mode is set once it is complete.
    if (::mkdir(to.constData(), 0700) != 0)
        return errno;
    if (created)
        *created = true;
    const QStringList names =
        QDir(source).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (const int error = copyEntry(source + QLatin1Char('/') + name, destination + QLatin1Char('/') + name))
            return error;
    }
    ::chmod(to.constData(), info.st_mode & 07777);
    return 0;
}

// Relative path → kind and size of every entry below `root`, without following links.
QMap<QString, QString> inventory(const QString& root) {
    QMap<QString, QString> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        if (::lstat(encoded(path).constData(), &info) != 0) {
            entries.insert(base.relativeFilePath(path), QStringLiteral("?"));
            continue;
        }
        const char kind = S_ISDIR(info.st_mode) ? 'd' : S_ISLNK(info.st_mode) ? 'l' : S_ISREG(info.st_mode) ? 'f' : 'o';
        const qint64 size = kind == 'f' ? qint64(info.st_size) : 0;
        entries.insert(base.relativeFilePath(path), QLatin1Char(kind) + QString::number(size));
    }
    return entries;
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// Whether `path` is `folder` or lies below it, links resolved.
bool isWithin(const QString& path, const QString& folder) {
    const QString inner = canonical(path);
    const QString outer = canonical(folder);
    return !inner.isEmpty() && !outer.isEmpty() && (inner == outer || inner.startsWith(outer + QLatin1Char('/')));
}

void removeEntry(const QString& path) {
    struct stat info {};
    if (::lstat(encoded(path).constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

} // namespace

int copyTree(const QString& source, const QString& destination) {
    bool created = false;
    const int error = copyEntry(source, destination, &created);
    if (error && created)
        removeEntry(destination);
    return error;
}

bool sameTree(const QString& first, const QString& second) {
    struct stat a {
    }, b{};
    if (::lstat(encoded(first).constData(), &a) != 0 || ::lstat(encoded(second).constData(), &b) != 0)
        return false;
    if ((a.st_mode & S_IFMT) != (b.st_mode & S_IFMT))
        return false;
    if (!S_ISDIR(a.st_mode))
        return !S_ISREG(a.st_mode) || a.st_size == b.st_size;
    return inventory(first) == inventory(second);
}

FileOutcome moveInto(FileSystem& files, const QString& source, const QString& folder) {
    const QString from = QDir::cleanPath(source);
    const QString name = QFileInfo(from).fileName();
    if (name.isEmpty())
        return FileOutcome::failure(EINVAL);
    // A source that is gone is no folder already in place, wherever it was.
    struct stat info {};
    if (::lstat(encoded(from).constData(), &info) != 0)
        return FileOutcome::failure(errno);
    if (isWithin(folder, from))
        return FileOutcome::failure(EINVAL); // a folder cannot go inside itself
    if (canonical(QFileInfo(from).path()) == canonical(folder) && !canonical(folder).isEmpty())
        return {from}; // already in that folder (archived again this month)

    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QString destination = FreeName::path(folder + QLatin1Char('/') + name);
        int error = RegularFile::renameNoReplace(files, from, destination);
        if (error == 0)
            return {destination};
        if (error == EEXIST || error == ENOTEMPTY)
            continue; // taken between the check and the move: pick the next name
        if (error != EXDEV)
            return FileOutcome::failure(error);

        error = copyTree(from, destination);
        if (error == EEXIST)
            continue;
        if (error)
            return FileOutcome::failure(error);
        if (!sameTree(from, destination)) {
            removeEntry(destination);
            return FileOutcome::failure(EIO);
        }
        removeEntry(from);
        if (QFileInfo::exists(from) || QFileInfo(from).isSymLink())
            Log::info(QStringLiteral("Sorvel archive: the copy at %1 is complete, but %2 could not be removed entirely")
                          .arg(destination, from));
        return {destination};
    }
    return FileOutcome::failure(EEXIST);
}

} // namespace sorvel::FolderMover
