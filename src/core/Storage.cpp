#include "core/Storage.h"

#include "core/DataFolder.h"
#include "core/FileSystem.h"
#include "core/FolderLock.h"
#include "core/Log.h"
#include "core/RecordCoding.h"
#include "core/RegularFile.h"
#include "core/SystemErrorText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace sorvel::Storage {

namespace {

const QString asidePrefix = QStringLiteral("projects-unreadable-");
const QString asideSuffix = QStringLiteral(".json");
// Temporary files of this program's writes and copies; an interrupted write
// leaves one behind, which the store removes at its next start. A draft is
// made as `.sorvel-draft-XXXXXX`; one that is to replace a file is renamed,
// before anything is swapped, after both: `.sorvel-draft-<file read>-<draft>`.
// Only a swap ever puts a file that is not this program's draft under a draft
// name, and only under the second form, whose name then tells whether it is
// the draft, the file read (whose contents the write holds) or neither.
const QString draftPrefix = QStringLiteral(".sorvel-draft-");

const QString markFileSign = QStringLiteral("f");
const QString markNoFile = QStringLiteral("n");

QString identityText(const FileIdentity& identity) {
    return QStringList{QString::number(identity.device, 16), QString::number(identity.inode, 16),
                       QString::number(quint64(identity.size), 16), QString::number(quint64(identity.modifiedNs), 16)}
        .join(QLatin1Char('.'));
}

std::optional<FileIdentity> identityFromText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    bool ok[4] = {};
    const FileIdentity identity{parts[0].toULongLong(&ok[0], 16), parts[1].toULongLong(&ok[1], 16),
                                qint64(parts[2].toULongLong(&ok[2], 16)), qint64(parts[3].toULongLong(&ok[3], 16))};
    return std::all_of(std::begin(ok), std::end(ok), [](bool each) { return each; })
        ? std::optional<FileIdentity>(identity)
        : std::nullopt;
}

// The name a draft takes right before it is swapped with the file it replaces.
QString swapDraftName(const FileIdentity& read, const FileIdentity& draft) {
    return draftPrefix + identityText(read) + QLatin1Char('-') + identityText(draft);
}

// What a swap draft's name says: the file the write read and its draft.
struct SwapDraft {
    FileIdentity read;
    FileIdentity draft;
};

std::optional<SwapDraft> swapDraftOf(const QString& name) {
    if (!name.startsWith(draftPrefix))
        return std::nullopt;
    const QStringList halves = name.mid(draftPrefix.size()).split(QLatin1Char('-'));
    if (halves.size() != 2)
        return std::nullopt;
    const std::optional<FileIdentity> read = identityFromText(halves[0]);
    const std::optional<FileIdentity> draft = identityFromText(halves[1]);
    return read && draft ? std::optional<SwapDraft>(SwapDraft{*read, *draft}) : std::nullopt;
}

// The whole file, or why it could not be had. Only a missing file is "missing":
// any other failure means the file may still hold the user's data.
struct FileBytes {
    enum class State { Read, Missing, Failed };
    State state = State::Missing;
    QByteArray bytes;
    int error = 0;
    QDateTime modified; // Read: when the file was last written, in whole seconds
    // Read: the file as it was opened. A write replaces it only while it is
    // still this file, unchanged since (another program may write without the lock).
    std::optional<FileIdentity> identity;
};

FileIdentity identityOf(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

// A file's modification time as the data file keeps dates: UTC, whole seconds.
QDateTime modificationTime(const struct stat& info) {
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec, Qt::UTC);
}

FileBytes readWholeFile(FileSystem& files, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        // Non-blocking only so that a pipe in the file's place cannot hang the open.
        fd = files.open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {errno == ENOENT ? FileBytes::State::Missing : FileBytes::State::Failed, {}, errno, {}, {}};

    FileBytes result{FileBytes::State::Read, {}, 0, {}, {}};
    struct stat info {};
    if (files.fstat(fd, &info) != 0) {
        const int error = errno;
        files.close(fd);
        return {FileBytes::State::Failed, {}, error, {}, {}};
    }
    result.modified = modificationTime(info);
    result.identity = identityOf(info);
    if (!S_ISREG(info.st_mode)) {
        // A folder, pipe or device there is not the data file (a device could be endless).
        files.close(fd);
        return {FileBytes::State::Failed, {}, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, {}, {}};
    }
    // Straight into one buffer, with the room past the end that lets the
    // decoder read the bytes where they are. One byte more than the file's
    // size lets the end show without growing; a file that grew meanwhile is
    // read on to its new end.
    constexpr qsizetype padding = RecordCoding::decodingPadding;
    QByteArray& bytes = result.bytes;
    bytes.reserve(qsizetype(info.st_size) + 1 + padding);
    bytes.resize(bytes.capacity() - padding);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            bytes.reserve(filled + std::max<qsizetype>(filled / 2, 64 * 1024) + padding);
            bytes.resize(bytes.capacity() - padding);
        }
        const ssize_t count = files.read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            result = {FileBytes::State::Failed, {}, errno, {}, {}};
            break;
        }
        if (count == 0)
            break;
        filled += count;
    }
    files.close(fd);
    if (result.state == FileBytes::State::Read)
        bytes.resize(filled);
    return result;
}

QString asideName(qint64 seconds) {
    return asidePrefix + QString::number(seconds) + asideSuffix;
}

// The last second of the year 9999: a copy named after a later one is no copy
// of this program's, and counting on from it would run past the numbers' end.
constexpr qint64 latestAsideSeconds = 253402300799;

