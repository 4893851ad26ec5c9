#include "app/store/RescueCopy.h"

#include "core/DataFolder.h"
#include "core/LibraryMerge.h"
#include "core/Log.h"
#include "core/RecordCoding.h"
#include "core/RegularFile.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <tuple>
#include <unistd.h>

namespace sorvel::RescueCopy {

namespace {

constexpr int maxNameTries = 1000;
const QString rescuedPrefix = QStringLiteral("projects-rescued-");
const QString restoredPrefix = QStringLiteral("projects-restored-");
const QString suffix = QStringLiteral(".json");
// The member that a rescue file holds beside the data file's own: the library
// the unsaved one grew from. Readers of the data file pass over it.
const QString baseKey = QStringLiteral("rescuedFrom");

// 0 or the errno; EEXIST when the name is taken.
int writeNew(const QString& path, const QByteArray& bytes) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    int error = RegularFile::writeSyncClose(fd, bytes);
    if (error)
        ::unlink(QFile::encodeName(path).constData());
    return error;
}

// `stem`.json, else `stem`-2.json, -3 … : the first name `place` takes; 0
// or the errno of the last try. `path` gets the name last tried.
int placeUnderFreeName(const QString& stem, const std::function<int(const QString& path)>& place, QString* path) {
    int error = EEXIST;
    for (int number = 1; number <= maxNameTries && error == EEXIST; ++number) {
        *path = stem + (number == 1 ? QString() : QLatin1Char('-') + QString::number(number)) + suffix;
        error = place(*path);
    }
    return error;
}

// Where a rescue file's name puts it among the others: by the time in its
// name, then by the number added to a taken name (none, -2, … -10: not as
// text, where "-2.json" comes before ".json" and "-10" before "-9"). A name
// of any other shape goes by its text after those.
std::tuple<bool, QString, int, QString> madeOrder(const QString& name) {
    static const QRegularExpression shape(
        QStringLiteral("^%1(\\d{8}-\\d{6})(?:-(\\d+))?%2$")
            .arg(QRegularExpression::escape(rescuedPrefix), QRegularExpression::escape(suffix)));
    const QRegularExpressionMatch match = shape.match(name);
    if (!match.hasMatch())
        return {true, name, 0, name};
    const int number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return {false, match.captured(1), number, name};
}

// The bytes of a rescue file: the unsaved library as a data file, which
// also holds its base.
QByteArray encode(const std::optional<Library>& base, const Library& unsaved) {
    QByteArray bytes = RecordCoding::encodeLibrary(unsaved);
    const qsizetype open = bytes.indexOf('{');
    bytes.insert(open + 1,
                 QByteArrayLiteral("\n\"") + baseKey.toUtf8() + QByteArrayLiteral("\": ")
                     + (base ? RecordCoding::encodeLibrary(*base) : QByteArrayLiteral("null"))
                     + QByteArrayLiteral(","));
    return bytes;
}

struct Rescued {
    std::optional<Library> base;
    Library unsaved;
};

// A rescue file; one without a base (made before any read, or by an earlier
// version) is an unsaved library that only adds and changes. Records without
// dates take the copy's own time, as a data file's take the file's.
std::optional<Rescued> decode(const QByteArray& bytes, const QDateTime& madeAt) {
    std::optional<Library> unsaved = RecordCoding::decodeLibrary(bytes, madeAt);
    if (!unsaved)
        return std::nullopt;
    const QJsonValue base = QJsonDocument::fromJson(bytes).object().value(baseKey);
    if (!base.isObject())
        return Rescued{std::nullopt, std::move(*unsaved)};
    std::optional<Library> decodedBase =
        RecordCoding::decodeLibrary(QJsonDocument(base.toObject()).toJson(QJsonDocument::Compact), madeAt);
    if (!decodedBase)
        return std::nullopt;
    return Rescued{std::move(decodedBase), std::move(*unsaved)};
}

// What a copy made before any read merges from: the program started from no
// projects and the default types, and whatever it no longer holds of those it
// did not delete from a file it never saw.
Library baseBeforeAnyRead(const Library& unsaved) {
    Library base{{}, {}};
    for (const ProjectType& type : ProjectType::defaults()) {
        if (std::any_of(unsaved.types.cbegin(), unsaved.types.cend(),
                        [&](const ProjectType& held) { return held.id == type.id; }))
            base.types << type;
    }
    return base;
}

// Merges one rescue file into the data file and renames it; false when it
// stays for a later start.
bool restore(const QString& path, const FolderLock::Waiter& waiter) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<Rescued> rescued = decode(
        file.readAll(), QDateTime::fromSecsSinceEpoch(QFileInfo(path).lastModified().toSecsSinceEpoch(), Qt::UTC));
    file.close();
    if (!rescued) {
        Log::storageError(QStringLiteral("the rescue copy %1 cannot be read; it stays where it is").arg(path));
        return false;
    }
    const Library base = rescued->base ? *rescued->base : baseBeforeAnyRead(rescued->unsaved);
    const Storage::SaveResult saved = Storage::save(
        [&](const Library* found) {
            return found ? LibraryMerge::merge(base, *found, rescued->unsaved) : rescued->unsaved;
        },
        false, waiter);
    if (!saved.written)
        return false;
    retire(path, QStringLiteral("merged the rescue copy %1 into the data file").arg(path));
    return true;
}

} // namespace

QString folder() {
    return DataFolder::stateHome() + QStringLiteral("/Sorvel");
}

FileOutcome write(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at) {
    const QString target = folder();
    errno = 0;
    if (!QDir().mkpath(target))
        return FileOutcome::failure(errno != 0 ? errno : EACCES, target); // the failed mkdir's errno
    const QByteArray bytes = encode(base, unsaved);
    QString path;
    const int error = placeUnderFreeName(
        target + QLatin1Char('/') + rescuedPrefix + at.toString(QStringLiteral("yyyyMMdd-HHmmss")),
        [&](const QString& name) { return writeNew(name, bytes); }, &path);
    if (error != 0)
        return FileOutcome::failure(error, path); // EEXIST: every name up to this one is taken
    return {path};
}

void retire(const QString& path, const QString& what) {
    const QString name = QFileInfo(path).completeBaseName();
    const QString stem = QFileInfo(path).dir().filePath(restoredPrefix + name.mid(rescuedPrefix.size()));
    QString restoredAt;
    const int error = placeUnderFreeName(
        stem, [&](const QString& target) { return RegularFile::renameNoReplace(path, target); }, &restoredAt);
    if (error != 0) {
        Log::storageError(QStringLiteral("%1, but cannot rename it: %2").arg(what, SystemErrorText::inEnglish(error)));
        return;
    }
    Log::info(QStringLiteral("Sorvel: %1; it is now %2").arg(what, restoredAt));
}

int restoreAll(const FolderLock::Waiter& waiter) {
    const QDir rescues(folder());
    QStringList names = rescues.entryList({rescuedPrefix + QLatin1Char('*') + suffix}, QDir::Files);
    // Oldest first: a later rescue's values win over an earlier one's.
    std::ranges::sort(names, {}, madeOrder);
    int restored = 0;
    for (const QString& name : std::as_const(names)) {
        if (restore(rescues.filePath(name), waiter))
            ++restored;
    }
    return restored;
}

} // namespace sorvel::RescueCopy
