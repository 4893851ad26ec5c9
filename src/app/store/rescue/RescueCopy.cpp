#include "app/store/rescue/RescueCopy.h"

#include "core/DataFolder.h"
#include "core/FileSystem.h"
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
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <tuple>
#include <unistd.h>

namespace sorvel::RescueCopy {

namespace {

constexpr int maxNameTries = 1000;
const QString rescuedPrefix = QStringLiteral("projects-rescued-");
const QString restoringPrefix = QStringLiteral("projects-restoring-");
const QString restoredPrefix = QStringLiteral("projects-restored-");
const QString suffix = QStringLiteral(".json");
// Between a restoring copy's own name and the mark of the write carrying it.
const QChar markSeparator = QLatin1Char('~');
// The number and UTC time a copy is named after; earlier copies were named
// after the local time alone.
const QString stampFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QString numberedShape = QStringLiteral("(\\d+)-(\\d{8}-\\d{6})Z");
// The member that a rescue file holds beside the data file's own: the library
// the unsaved one grew from. Readers of the data file pass over it.
const QString baseKey = QStringLiteral("rescuedFrom");
// And the progress steps of the unsaved library (KeptSteps); copies made
// before it was added have none.
const QString stepsKey = QStringLiteral("progressSteps");

// A copy is written whole under this hidden name first; one that a program
// ended part way (a quit that stopped waiting for a slow disk) is removed by
// the next copy's write.
const QString copyDraftPrefix = QStringLiteral(".rescue-draft-");

// 0 or the errno; EEXIST when the name is taken. The copy appears under its
// name whole or not at all: a start never finds a fragment of one. The caller
// holds the folder's lock, so no other writer uses the draft's name.
int writeNew(FileSystem& files, const QString& path, const QByteArray& bytes) {
    const QFileInfo named(path);
    const QByteArray draft = QFile::encodeName(named.dir().filePath(copyDraftPrefix + named.fileName()));
    const int fd = files.open(draft.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    int error = RegularFile::writeSyncClose(files, fd, bytes);
    if (error == 0)
        error = RegularFile::renameNoReplace(files, QFile::decodeName(draft), path);
    if (error != 0) {
        files.unlink(draft.constData());
        return error;
    }
    RegularFile::syncFolder(files, named.path());
    return 0;
}

// Drafts of copies whose writer ended before it named them.
void removeCopyDrafts(FileSystem& files, const QDir& folder) {
    for (const QString& name :
         RegularFile::namesIn(files, folder.path(), copyDraftPrefix, {}, RegularFile::Entries::Files))
        files.unlink(QFile::encodeName(folder.filePath(name)).constData());
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

// Where a rescue file's name puts it among the others. Copies named after the
// local time alone come first, by that time, then by the number added to a
// taken name (none, -2, … -10: not as text, where "-2.json" comes before
// ".json" and "-10" before "-9"); numbered copies follow by their number. A
// name of any other shape goes by its text after those.
std::tuple<int, qint64, QString, int, QString> madeOrder(const QString& name) {
    static const QRegularExpression localShape(
        QStringLiteral("^%1(\\d{8}-\\d{6})(?:-(\\d+))?%2$")
            .arg(QRegularExpression::escape(rescuedPrefix), QRegularExpression::escape(suffix)));
    static const QRegularExpression numbered(
        QStringLiteral("^%1%2%3$")
            .arg(QRegularExpression::escape(rescuedPrefix), numberedShape, QRegularExpression::escape(suffix)));
    if (const QRegularExpressionMatch match = localShape.match(name); match.hasMatch()) {
        const int number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        return {0, 0, match.captured(1), number, name};
    }
    if (const QRegularExpressionMatch match = numbered.match(name); match.hasMatch())
        return {1, match.captured(1).toLongLong(), match.captured(2), 0, name};
    return {2, 0, name, 0, name};
}

// A copy's name without its prefix, mark and suffix: what stays as it is
// renamed from rescued to restoring to restored.
QString ownPart(const QString& path) {
    QString name = QFileInfo(path).fileName();
    name.chop(suffix.size());
    for (const QString& prefix : {rescuedPrefix, restoringPrefix, restoredPrefix}) {
        if (name.startsWith(prefix))
            return name.mid(prefix.size()).section(markSeparator, 0, 0);
    }
    return name;
}

QString renamed(const QString& path, const QString& prefix, const QString& mark = {}) {
    return QFileInfo(path).dir().filePath(prefix + ownPart(path) + (mark.isEmpty() ? QString() : markSeparator + mark)
                                          + suffix);
}

// Makes the renames in folder() survive a crash; 0 or the errno.
int syncFolder(FileSystem& files) {
    const int error = RegularFile::syncFolder(files, folder());
    Storage::passedStep();
    return error;
}

int renameCounted(FileSystem& files, const QString& from, const QString& to) {
    const int error = RegularFile::renameNoReplace(files, from, to);
    Storage::passedStep();
    return error;
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
        QJsonObject kept{{QStringLiteral("run"), RecordCoding::idText(steps.run)},
                         {QStringLiteral("revision"), qint64(steps.revision)},
                         {QStringLiteral("steps"), list}};
        if (steps.landed > 0)
            kept.insert(QStringLiteral("landed"), qint64(steps.landed));
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
    KeptSteps decoded{*run,
                      quint64(kept.value(QStringLiteral("revision")).toInteger()),
                      {},
                      quint64(kept.value(QStringLiteral("landed")).toInteger())};
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

// The steps a copy on disk keeps.
KeptSteps stepsIn(FileSystem& files, const QString& path) {
    const std::optional<QByteArray> bytes = RegularFile::readAll(files, path);
    if (!bytes)
        return {};
    return decodeSteps(QJsonDocument::fromJson(*bytes).object().value(stepsKey));
}

// Per run, the last change of that run's copies whose changes are in the data
// file, in the order they landed (the latest last).
using LandedRuns = QList<std::pair<QUuid, quint64>>;

// The retired copies are folded into this small file and then removed, so that
// neither the folder nor the start's reading grows with every retirement.
const QString landedName = QStringLiteral("landed-steps.json");
// Its drafts; one an interrupted fold left is removed by the next.
const QString landedDraftPrefix = QStringLiteral(".landed-steps-");
// Runs kept in it beyond those whose copies still wait: a finished run makes
// no more copies, so only a run still going could need an older one.
constexpr int mostLandedRuns = 64;

// What the landed-steps file holds: the runs, and the highest number a copy
// folded into it had, so that numbers are not given again.
struct Landed {
    LandedRuns runs;
    qint64 highestNumber = 0;
    bool operator==(const Landed&) const = default;
};

// The number in a copy's name; 0 for a name of another shape.
qint64 numberOf(const QString& name) {
    static const QRegularExpression shape(
        QStringLiteral("^projects-(?:rescued|restoring|restored)-%1").arg(numberedShape));
    const QRegularExpressionMatch match = shape.match(name);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

void noteLanded(LandedRuns& runs, const KeptSteps& steps) {
    if (steps.run.isNull())
        return;
    quint64 revision = steps.revision;
    const auto held = std::ranges::find(runs, steps.run, &std::pair<QUuid, quint64>::first);
    if (held != runs.end()) {
        revision = std::max(revision, held->second);
        runs.erase(held);
    }
    runs.append({steps.run, revision});
}

Landed readLanded(FileSystem& files, const QDir& rescues) {
    const std::optional<QByteArray> bytes = RegularFile::readAll(files, rescues.filePath(landedName));
    if (!bytes)
        return {};
    const QJsonObject held = QJsonDocument::fromJson(*bytes).object();
    Landed landed{{}, held.value(QStringLiteral("highestNumber")).toInteger()};
    for (const QJsonValue& entry : held.value(QStringLiteral("runs")).toArray()) {
        const QJsonObject each = entry.toObject();
        if (const std::optional<QUuid> run = RecordCoding::parseID(each.value(QStringLiteral("run")).toString()))
            noteLanded(landed.runs, {*run, quint64(each.value(QStringLiteral("revision")).toInteger()), {}});
    }
    return landed;
}

QByteArray encodeLanded(const Landed& landed) {
    QJsonArray list;
    for (const auto& [run, revision] : landed.runs)
        list.append(QJsonObject{{QStringLiteral("run"), RecordCoding::idText(run)},
                                {QStringLiteral("revision"), qint64(revision)}});
    return QJsonDocument(
               QJsonObject{{QStringLiteral("runs"), list}, {QStringLiteral("highestNumber"), landed.highestNumber}})
        .toJson(QJsonDocument::Compact);
}

// One more than the highest number of any copy in `folder`, merged or not,
// folded or not.
qint64 nextNumber(FileSystem& files, const QDir& folder) {
    qint64 highest = readLanded(files, folder).highestNumber;
    for (const QString& name :
         RegularFile::namesIn(files, folder.path(), QStringLiteral("projects-"), {}, RegularFile::Entries::Files))
        highest = std::max(highest, numberOf(name));
    return highest + 1;
}

// Per run, the last change whose steps are in the data file, which later
// copies of the run hold again. Taken from the folded retired copies and
// from those retired since, whichever run or start merged them (a copy's
// retirement is what says its changes landed, across a crash too), and from
// the copies landed since, read once when a copy with steps first asks.
class LandedSteps {
public:
    explicit LandedSteps(FileSystem& files) : m_files(files) {}
    quint64 of(const QUuid& run) {
        if (!m_readRetired) {
            m_readRetired = true;
            const QDir rescues(folder());
            for (const auto& [landedRun, revision] : readLanded(m_files, rescues).runs)
                note({landedRun, revision, {}});
            for (const QString& name :
                 RegularFile::namesIn(m_files, folder(), restoredPrefix, suffix, RegularFile::Entries::Files))
                note(stepsIn(m_files, rescues.filePath(name)));
        }
        return m_runs.value(run);
    }
    void note(const KeptSteps& steps) {
        if (!steps.run.isNull())
            m_runs[steps.run] = std::max(m_runs.value(steps.run), steps.revision);
    }

private:
    FileSystem& m_files;
    QHash<QUuid, quint64> m_runs;
    bool m_readRetired = false;
};

// Folds the retired copies into the landed-steps file and removes them. The
// file is replaced whole (draft, sync, rename, sync) before any copy goes, so
// that at every instant each landed run is in the file or in a copy still
// there. `prune`: no copy waits any more, so runs past the most recent
// mostLandedRuns may go.
void foldRetired(FileSystem& files, bool prune) {
    const QDir rescues(folder());
    const FolderLock lock(files, folder(), FolderLock::Mode::Write);
    if (!lock.isLocked())
        return;
    for (const QString& name :
         RegularFile::namesIn(files, folder(), landedDraftPrefix, {}, RegularFile::Entries::Files))
        files.unlink(QFile::encodeName(rescues.filePath(name)).constData());
    QStringList retired = RegularFile::namesIn(files, folder(), restoredPrefix, suffix, RegularFile::Entries::Files);
    sortAsMade(retired);
    const QString landedPath = rescues.filePath(landedName);
    const Landed before = readLanded(files, rescues);
    Landed landed = before;
    QStringList folded;
    for (const QString& name : retired) {
        const QString path = rescues.filePath(name);
        const std::optional<QByteArray> bytes = RegularFile::readAll(files, path);
        if (!bytes)
            continue; // its steps cannot be told: it stays
        noteLanded(landed.runs, decodeSteps(QJsonDocument::fromJson(*bytes).object().value(stepsKey)));
        landed.highestNumber = std::max(landed.highestNumber, numberOf(name));
        folded << path;
    }
    if (prune && landed.runs.size() > mostLandedRuns)
        landed.runs.remove(0, landed.runs.size() - mostLandedRuns);
    if (landed != before) {
        QByteArray draft = QFile::encodeName(rescues.filePath(landedDraftPrefix + QStringLiteral("XXXXXX")));
        const int fd = files.mkostemp(draft.data(), O_CLOEXEC);
        int error = fd < 0 ? errno : RegularFile::writeSyncClose(files, fd, encodeLanded(landed));
        Storage::passedStep();
        if (!error && files.rename(draft.constData(), QFile::encodeName(landedPath).constData()) != 0)
            error = errno;
        Storage::passedStep();
        if (!error)
            error = syncFolder(files);
        if (error) {
            files.unlink(draft.constData());
            Log::storageError(QStringLiteral("cannot write %1; the retired rescue copies stay: %2")
                                  .arg(landedPath, SystemErrorText::inEnglish(error)));
            return;
        }
    }
    for (const QString& path : std::as_const(folded)) {
        files.unlink(QFile::encodeName(path).constData());
        Storage::passedStep();
    }
    if (!folded.isEmpty()) {
        syncFolder(files);
        Log::info(QStringLiteral("Sorvel: folded %1 retired rescue copies into %2").arg(folded.size()).arg(landedPath));
    }
}

// What became of one rescue file.
enum class Merge {
    Done, // merged and renamed
    Unusable, // cannot be read: it stays, and the copies after it merge all the same
    NotWritten, // its merge could not be written (a full disk, a busy folder): taken in by the program
    NotCarried, // it could not be marked in its folder: it stays for a later start, and so do the later ones
};

// A rescue file as it merges: its steps are those not in the data file yet
// (nor in a copy of its run that `held` takes in before it); `kept` the run
// and change it holds.
struct Loaded {
    NotMerged copy;
    KeptSteps kept;
};

std::optional<Loaded> load(FileSystem& files, const QString& path, LandedSteps& landed,
                           const QHash<QUuid, quint64>& held = {}) {
    const std::optional<QByteArray> bytes = RegularFile::readAll(files, path);
    if (!bytes)
        return std::nullopt;
    struct stat info {};
    const qint64 madeAt = files.stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_mtim.tv_sec) : 0;
    const std::optional<Rescued> rescued = decode(*bytes, QDateTime::fromSecsSinceEpoch(madeAt, Qt::UTC));
    if (!rescued) {
        Log::storageError(QStringLiteral("the rescue copy %1 cannot be read; it stays where it is").arg(path));
        return std::nullopt;
    }
    Loaded loaded{{path,
                   {},
                   rescued->base ? *rescued->base : baseBeforeAnyRead(rescued->unsaved),
                   rescued->unsaved,
                   rescued->steps.steps},
                  {rescued->steps.run, rescued->steps.revision, {}, rescued->steps.landed}};
    if (!loaded.copy.steps.steps().isEmpty())
        loaded.copy.steps.landed(
            std::max({landed.of(loaded.kept.run), held.value(loaded.kept.run), loaded.kept.landed}));
    return loaded;
}

// Merges one rescue file into the data file and renames it.
Merge restore(FileSystem& files, const QString& path, const FolderLock::Waiter& waiter, LandedSteps& landed,
              FileError* notWritten) {
    const std::optional<Loaded> loaded = load(files, path, landed);
    if (!loaded)
        return Merge::Unusable;
    const NotMerged& rescued = loaded->copy;
    QStringList carried{path};
    Carrier carrier(files, carried, QStringLiteral("merged the rescue copy %1 into the data file"));
    const Storage::SaveResult saved = Storage::save(
        files, [&](const Library* found) { return mergeInto(found, rescued.base, rescued.unsaved, rescued.steps); },
        false, waiter, &carrier);
    if (!saved.written && carrier.refused() != 0) {
        *notWritten = {folder(), carrier.refused()};
        return Merge::NotCarried;
    }
    if (!saved.written) {
        if (!saved.folderBusy)
            *notWritten = saved.error.isEmpty() ? FileError{path, EIO} : saved.error;
        return Merge::NotWritten;
    }
    landed.note(loaded->kept);
    return Merge::Done;
}

// Under the exclusive lock: retires each copy that a write was carrying
// when the program died if that write replaced the file, and gives the
// others back their names, to be merged.
void settleCarried(FileSystem& files, const QStringList& names,
                   const std::function<std::optional<bool>(const Storage::WriteMark&)>& hasLanded,
                   LandedSteps& landed) {
    const QDir rescues(folder());
    for (const QString& name : names) {
        const QString path = rescues.filePath(name);
        QString markText = name.section(markSeparator, 1);
        markText.chop(suffix.size());
        const std::optional<Storage::WriteMark> mark = Storage::WriteMark::fromText(markText);
        const std::optional<bool> replaced = mark ? hasLanded(*mark) : std::nullopt;
        if (!replaced) {
            Log::storageError(
                QStringLiteral("cannot tell whether the changes of the rescue copy %1 reached the data file; it stays "
                               "where it is")
                    .arg(path));
        } else if (*replaced) {
            landed.note(stepsIn(files, path)); // also when it cannot be renamed
            retire(files, path,
                   QStringLiteral("the changes of the rescue copy %1 reached the data file before the program "
                                  "ended; it is not merged again")
                       .arg(path));
        } else if (const int error = renameCounted(files, path, renamed(path, rescuedPrefix)); error != 0) {
            Log::storageError(QStringLiteral("cannot give the rescue copy %1 its name back: %2")
                                  .arg(path, SystemErrorText::inEnglish(error)));
        } else {
            Log::info(QStringLiteral("Sorvel: the write that carried the rescue copy %1 did not replace the data "
                                     "file; the copy is merged again")
                          .arg(path));
        }
    }
    syncFolder(files);
}

} // namespace

QString folder() {
    return DataFolder::stateHome() + QStringLiteral("/Sorvel");
}

FileOutcome write(FileSystem& files, const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                  const KeptSteps& steps, bool landed, const std::optional<Storage::WriteMark>& mayNotLast) {
    const QString target = folder();
    if (const int error = RegularFile::makePath(files, target))
        return FileOutcome::failure(error, target);
    // Two programs quitting at once never take one number.
    const FolderLock numbering(files, target, FolderLock::Mode::Write);
    if (!numbering.isLocked())
        return FileOutcome::failure(numbering.error().number, target);
    removeCopyDrafts(files, QDir(target));
    const QByteArray bytes = encode(base, unsaved, steps);
    const QString stamp = at.toUTC().toString(stampFormat) + QLatin1Char('Z');
    const QString prefix = mayNotLast ? restoringPrefix : landed ? restoredPrefix : rescuedPrefix;
    const QString mark = mayNotLast ? markSeparator + mayNotLast->text() : QString();
    QString path;
    int error = EEXIST;
    for (qint64 number = nextNumber(files, QDir(target)), tries = 0; error == EEXIST && tries < maxNameTries;
         ++number, ++tries) {
        path = target + QLatin1Char('/') + prefix + QString::number(number) + QLatin1Char('-') + stamp + mark + suffix;
        error = writeNew(files, path, bytes);
    }
    if (error != 0)
        return FileOutcome::failure(error, path); // EEXIST: every name up to this one is taken
    return {path};
}

void retire(FileSystem& files, const QString& path, const QString& what) {
    const QString stem = QFileInfo(path).dir().filePath(restoredPrefix + ownPart(path));
    QString restoredAt;
    const int error = placeUnderFreeName(
        stem, [&](const QString& target) { return renameCounted(files, path, target); }, &restoredAt);
    if (error != 0) {
        Log::storageError(QStringLiteral("%1, but cannot rename it: %2").arg(what, SystemErrorText::inEnglish(error)));
        return;
    }
    syncFolder(files);
    Log::info(QStringLiteral("Sorvel: %1; it is now %2").arg(what, restoredAt));
}

Carrier::Carrier(FileSystem& files, QStringList& paths, QString what)
    : m_files(files), m_paths(paths), m_what(std::move(what)) {}

int Carrier::replacing(const Storage::WriteMark& mark) {
    m_before = m_paths;
    if (m_paths.isEmpty())
        return 0;
    for (QString& path : m_paths) {
        const QString marked = renamed(path, restoringPrefix, mark.text());
        if (const int error = renameCounted(m_files, path, marked); error != 0) {
            m_refused = error;
            Log::storageError(QStringLiteral("cannot mark the rescue copy %1 as being written, so the data file is "
                                             "not written: %2")
                                  .arg(path, SystemErrorText::inEnglish(error)));
            notReplaced();
            return error;
        }
        path = marked;
    }
    if (const int error = syncFolder(m_files); error != 0) {
        m_refused = error;
        Log::storageError(QStringLiteral("cannot sync the folder of the rescue copies %1, so the data file is not "
                                         "written: %2")
                              .arg(m_paths.join(QStringLiteral(", ")), SystemErrorText::inEnglish(error)));
        notReplaced();
        return error;
    }
    return 0;
}

void Carrier::replaced(bool durable) {
    // Logged by the names the copies had before the write: the names the user was told.
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QString what = m_what.arg(m_before.value(i));
        if (durable)
            retire(m_files, m_paths[i], what);
        else
            Log::storageError(QStringLiteral("%1, but the data folder could not be synced: the next start looks "
                                             "whether the changes are still there")
                                  .arg(what));
    }
}

void Carrier::notReplaced() {
    if (m_paths.isEmpty())
        return;
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        if (m_paths[i] == m_before.value(i))
            continue;
        if (const int error = renameCounted(m_files, m_paths[i], m_before[i]); error == 0)
            m_paths[i] = m_before[i];
        else
            Log::storageError(QStringLiteral("cannot give the rescue copy %1 its name back: %2")
                                  .arg(m_paths[i], SystemErrorText::inEnglish(error)));
    }
    syncFolder(m_files);
}

Library mergeInto(const Library* found, const Library& base, const Library& unsaved, const ProgressSteps& steps) {
    if (!found)
        return unsaved;
    return steps.merge(base, *found, unsaved);
}

Library foldInto(const Library* found, const QList<NotMerged>& copies) {
    std::optional<Library> folded = found ? std::optional<Library>(*found) : std::nullopt;
    for (const NotMerged& copy : copies)
        folded = mergeInto(folded ? &*folded : nullptr, copy.base, copy.unsaved, copy.steps);
    return *folded;
}

void sortAsMade(QStringList& names) {
    std::ranges::sort(names, {}, madeOrder);
}

int restoreAll(FileSystem& files, const FolderLock::Waiter& waiter, QList<NotMerged>* notWritten,
               FileError* notCarried) {
    const QDir rescues(folder());
    LandedSteps landed(files);
    const QStringList carried =
        RegularFile::namesIn(files, folder(), restoringPrefix, suffix, RegularFile::Entries::Files);
    if (!carried.isEmpty()
        && !Storage::lookBack(
            files, [&](const auto& hasLanded) { settleCarried(files, carried, hasLanded, landed); }, waiter))
        return 0;
    QStringList names = RegularFile::namesIn(files, folder(), rescuedPrefix, suffix, RegularFile::Entries::Files);
    sortAsMade(names);
    int restored = 0;
    bool copiesWait = false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        FileError why;
        const Merge merged = restore(files, rescues.filePath(names.at(i)), waiter, landed, &why);
        if (merged == Merge::Done)
            ++restored;
        if (merged == Merge::NotCarried) {
            if (notCarried)
                *notCarried = why;
            break;
        }
        if (merged != Merge::NotWritten)
            continue;
        copiesWait = true;
        // This copy and the later ones go to the program in the order they
        // were made: merged before it, their values would be undone by its
        // older ones when it lands. A later copy of one run holds the steps
        // of the earlier ones too, which count once.
        if (notWritten && !why.isEmpty()) {
            QHash<QUuid, quint64> held;
            for (qsizetype later = i; later < names.size(); ++later) {
                const QString path = rescues.filePath(names.at(later));
                std::optional<Loaded> loaded = load(files, path, landed, held);
                if (!loaded)
                    continue;
                loaded->copy.why = why;
                if (!loaded->kept.run.isNull())
                    held[loaded->kept.run] = std::max(held.value(loaded->kept.run), loaded->kept.revision);
                *notWritten << std::move(loaded->copy);
            }
        }
        break;
    }
    foldRetired(files, !copiesWait);
    return restored;
}

} // namespace sorvel::RescueCopy