// The seconds in the name of an aside copy, none for other names.
std::optional<qint64> asideSeconds(const QString& name) {
    if (!name.startsWith(asidePrefix) || !name.endsWith(asideSuffix))
        return std::nullopt;
    const QString digits = name.mid(asidePrefix.size(), name.size() - asidePrefix.size() - asideSuffix.size());
    bool ok = false;
    const qint64 seconds = digits.toLongLong(&ok);
    return ok && seconds <= latestAsideSeconds ? std::optional<qint64>(seconds) : std::nullopt;
}

QStringList asideCopyNames(FileSystem& files, const QDir& folder) {
    return RegularFile::namesIn(files, folder.path(), asidePrefix, asideSuffix);
}

// The highest seconds among the copies' names; -1 when there is none.
qint64 newestAsideSeconds(FileSystem& files, const QDir& folder) {
    qint64 newest = -1;
    for (const QString& name : asideCopyNames(files, folder)) {
        if (const std::optional<qint64> seconds = asideSeconds(name))
            newest = std::max(newest, *seconds);
    }
    return newest;
}

bool holdsBytes(FileSystem& files, const QString& path, const QByteArray& bytes) {
    const FileBytes existing = readWholeFile(files, path);
    return existing.state == FileBytes::State::Read && existing.bytes == bytes;
}

