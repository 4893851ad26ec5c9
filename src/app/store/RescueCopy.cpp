#include "app/store/RescueCopy.h"

#include "core/DataFolder.h"
#include "core/Log.h"
#include "core/RecordCoding.h"
#include "core/RegularFile.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
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
// And the progress steps of the unsaved library (KeptSteps); copies made
// before it was added have none.
const QString stepsKey = QStringLiteral("progressSteps");

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
QByteArray encode(const std::optional<Library>& base, const Library& unsaved, const KeptSteps& steps) {
    QByteArray bytes = RecordCoding::encodeLibrary(unsaved);
    const qsizetype open = bytes.indexOf('{');
    QByteArray members = QByteArrayLiteral("\n\"") + baseKey.toUtf8() + QByteArrayLiteral("\": ")
        + (base ? RecordCoding::encodeLibrary(*base) : QByteArrayLiteral("null")) + QByteArrayLiteral(",");
    if (!steps.steps.steps().isEmpty()) {
        QJsonArray list;
        for (const ProgressSteps::Step& step : steps.steps.steps())
            list.append(QJsonObject{{QStringLiteral("project"), RecordCoding::idText(step.project)},
                                    {QStringLiteral("delta"), step.delta},
                                    {QStringLiteral("revision"), qint64(step.revision)}});
        const QJsonObject kept{{QStringLiteral("run"), RecordCoding::idText(steps.run)},
                               {QStringLiteral("revision"), qint64(steps.revision)},
                               {QStringLiteral("steps"), list}};
        members += QByteArrayLiteral("\n\"") + stepsKey.toUtf8() + QByteArrayLiteral("\": ")
            + QJsonDocument(kept).toJson(QJsonDocument::Compact) + QByteArrayLiteral(",");
    }
    bytes.insert(open + 1, members);
    return bytes;
}

// The steps a copy keeps; none when it has none or they cannot be read (the
// copy then merges by the field rule alone).
KeptSteps decodeSteps(const QJsonValue& value) {
    const QJsonObject kept = value.toObject();
    const std::optional<QUuid> run = RecordCoding::parseID(kept.value(QStringLiteral("run")).toString());
    if (!run)
        return {};
    KeptSteps decoded{*run, quint64(kept.value(QStringLiteral("revision")).toInteger()), {}};
    for (const QJsonValue& entry : kept.value(QStringLiteral("steps")).toArray()) {
        const QJsonObject step = entry.toObject();
        const std::optional<QUuid> project = RecordCoding::parseID(step.value(QStringLiteral("project")).toString());
        const QJsonValue delta = step.value(QStringLiteral("delta"));
        if (!project || !delta.isDouble())
            return {};
        decoded.steps.add(*project, delta.toDouble(), quint64(step.value(QStringLiteral("revision")).toInteger()));
    }
    return decoded;
}

struct Rescued {
    std::optional<Library> base;
    Library unsaved;
    KeptSteps steps;
};

// A rescue file; one without a base (made before any read, or by an earlier
// version) is an unsaved library that only adds and changes. Records without
// dates take the copy's own time, as a data file's take the file's.
std::optional<Rescued> decode(const QByteArray& bytes, const QDateTime& madeAt) {
    std::optional<Library> unsaved = RecordCoding::decodeLibrary(bytes, madeAt);
    if (!unsaved)
        return std::nullopt;
    // The copy's own members are no data file's.
    unsaved->unknown.removeIf(
        [](const UnknownMember& member) { return member.key == baseKey || member.key == stepsKey; });
    const QJsonObject copy = QJsonDocument::fromJson(bytes).object();
    const QJsonValue base = copy.value(baseKey);
    if (!base.isObject())
        return Rescued{std::nullopt, std::move(*unsaved), decodeSteps(copy.value(stepsKey))};
    std::optional<Library> decodedBase =
        RecordCoding::decodeLibrary(QJsonDocument(base.toObject()).toJson(QJsonDocument::Compact), madeAt);
    if (!decodedBase)
        return std::nullopt;
    return Rescued{std::move(decodedBase), std::move(*unsaved), decodeSteps(copy.value(stepsKey))};
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
// stays for a later start. `landed` holds, per run, the last change of that
// run's copies merged so far: their steps are in the file already.
bool restore(const QString& path, const FolderLock::Waiter& waiter, QHash<QUuid, quint64>& landed) {
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
    ProgressSteps steps = rescued->steps.steps;
    steps.landed(landed.value(rescued->steps.run));
    const Storage::SaveResult saved = Storage::save(
        [&](const Library* found) { return found ? steps.merge(base, *found, rescued->unsaved) : rescued->unsaved; },
        false, waiter);
    if (!saved.written)
        return false;
    if (!rescued->steps.run.isNull())
        landed[rescued->steps.run] = std::max(landed.value(rescued->steps.run), rescued->steps.revision);
    retire(path, QStringLiteral("merged the rescue copy %1 into the data file").arg(path));
    return true;
}

} // namespace

QString folder() {
    return DataFolder::stateHome() + QStringLiteral("/Sorvel");
}

FileOutcome write(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                  const KeptSteps& steps) {
    const QString target = folder();
    errno = 0;
    if (!QDir().mkpath(target))
        return FileOutcome::failure(errno != 0 ? errno : EACCES, target); // the failed mkdir's errno
    const QByteArray bytes = encode(base, unsaved, steps);
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
    QHash<QUuid, quint64> landed;
    for (const QString& name : std::as_const(names)) {
        if (restore(rescues.filePath(name), waiter, landed))
            ++restored;
    }
    return restored;
}

} // namespace sorvel::RescueCopy