// Creates `path` with `bytes`, never replacing anything; 0 or the errno. The
// file appears complete (written aside, then linked into place), so a reader
// in another process never compares against half of it.
int writeNewFile(FileSystem& files, const QString& path, const QByteArray& bytes) {
    QByteArray draft = QFile::encodeName(QFileInfo(path).dir().filePath(draftPrefix + QStringLiteral("XXXXXX")));
    const int fd = files.mkostemp(draft.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = RegularFile::writeSyncClose(files, fd, bytes);
    const QByteArray target = QFile::encodeName(path);
    if (!error && files.link(draft.constData(), target.constData()) != 0) {
        error = errno;
        // File systems without hard links may still refuse to replace on rename.
        if ((error == EPERM || error == EOPNOTSUPP)
            && files.renameat2(draft.constData(), target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (error == EPERM || error == EOPNOTSUPP)
            error = errno;
    }
    files.unlink(draft.constData());
    return error;
}

// The copy that already holds exactly these bytes; empty when there is none.
QString alreadyKept(FileSystem& files, const QDir& folder, const QByteArray& bytes) {
    for (const QString& name : asideCopyNames(files, folder)) {
        const QString path = folder.filePath(name);
        struct stat info {};
        if (files.stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)
            && qint64(info.st_size) == bytes.size() && holdsBytes(files, path, bytes))
            return path;
    }
    return {};
}

// The kept copies are bounded, so that a file rewritten in place again and
// again (an editor, a sync tool) cannot fill the disk with them: at most this
// many, and together at most this many bytes; the newest is always kept.
constexpr int mostAsideCopies = 10;
constexpr qint64 mostAsideBytes = qint64(128) * 1024 * 1024;

// Removes the oldest kept copies past the bound, never `keep` (the one just
// made). Only plain files of this program's names count: a folder or a link
// moved aside is the user's to clear. Only a writer holding the exclusive lock
// may do this: no reader ever removes anything.
void boundAsideCopies(FileSystem& files, const QDir& folder, const QString& keep) {
    struct Copy {
        qint64 seconds;
        QString path;
        qint64 size;
    };
    QList<Copy> copies;
    for (const QString& name : asideCopyNames(files, folder)) {
        const std::optional<qint64> seconds = asideSeconds(name);
        struct stat info {};
        const QString path = folder.filePath(name);
        if (seconds && files.lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode))
            copies.append({*seconds, path, qint64(info.st_size)});
    }
    // Newest first: they are kept while they fit.
    std::ranges::sort(copies, std::greater<>(), &Copy::seconds);
    int count = 0;
    qint64 total = 0;
    for (const Copy& copy : copies) {
        if (copy.path == keep || (count < mostAsideCopies && total + copy.size <= mostAsideBytes)) {
            ++count;
            total += copy.size;
            continue;
        }
        if (files.unlink(QFile::encodeName(copy.path).constData()) != 0) {
            Log::storageError(QStringLiteral("cannot remove the old kept copy %1: %2")
                                  .arg(copy.path, SystemErrorText::inEnglish(errno)));
            continue;
        }
        Log::info(QStringLiteral("Sorvel: removed %1, the oldest copy kept aside, to keep at most %2 copies and %3 MiB")
                      .arg(copy.path)
                      .arg(mostAsideCopies)
                      .arg(mostAsideBytes / (1024 * 1024)));
    }
}

// Keeps a copy of the file's bytes for the user, once per distinct content. A
// name already taken by other bytes (two versions within one second, or
// another program's copy) moves on to the next number, which keeps the newest
// copy the one with the highest number; then the oldest copies past the bound
// go. The copy's path; empty (logged) when the bytes could not be kept. Only a
// writer holding the exclusive lock calls this, right before it replaces them.
QString copyAside(FileSystem& files, const QString& path, const QByteArray& bytes) {
    const QDir folder = QFileInfo(path).dir();
    if (const QString kept = alreadyKept(files, folder, bytes); !kept.isEmpty())
        return kept;
    qint64 seconds = std::max(QDateTime::currentSecsSinceEpoch(), newestAsideSeconds(files, folder));
    for (int attempt = 0; attempt < 1000; ++attempt, ++seconds) {
        const QString target = folder.filePath(asideName(seconds));
        const int error = writeNewFile(files, target, bytes);
        if (error == 0) {
            boundAsideCopies(files, folder, target);
            return target;
        }
        if (error != EEXIST) {
            Log::storageError(QStringLiteral("cannot keep a copy of %1 as %2: %3")
                                  .arg(path, QFileInfo(target).fileName(), SystemErrorText::inEnglish(error)));
            return {};
        }
        if (holdsBytes(files, target, bytes))
            return target;
    }
    Log::storageError(QStringLiteral("cannot keep a copy of %1: every name is taken").arg(path));
    return {};
}

// The first seconds a new copy's name may take: past the newest copy's, so
// that the copy just made is the newest.
qint64 nextAsideSeconds(FileSystem& files, const QDir& folder) {
    return std::max(QDateTime::currentSecsSinceEpoch(), newestAsideSeconds(files, folder) + 1);
}

// Puts something under the first free copy name in `folder` from `seconds`
// on: `place` makes it under the path it is given, and fails with EEXIST on
// a name already taken. The path; empty, with the errno in `error`, when
// nothing could be placed.
QString placeAside(const QDir& folder, qint64 seconds, const std::function<int(const QString& target)>& place,
                   int* error) {
    *error = EEXIST;
    for (int attempt = 0; attempt < 1000 && *error == EEXIST; ++attempt, ++seconds) {
        const QString target = folder.filePath(asideName(seconds));
        *error = place(target);
        if (*error == 0)
            return target;
    }
    return {};
}

// Moves the file out of the way under a free copy name, never replacing an
// existing copy; `movedTo` gets that name. Only a writer holding the exclusive
// lock may do this.
bool moveAside(FileSystem& files, const QString& path, QString* movedTo) {
    const QDir folder = QFileInfo(path).dir();
    int error = 0;
    const QString target = placeAside(
        folder, nextAsideSeconds(files, folder),
        [&](const QString& name) { return RegularFile::renameNoReplace(files, path, name); }, &error);
    if (target.isEmpty()) {
        Log::storageError(QStringLiteral("cannot move %1 aside: %2").arg(path, SystemErrorText::inEnglish(error)));
        return false;
    }
    Log::storageError(QStringLiteral("moved %1 aside to %2 before writing").arg(path, QFileInfo(target).fileName()));
    *movedTo = target;
    boundAsideCopies(files, folder, target);
    return true;
}

// Errors of the moment (descriptors, memory, an interrupted or busy call): the
// file is probably fine and is read again later rather than moved aside.
bool mayPass(int error) {
    switch (error) {
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ENOBUFS:
    case EAGAIN:
    case EINTR:
    case ETIMEDOUT:
    case ESTALE:
    case ENOLCK: return true;
    default: return false;
    }
}

// Reports a failed read once for each distinct error; a good read forgets them,
// so a failure that comes back is reported again.
class ReadFailures {
public:
    void report(const QString& description, void (*log)(const QString&)) {
        const QMutexLocker locker(&m_mutex);
        if (m_reported.size() > 100)
            m_reported.clear();
        if (!m_reported.contains(description)) {
            m_reported.insert(description);
            log(description);
        }
    }
    void forget() {
        const QMutexLocker locker(&m_mutex);
        m_reported.clear();
    }

private:
    QMutex m_mutex;
    QSet<QString> m_reported;
};

ReadFailures& readFailures() {
    static ReadFailures failures;
    return failures;
}

// What a read under the folder lock found, with what the writer needs.
struct Found {
    ReadResult result;
    QByteArray bytes; // Decoded or Undecodable: the file's bytes
    QStringList overriddenKeys; // Decoded: keys repeated within an object whose earlier values it does not hold
};

// The file's contents; the caller holds the folder lock. Never changes the
// data file: a file that cannot be read stays where it is.
Found readLocked(FileSystem& files, const QString& path) {
    Found found;
    FileBytes file = readWholeFile(files, path);
    switch (file.state) {
    case FileBytes::State::Missing: found.result = {ReadResult::Kind::Missing, Library{}, {}, {}}; return found;
    case FileBytes::State::Failed:
        found.result = {
            ReadResult::Kind::Unreadable, Library{}, {QStringLiteral("cannot read %1").arg(path), file.error}, {}};
        readFailures().report(found.result.error.text(), &Log::storageError);
        return found;
    case FileBytes::State::Read: break;
    }
    found.bytes = std::move(file.bytes);
    QString error;
    if (std::optional<Library> library =
            RecordCoding::decodeLibrary(found.bytes, file.modified, &error, &found.overriddenKeys)) {
        readFailures().forget();
        found.result = {ReadResult::Kind::Decoded, std::move(*library), {}, file.identity};
        return found;
    }
    // Nothing is copied here: a file being written in place reads as undecodable
    // again and again, and every reader would copy it. Its bytes are kept by the
    // writer that replaces them.
    found.result = {ReadResult::Kind::Undecodable, Library{}, {path + QStringLiteral(": ") + error, 0}, file.identity};
    readFailures().report(found.result.error.text(), &Log::decodeError);
    return found;
}

// Where a write of `path` lands: a link is written through to its target,
// as far as the chain of links goes, so that a linked data file stays linked.
QString writeTarget(FileSystem& files, const QString& path) {
    QString target = path;
    for (int depth = 0; depth < 40; ++depth) {
        std::optional<QString> next = RegularFile::linkTarget(files, target);
        if (!next)
            break;
        target = std::move(*next);
    }
    return target;
}

// The identity of what is at `path` now: none when nothing is; an error
// other than that leaves it unknown (the outer optional empty).
std::optional<std::optional<FileIdentity>> identityAt(FileSystem& files, const QString& path) {
    struct stat info {};
    if (files.stat(QFile::encodeName(path).constData(), &info) == 0)
        return std::optional<FileIdentity>(identityOf(info));
    if (errno == ENOENT)
        return std::optional<FileIdentity>();
    return std::nullopt;
}

// Whether the write `mark` was made for replaced the data file: not while
// its draft or the file it replaces is still there. None when that cannot
// be told now.
std::optional<bool> hasLanded(FileSystem& files, const WriteMark& mark) {
    const QString target = writeTarget(files, filePath());
    const auto draft = identityAt(files, QFileInfo(target).dir().filePath(mark.draftName));
    const auto current = identityAt(files, target);
    if (!draft || !current)
        return std::nullopt;
    return *draft != mark.draft && *current != mark.replaced;
}

// The mode a new file gets: what the process's umask allows of rw-rw-rw-.
// Read where the system tells it without changing it (umask() would, for
// an instant, for every thread); 0644 where it does not.
mode_t newFileMode(FileSystem& files) {
    if (const std::optional<QByteArray> status = RegularFile::readAll(files, QStringLiteral("/proc/self/status"))) {
        for (const QByteArray& line : status->split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(0666 & ~mask);
            }
        }
    }
    return mode_t(0644);
}

// Makes a rename in `folder` survive a crash; 0 or the errno. The data
// folder's own descriptor is the lock's; a linked file's folder is opened.
int syncFolder(FileSystem& files, const QString& folder, const QString& lockedFolder, const FolderLock& lock) {
    return QDir::cleanPath(folder) == QDir::cleanPath(lockedFolder) ? lock.sync()
                                                                    : RegularFile::syncFolder(files, folder);
}

// NotDurable: the draft replaced the file, but its folder could not be
// synced, so the rename may not outlive a crash of the system. The file holds
// the new bytes all the same: readers, and the next merge, find them.
enum class Written { Done, NotDurable, Failed, FolderReplaced, FileReplaced };

bool hasReplaced(Written written) {
    return written == Written::Done || written == Written::NotDurable;
}

// Whether a body run under the lock is done, or must start again: the data
// folder was replaced by another one while it ran, or the data file was
// replaced or changed by a program that writes without the lock.
enum class Pass { Done, FolderReplaced, FileReplaced };

Pass passOf(Written written) {
    switch (written) {
    case Written::FolderReplaced: return Pass::FolderReplaced;
    case Written::FileReplaced: return Pass::FileReplaced;
    case Written::Done:
    case Written::NotDurable:
    case Written::Failed: break;
    }
    return Pass::Done;
}

// What is at `name` itself (a link is not followed); none when nothing is or it cannot be told.
std::optional<FileIdentity> entryIdentity(FileSystem& files, const QByteArray& name) {
    struct stat info {};
    return files.lstat(name.constData(), &info) == 0 ? std::optional<FileIdentity>(identityOf(info)) : std::nullopt;
}

enum class Replaced { Done, Changed, Failed };

// Another program's data file that a swap took out of the data file's place
// and that stands under a draft's name: kept for the user as a
// projects-unreadable copy, never removed as a draft; left where it is (and
// logged) when it cannot be moved.
void keepTakenOut(FileSystem& files, const QString& path) {
    QString keptAs;
    if (moveAside(files, path, &keptAs))
        Log::storageError(QStringLiteral("%1 held another program's data file, taken out of its place by a write; "
                                         "it is kept as %2")
                              .arg(path, QFileInfo(keptAs).fileName()));
    else
        Log::storageError(QStringLiteral("another program's data file is left as %1").arg(path));
}

// Puts the draft in the target's place only while the target is still the
// file the write read (`expected`; none when there was none), so that a file
// another program renamed there meanwhile without the lock is read and
// merged by the next pass rather than overwritten. No draft of this write is
// left behind unless Done; Failed sets `error`.
//
// Where the file system swaps two names atomically, the draft and the target
// are swapped and what was swapped out is compared: no instant lies between
// the check and the replace. A swap that took out another file is undone
// (a reader without the lock may see the draft for that instant, but nothing
// is lost). Elsewhere the target is compared right before the rename, which
// leaves the instant between the two calls.
Replaced replaceIfUnchanged(FileSystem& files, const QByteArray& draft, const QByteArray& target,
                            const std::optional<FileIdentity>& expected, const FileIdentity& drafted, int* error,
                            const std::function<void()>& passed) {
    const auto failed = [&](int number) {
        *error = number;
        files.unlink(draft.constData());
        return Replaced::Failed;
    };
    const auto changed = [&] {
        files.unlink(draft.constData());
        return Replaced::Changed;
    };
    if (!expected) {
        // The rename itself refuses a file that appeared meanwhile.
        const int renamed = RegularFile::renameNoReplace(files, QFile::decodeName(draft), QFile::decodeName(target));
        if (renamed == EEXIST)
            return changed();
        if (renamed != 0)
            return failed(renamed);
        passed();
        return Replaced::Done;
    }
    if (files.renameat2(draft.constData(), target.constData(), RENAME_EXCHANGE) != 0) {
        const int swapError = errno;
        if (swapError == ENOENT) // the file read is gone
            return changed();
        if (swapError != EINVAL && swapError != ENOSYS && swapError != EOPNOTSUPP)
            return failed(swapError);
        struct stat current {};
        if (files.stat(target.constData(), &current) != 0)
            return errno == ENOENT ? changed() : failed(errno);
        if (identityOf(current) != *expected)
            return changed();
        if (files.rename(draft.constData(), target.constData()) != 0)
            return failed(errno);
        passed();
        return Replaced::Done;
    }
    passed();
    if (entryIdentity(files, draft) == expected) {
        // The write counts from the swap on: a file read that cannot be
        // removed now is a stale draft, removed at a later start.
        files.unlink(draft.constData());
        passed();
        return Replaced::Done;
    }
    // Another program's file: back in its place, to be read at the next pass.
    if (files.renameat2(draft.constData(), target.constData(), RENAME_EXCHANGE) == 0) {
        passed();
        if (entryIdentity(files, draft) == drafted)
            return changed();
    }
    // Yet another file came in between the two swaps. What stands under the
    // draft's name is not this write's: it is kept, not removed as a draft.
    Log::storageError(
        QStringLiteral("%1 was replaced twice by other programs while being written").arg(QFile::decodeName(target)));
    keepTakenOut(files, QFile::decodeName(draft));
    return Replaced::Changed;
}

// Atomic: the file is either the old or the new whole text. The new text is
// written and synced in a temporary file beside the target, then put in its
// place only while the target is still `replacing` (the file the write read,
// none when there was none), and the rename is synced in its folder before
// the write counts as done (NotDurable, with `why` set and logged, when that
// sync fails). `carried` records the draft's rename before it happens (Carried).
Written writeLocked(FileSystem& files, const QString& path, const QByteArray& bytes, const FolderLock& lock,
                    FileError* why, const std::optional<FileIdentity>& replacing, Carried* carried = nullptr) {
    const auto fail = [&](int error, const QString& what = {}, const QString& where = {}) {
        const QString& place = where.isEmpty() ? path : where;
        *why = {what.isEmpty() ? place : place + QStringLiteral(": ") + what, error};
        Log::writeError(why->text());
        return Written::Failed;
    };
    const auto passed = [carried] {
        if (carried)
            passedStep();
    };
    const QString target = writeTarget(files, path);
    struct stat existing {};
    const bool exists = files.stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return fail(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL);

    QByteArray draft = QFile::encodeName(QFileInfo(target).dir().filePath(draftPrefix + QStringLiteral("XXXXXX")));
    const int fd = files.mkostemp(draft.data(), O_CLOEXEC);
    if (fd < 0) {
        // A folder that may not be written is named as such (a missing one,
        // as a link's, leaves the file named).
        const int error = errno;
        const bool folderRefused = error == EROFS || error == EACCES || error == EPERM;
        return fail(error, {}, folderRefused ? QFileInfo(target).absolutePath() : QString());
    }
    passed();
    // The new file takes the old one's place for everyone who shares it.
    int error = exists ? RegularFile::setGroupAndMode(files, fd, existing.st_gid, existing.st_mode & 07777, path)
                       : (files.fchmod(fd, newFileMode(files)) == 0 ? 0 : errno);
    if (!error && !RegularFile::writeAll(files, fd, bytes.constData(), bytes.size()))
        error = errno;
    passed();
    // Some file systems report a full disk only at the sync; the old file must
    // stay until the new one is surely complete.
    if (!error && files.fsync(fd) != 0)
        error = errno;
    passed();
    struct stat drafted {};
    if (!error && files.fstat(fd, &drafted) != 0)
        error = errno;
    if (files.close(fd) != 0 && !error)
        error = errno;
    // The lock covers the folder it was taken on: one put in its place
    // meanwhile may be another writer's, so the write starts again there.
    if (!error && !lock.stillNames(directory())) {
        files.unlink(draft.constData());
        return Written::FolderReplaced;
    }
    // Named after the file it replaces and itself before the swap, so that
    // whatever a kill leaves under its name tells whose it is.
    if (!error && replacing) {
        QByteArray named =
            QFile::encodeName(QFileInfo(target).dir().filePath(swapDraftName(*replacing, identityOf(drafted))));
        error = RegularFile::renameNoReplace(files, QFile::decodeName(draft), QFile::decodeName(named));
        if (!error) {
            draft = std::move(named);
            passed();
        }
    }
    bool marked = false;
    if (!error && carried) {
        const WriteMark mark{replacing, QFileInfo(QFile::decodeName(draft)).fileName(), identityOf(drafted)};
        error = carried->replacing(mark);
        marked = error == 0;
    }
    if (error) {
        files.unlink(draft.constData());
        return fail(error);
    }
    holdBeforeReplacing();
    switch (
        replaceIfUnchanged(files, draft, QFile::encodeName(target), replacing, identityOf(drafted), &error, passed)) {
    case Replaced::Done: break;
    case Replaced::Changed:
        if (marked)
            carried->notReplaced();
        return Written::FileReplaced;
    case Replaced::Failed:
        if (marked)
            carried->notReplaced();
        return fail(error);
    }
    error = syncFolder(files, QFileInfo(target).absolutePath(), QFileInfo(path).absolutePath(), lock);
    passed();
    const bool synced = error == 0;
    if (carried)
        carried->replaced(synced);
    if (!synced) {
        fail(error, QStringLiteral("written, but the folder could not be synced"));
        return Written::NotDurable;
    }
    return Written::Done;
}

// How often a body starts again on a data folder, or a data file, that keeps being replaced.
constexpr int mostPasses = 8;

// How a coordinated call ended.
enum class Coordinated { Ran, Busy, Failed };

// Runs body with the data file's path while this process holds the folder
// lock, again from the start when the folder or the file was replaced
// meanwhile. Busy when another program held the folder for longer than
// `waiter` waits; Failed (the error logged and in `why`) when the lock could
// not be taken otherwise, or the body had to start again too often.
Coordinated coordinate(FileSystem& files, FolderLock::Mode mode, const FolderLock::Waiter& waiter,
                       const std::function<Pass(const QString& path, const FolderLock& lock)>& body,
                       FileError* why = nullptr) {
    const QString folder = directory();
    Pass last = Pass::FolderReplaced;
    for (int pass = 0; pass < mostPasses; ++pass) {
        RegularFile::makePath(files, folder);
        const FolderLock lock(files, folder, mode, waiter);
        if (!lock.isLocked()) {
            if (!lock.isHeldElsewhere())
                readFailures().report(lock.error().text(), &Log::storageError);
            if (why)
                *why = lock.error();
            return lock.isHeldElsewhere() ? Coordinated::Busy : Coordinated::Failed;
        }
        // Moved away between the folder's opening and its lock.
        last = lock.stillNames(folder) ? body(filePath(), lock) : Pass::FolderReplaced;
        if (last == Pass::Done)
            return Coordinated::Ran;
    }
    // Nothing was written: the next try reads whatever is there by then. The
    // window says the file is in use by someone else, in the system's words.
    const bool fileReplaced = last == Pass::FileReplaced;
    Log::storageError(
        fileReplaced
            ? QStringLiteral("%1 was replaced again and again by another program while being written").arg(filePath())
            : QStringLiteral("the data folder %1 was replaced again and again while in use").arg(folder));
    if (why)
        *why = {fileReplaced ? filePath() : folder, EBUSY};
    return Coordinated::Failed;
}

// What stood in the data file's place, kept aside by a write before it replaces it.
struct KeptAside {
    QString path; // where it is kept; empty when nothing was
    // Moved out of the place, which the draft then takes as a free one. Else
    // the file itself under a second name, still in its place: the write
    // replaces it only while it is still `file`.
    bool moved = false;
    std::optional<FileIdentity> file;
};

// The copy name in `folder` that is already a name of the file `info`
// describes; empty when there is none.
QString asideNameOf(FileSystem& files, const QDir& folder, const struct stat& info) {
    for (const QString& name : asideCopyNames(files, folder)) {
        const QString path = folder.filePath(name);
        struct stat copy {};
        if (files.lstat(QFile::encodeName(path).constData(), &copy) == 0 && copy.st_dev == info.st_dev
            && copy.st_ino == info.st_ino)
            return path;
    }
    return {};
}

// Keeps what stands in the data file's place under a free copy name, for the
// user, before the write replaces it. A file gets a second name there (a hard
// link; of its target, for a linked data file), so that the data file is in
// its place at every instant: a kill before the write's rename leaves it as
// it was. A file already kept under a copy name (by an earlier try that did
// not land) keeps that one. Anything else in the place (a folder, a pipe, a
// link that leads nowhere) is no data file, and cannot have a second name: it
// is moved out of the way. A file that cannot have one (a file system without
// hard links, a linked target on another device, another user's file under
// the system's link protection) is not moved either, since a kill between the
// move and the write would leave no data file and the next start an empty
// shelf: false (logged), and nothing is written. Only a writer holding the
// exclusive lock may do this.
bool keepAside(FileSystem& files, const QString& path, KeptAside* kept) {
    const QByteArray target = QFile::encodeName(writeTarget(files, path));
    const QDir folder = QFileInfo(path).dir();
    struct stat info {};
    if (files.stat(target.constData(), &info) != 0) {
        const int error = errno;
        if (error != ENOENT && error != ELOOP) {
            Log::storageError(QStringLiteral("cannot keep %1 aside: %2").arg(path, SystemErrorText::inEnglish(error)));
            return false;
        }
    }
    if (!S_ISREG(info.st_mode)) {
        kept->moved = true;
        return moveAside(files, path, &kept->path);
    }
    QString name = asideNameOf(files, folder, info);
    if (name.isEmpty()) {
        int error = 0;
        name = placeAside(
            folder, nextAsideSeconds(files, folder),
            [&](const QString& aside) {
                return files.link(target.constData(), QFile::encodeName(aside).constData()) == 0 ? 0 : errno;
            },
            &error);
        if (name.isEmpty()) {
            Log::storageError(QStringLiteral("cannot keep %1 aside under a second name: %2")
                                  .arg(path, SystemErrorText::inEnglish(error)));
            return false;
        }
        boundAsideCopies(files, folder, name);
    }
    struct stat linked {};
    if (files.lstat(QFile::encodeName(name).constData(), &linked) != 0) {
        const int error = errno;
        Log::storageError(QStringLiteral("cannot keep %1 aside as %2: %3")
                              .arg(path, QFileInfo(name).fileName(), SystemErrorText::inEnglish(error)));
        return false;
    }
    Log::storageError(QStringLiteral("kept %1 as %2 before writing over it").arg(path, QFileInfo(name).fileName()));
    kept->path = name;
    kept->file = identityOf(linked);
    return true;
}

// Drops the second name a write gave the file in the data file's place, when
// it did not replace that file after all and the file is still there: its
// bytes are in their place, and the folder is left as it was. False when the
// name stays: another program's file took the place meanwhile, and the copy
// holds the only name of the bytes it replaced. (A rename of another
// program's landing in the instant between the look and the unlink leaves the
// file it replaced, without the lock, with no name.)
bool dropSecondName(FileSystem& files, const QString& path, const KeptAside& kept) {
    const std::optional<std::optional<FileIdentity>> current = identityAt(files, writeTarget(files, path));
    const bool stillThere = current && *current && kept.file && (*current)->device == kept.file->device
        && (*current)->inode == kept.file->inode;
    return stillThere && files.unlink(QFile::encodeName(kept.path).constData()) == 0;
}

// Keeps what the write is about to replace, when nobody has read it. False when
// it could not be kept: the write must not happen. `aside` says where the file
// (or what stood in its place) is kept, when it was; `keptAs` names the copy of
// an undecodable file's bytes. An empty file holds nothing to keep.
bool keepUnreadBytes(FileSystem& files, const QString& path, const Found& found, bool keepDecoded, KeptAside* aside,
                     QString* keptAs, FileError* why) {
    switch (found.result.kind) {
    case ReadResult::Kind::Missing: return true;
    case ReadResult::Kind::Decoded:
        if (!keepDecoded || !copyAside(files, path, found.bytes).isEmpty() || keepAside(files, path, aside))
            return true;
        break;
    case ReadResult::Kind::Undecodable:
        if (found.bytes.isEmpty())
            return true;
        *keptAs = copyAside(files, path, found.bytes);
        if (!keptAs->isEmpty()) {
            Log::storageError(QStringLiteral("%1 does not decode; kept its bytes as %2 before writing")
                                  .arg(path, QFileInfo(*keptAs).fileName()));
            return true;
        }
        if (keepAside(files, path, aside))
            return true;
        break;
    case ReadResult::Kind::Unreadable:
        if (!mayPass(found.result.error.number) && keepAside(files, path, aside))
            return true;
        break;
    case ReadResult::Kind::Busy: break; // a read under the lock is never busy
    }
    *why = found.result.error.isEmpty() ? FileError{QStringLiteral("cannot keep a copy of %1").arg(path), 0}
                                        : found.result.error;
    return false;
}

// A decoded file that repeats a key within an object with other values reads
// as the last of them; a write drops the others, so the file's bytes are kept
// first. False when they could not be: the write must not happen.
bool keepOverriddenValues(FileSystem& files, const QString& path, const Found& found, QString* keptAs, FileError* why) {
    if (found.overriddenKeys.isEmpty())
        return true;
    *keptAs = copyAside(files, path, found.bytes);
    const QString keys = QLatin1Char('"') + found.overriddenKeys.join(QStringLiteral("\", \"")) + QLatin1Char('"');
    if (keptAs->isEmpty()) {
        *why = {QStringLiteral("%1 repeats %2 within an object and no copy of it could be kept").arg(path, keys), 0};
        Log::storageError(why->text());
        return false;
    }
    Log::storageError(QStringLiteral("%1 repeats %2 within an object with other values, of which only the last was "
                                     "read; kept its bytes as %3 before writing")
                          .arg(path, keys, QFileInfo(*keptAs).fileName()));
    return true;
}

bool isDraftName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^\\.sorvel-draft-[A-Za-z0-9]{6}$"));
    return pattern.match(name).hasMatch();
}

// Removes the drafts in `folder` that an interrupted write left: this
// program's names only, and only a minute after they were last written. A
// swap draft is removed only when it is provably the draft or the file the
// write read; anything else under its name is another program's file that
// a write was cut short before putting back, and is kept.
void removeStaleDraftsIn(FileSystem& files, const QDir& folder) {
    const qint64 oldest = QDateTime::currentSecsSinceEpoch() - 60;
    for (const QString& name : RegularFile::namesIn(files, folder.path(), draftPrefix)) {
        const QString path = folder.filePath(name);
        const QByteArray encoded = QFile::encodeName(path);
        const std::optional<SwapDraft> swap = swapDraftOf(name);
        struct stat info {};
        if ((!swap && !isDraftName(name)) || files.lstat(encoded.constData(), &info) != 0 || !S_ISREG(info.st_mode)
            || info.st_mtim.tv_sec >= oldest)
            continue;
        if (!swap || identityOf(info) == swap->read || identityOf(info) == swap->draft)
            files.unlink(encoded.constData());
        else
            keepTakenOut(files, path);
    }
}

} // namespace

QString directory() {
    return DataFolder::directory();
}

QString filePath() {
    return DataFolder::filePath();
}

ReadResult read(FileSystem& files, const FolderLock::Waiter& waiter) {
    ReadResult result{ReadResult::Kind::Unreadable, Library{}, {}, {}};
    const Coordinated ran = coordinate(
        files, FolderLock::Mode::Read, waiter,
        [&](const QString& path, const FolderLock&) {
            result = readLocked(files, path).result;
            return Pass::Done;
        },
        &result.error);
    if (ran == Coordinated::Busy)
        result.kind = ReadResult::Kind::Busy;
    return result;
}

Library load(FileSystem& files) {
    return read(files).library;
}

bool save(FileSystem& files, const Library& library) {
    bool written = false;
    coordinate(files, FolderLock::Mode::Write, FolderLock::patientFor(FolderLock::usualPatienceMs),
               [&](const QString& path, const FolderLock& lock) {
                   FileError why;
                   // Replaces whatever the file holds now, as long as nothing replaces it meanwhile.
                   const auto current = identityAt(files, writeTarget(files, path));
                   const Written outcome = writeLocked(files, path, RecordCoding::encodeLibrary(library), lock, &why,
                                                       current.value_or(std::nullopt));
                   written = hasReplaced(outcome);
                   return passOf(outcome);
               });
    return written;
}

SaveResult save(FileSystem& files, const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                const FolderLock::Waiter& waiter, Carried* carried,
                const std::optional<FileIdentity>& stillUndecodable) {
    SaveResult result;
    // A file kept under a second name stays kept when the write starts again.
    QString keptEarlier;
    const Coordinated ran = coordinate(
        files, FolderLock::Mode::Write, waiter,
        [&](const QString& path, const FolderLock& lock) {
            result.error = {};
            Found found = readLocked(files, path);
            // An error of the disk may not come again: the file is read once
            // more before it is set aside unread, so that what other programs
            // put in it is merged rather than left only in the copy.
            if (found.result.kind == ReadResult::Kind::Unreadable && !mayPass(found.result.error.number))
                found = readLocked(files, path);
            result.waitsForQuiet =
                found.result.kind == ReadResult::Kind::Undecodable && found.result.identity != stillUndecodable;
            if (result.waitsForQuiet) {
                result.undecodable = found.result.identity;
                result.error = found.result.error;
                return Pass::Done;
            }
            KeptAside aside;
            result.repeatsKeptAs.clear();
            result.undecodableKeptAs.clear();
            if (!keepUnreadBytes(files, path, found, keepDecodedAside, &aside, &result.undecodableKeptAs, &result.error)
                || !keepOverriddenValues(files, path, found, &result.repeatsKeptAs, &result.error))
                return Pass::Done;
            const bool decoded = found.result.kind == ReadResult::Kind::Decoded;
            Library library = resolve(decoded ? &found.result.library : nullptr);
            const QByteArray bytes = RecordCoding::encodeLibrary(library);
            // What was moved aside is out of the way: the draft takes a free
            // place. A file kept under a second name is still in its place, and
            // is replaced only while it is still the file read (the file kept,
            // when it could not be read).
            const std::optional<FileIdentity> replacing =
                aside.moved ? std::nullopt : (found.result.identity ? found.result.identity : aside.file);
            const Written outcome = writeLocked(files, path, bytes, lock, &result.error, replacing, carried);
            if (hasReplaced(outcome)) {
                result.written = true;
                result.notDurable = outcome == Written::NotDurable;
                struct stat written {};
                const QDateTime modified = files.stat(QFile::encodeName(path).constData(), &written) == 0
                    ? modificationTime(written)
                    : QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
                std::optional<Library> held = RecordCoding::decodeLibrary(bytes, modified);
                result.library = held ? std::move(*held) : library;
                result.resolved = std::move(library);
                result.movedAsideTo = aside.path.isEmpty() ? keptEarlier : aside.path;
            } else if (aside.moved) {
                // Nothing new took its place: it goes back, so that the next
                // try (and every reader meanwhile) still finds it.
                const int error = RegularFile::renameNoReplace(files, aside.path, path);
                if (error != 0)
                    Log::storageError(QStringLiteral("cannot move %1 back to %2: %3")
                                          .arg(aside.path, path, SystemErrorText::inEnglish(error)));
            } else if (!aside.path.isEmpty() && !dropSecondName(files, path, aside)) {
                keptEarlier = aside.path;
            }
            return passOf(outcome);
        },
        &result.error);
    result.folderBusy = ran == Coordinated::Busy;
    return result;
}

bool lookBack(FileSystem& files,
              const std::function<void(const std::function<std::optional<bool>(const WriteMark&)>& landed)>& body,
              const FolderLock::Waiter& waiter) {
    return coordinate(files, FolderLock::Mode::Write, waiter,
                      [&](const QString&, const FolderLock&) {
                          body([&files](const WriteMark& mark) { return hasLanded(files, mark); });
                          return Pass::Done;
                      })
        == Coordinated::Ran;
}

Change change(FileSystem& files, const std::function<void(Library&)>& body, const FolderLock::Waiter& waiter,
              FileError* failure) {
    Change outcome = Change::NotWritten;
    FileError why;
    const Coordinated ran = coordinate(
        files, FolderLock::Mode::Write, waiter,
        [&](const QString& path, const FolderLock& lock) {
            outcome = Change::NotWritten;
            why = {};
            const Found current = readLocked(files, path);
            if (current.result.kind == ReadResult::Kind::Undecodable
                || current.result.kind == ReadResult::Kind::Unreadable)
                return Pass::Done;
            Library changed = current.result.library;
            body(changed);
            // A change that found nothing to change leaves the file (or its absence) alone.
            if (changed == current.result.library) {
                outcome = Change::Unchanged;
                return Pass::Done;
            }
            QString keptAs;
            if (!keepOverriddenValues(files, path, current, &keptAs, &why))
                return Pass::Done;
            const Written written =
                writeLocked(files, path, RecordCoding::encodeLibrary(changed), lock, &why, current.result.identity);
            // A change that is in the file counts as made, durable or not
            // (the failed sync is logged): made again, it would count twice.
            if (hasReplaced(written))
                outcome = Change::Written;
            return passOf(written);
        },
        &why);
    if (ran == Coordinated::Busy)
        return Change::FolderBusy;
    if (outcome == Change::NotWritten && failure)
        *failure = why;
    return outcome;
}

bool mutate(FileSystem& files, const std::function<void(Library&)>& body) {
    return change(files, body) == Change::Written;
}

// A swap draft's name follows from the two identities the mark holds: only
// the draft's is written after the replaced file's. Any other draft's name
// goes before its identity.
QString WriteMark::text() const {
    const QString head = (replaced ? markFileSign + identityText(*replaced) : markNoFile) + QLatin1Char('_');
    if (replaced && draftName == swapDraftName(*replaced, draft))
        return head + identityText(draft);
    return head + draftName.mid(draftPrefix.size()) + QLatin1Char('.') + identityText(draft);
}

std::optional<WriteMark> WriteMark::fromText(const QString& text) {
    const QStringList halves = text.split(QLatin1Char('_'));
    if (halves.size() != 2 || halves[1].size() < 8)
        return std::nullopt;
    WriteMark mark;
    if (halves[0].startsWith(markFileSign)) {
        mark.replaced = identityFromText(halves[0].mid(markFileSign.size()));
        if (!mark.replaced)
            return std::nullopt;
    } else if (halves[0] != markNoFile) {
        return std::nullopt;
    }
    if (const std::optional<FileIdentity> swapped = identityFromText(halves[1])) {
        if (!mark.replaced)
            return std::nullopt;
        mark.draft = *swapped;
        mark.draftName = swapDraftName(*mark.replaced, mark.draft);
        return mark;
    }
    mark.draftName = draftPrefix + halves[1].left(6);
    const std::optional<FileIdentity> draft = identityFromText(halves[1].mid(7));
    if (!isDraftName(mark.draftName) || halves[1].at(6) != QLatin1Char('.') || !draft)
        return std::nullopt;
    mark.draft = *draft;
    return mark;
}

bool hasKeptAsideCopy(FileSystem& files) {
    return !asideCopyNames(files, QDir(directory())).isEmpty();
}

void removeStaleDrafts(FileSystem& files, const FolderLock::Waiter& waiter) {
    if (!RegularFile::isFolder(files, directory()))
        return;
    coordinate(files, FolderLock::Mode::Write, waiter, [&](const QString& path, const FolderLock&) {
        // Drafts are written beside the file they replace: through a linked
        // data file, that is the folder of the link's target.
        QSet<QString> folders{QFileInfo(path).absolutePath(), QFileInfo(writeTarget(files, path)).absolutePath()};
        for (const QString& folder : std::as_const(folders))
            removeStaleDraftsIn(files, QDir(folder));
        return Pass::Done;
    });
}

} // namespace sorvel::Storage
