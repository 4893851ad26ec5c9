#include "app/store/ProjectStore.h"

#include "app/store/ArchiveSummary.h"
#include "app/store/FolderMover.h"
#include "app/store/RescueCopy.h"
#include "app/store/SummaryFile.h"
#include "core/Clock.h"
#include "core/FolderLock.h"
#include "core/LegacyMigration.h"
#include "core/LibraryMerge.h"
#include "core/Log.h"
#include "core/Storage.h"
#include "core/SystemColors.h"
#include "core/SystemErrorText.h"
#include "core/UserText.h"
#include "core/WidgetIntents.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace sorvel {

namespace {

// Several folder events arrive for one atomic write (temporary file, rename);
// they are read as one.
constexpr int folderSettleMs = 50;
// The echo window ends strictly after echoWindowMs.
constexpr int echoMarginMs = 10;

const QStringList& typePalette() {
    static const QStringList colours{
        SystemColors::purple, SystemColors::green, SystemColors::yellow, SystemColors::indigo,
        SystemColors::brown,  SystemColors::red,   SystemColors::mint,
    };
    return colours;
}

// A folder path names a place on disk only when it is absolute; anything else
// would be resolved against wherever the program happens to run.
std::optional<QString> usablePath(const std::optional<QString>& path) {
    if (!path || path->isEmpty() || !QDir::isAbsolutePath(*path))
        return std::nullopt;
    return QDir::cleanPath(*path);
}

QString errorLine(const QString& name, const QString& what, int error) {
    return QStringLiteral("「") + name + QStringLiteral("」") + what + QStringLiteral("：")
        + SystemErrorText::describe(error);
}

void configure(QTimer& timer, int intervalMs) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
}

// Done, moved, archived, logged and summarised, on a copy of the record.
void archiveOne(AudioProject& project, const ProjectType& kind, const std::optional<QString>& monthFolder,
                const ProjectStore::ArchiveOptions& options, QStringList& errors) {
    if (project.status != ProjectStatus::Done)
        project.setStatus(ProjectStatus::Done);

    const std::optional<QString> folder = usablePath(project.folderPath);
    if (options.moveFolders && monthFolder && folder) {
        const FileOutcome moved = FolderMover::moveInto(*folder, *monthFolder);
        if (moved.done())
            project.folderPath = moved.path;
        else
            errors << errorLine(project.name, QStringLiteral("移动文件夹失败"), moved.error);
    }

    const QDateTime now = Clock::now();
    project.archivedAt = now;
    project.addLogEntry(QStringLiteral("归档"), now);
    project.touch();

    if (!options.writeSummary)
        return;
    const std::optional<QString> target = monthFolder ? monthFolder : usablePath(project.folderPath);
    if (!target)
        return;
    const FileOutcome written = SummaryFile::write(*target, ArchiveSummary::fileName(project.name),
                                                   ArchiveSummary::markdown(project, kind).toUtf8());
    if (!written.done())
        errors << errorLine(project.name, QStringLiteral("写入清单失败"), written.error);
}

} // namespace

ProjectStore::ProjectStore(Desktop desktop, QObject* parent)
    : QObject(parent), m_desktop(std::move(desktop)), m_folder(Storage::directory()) {
    configure(m_saveTimer, saveDelayMs);
    configure(m_echoRecheck, echoWindowMs + echoMarginMs);
    configure(m_folderSettle, folderSettleMs);
    configure(m_readRetry, retryDelayMs);
    configure(m_undecodableQuiet, undecodableQuietMs);
    configure(m_rescueRetry, retryDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { writeNow(); });
    connect(&m_echoRecheck, &QTimer::timeout, this, &ProjectStore::echoWindowEnded);
    connect(&m_folderSettle, &QTimer::timeout, this, &ProjectStore::settleFolderEvents);
    connect(&m_readRetry, &QTimer::timeout, this, &ProjectStore::reloadFromFile);
    connect(&m_undecodableQuiet, &QTimer::timeout, this, &ProjectStore::undecodableFileQuiet);
    connect(&m_rescueRetry, &QTimer::timeout, this, &ProjectStore::retryRescues);

    connect(&m_worker, &StorageWorker::waitingChanged, this, &ProjectStore::folderWaitChanged);

    // Until the first read lands the store holds the empty library: edits made
    // meanwhile merge onto the file's contents with it as their base, and a
    // write waits for that read (the worker runs one job at a time).
    m_synced = Library{{}, registry().types()};
    m_worker.start(readJob(true));
    // Shows the file's projects with the first window, unless another program
    // holds the folder (or the disk hangs): then the shelf fills when the read lands.
    if (!m_worker.finish(startWaitMs, slowStartMs))
        Log::info(QStringLiteral("Sorvel: the data folder %1 is busy; reading it once it is free").arg(m_folder));
    watchForExternalChanges();
}

ProjectStore::~ProjectStore() = default;

// Lookups

int ProjectStore::indexOf(const QUuid& id) const {
    for (int i = 0; i < m_projects.size(); ++i) {
        if (m_projects.at(i).id == id)
            return i;
    }
    return -1;
}

const AudioProject* ProjectStore::project(const QUuid& id) const {
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_projects.at(index);
}

qint64 ProjectStore::projectCount(const QUuid& typeID) const {
    return std::count_if(m_projects.cbegin(), m_projects.cend(),
                         [&](const AudioProject& p) { return p.typeID == typeID; });
}

bool ProjectStore::isWatching() const {
    return m_watcher && m_watcher->directories().contains(m_folder);
}

bool ProjectStore::isIdle() const {
    return !m_worker.isBusy() && !m_writeWanted && !m_readWanted && !m_saveTimer.isActive()
        && !m_folderSettle.isActive() && !m_echoRecheck.isActive() && !m_readRetry.isActive()
        && !m_undecodableQuiet.isActive() && !m_rescueRetry.isActive();
}

// Changes of projects

void ProjectStore::setProjects(const QList<AudioProject>& projects) {
    ProjectChange change = ProjectChange::between(m_projects, projects);
    if (change.isEmpty())
        return;
    m_projects = projects;
    announce(std::move(change));
}

void ProjectStore::announce(ProjectChange change) {
    m_lastChange = std::move(change);
    Q_EMIT projectsChanged();
}

void ProjectStore::update(QUuid id, const std::function<void(AudioProject&)>& body) {
    const int index = indexOf(id);
    if (index < 0)
        return;
    AudioProject changed = m_projects.at(index);
    body(changed);
    if (!(changed == m_projects.at(index))) {
        m_projects[index] = std::move(changed);
        announce(ProjectChange::of(id));
    }
    scheduleSave();
}

void ProjectStore::replace(QUuid id, const AudioProject& value) {
    update(id, [&](AudioProject& p) {
        p = value;
        p.id = id; // the record stays the one the editor was opened for
        p.updatedAt = Clock::now();
    });
}

void ProjectStore::updateCue(QUuid projectID, QUuid cueID, const std::function<void(Cue&)>& body) {
    update(projectID, [&](AudioProject& p) { p.updateCue(cueID, body); });
}

void ProjectStore::setCueStage(QUuid projectID, QUuid cueID, CueStage stage) {
    const QDateTime now = Clock::now();
    updateCue(projectID, cueID, [&](Cue& cue) { cue.setStage(stage, now); });
}

void ProjectStore::advanceCue(QUuid projectID, QUuid cueID) {
    update(projectID, [&](AudioProject& p) { p.advanceCue(cueID); });
}

void ProjectStore::stepProgress(QUuid id, double delta) {
    const int index = indexOf(id);
    if (index < 0)
        return;
    const double before = m_projects.at(index).manualProgress;
    update(id, [delta](AudioProject& p) {
        p.manualProgress = AdjustProgressIntent::steppedProgress(p.manualProgress, delta);
        p.touch();
    });
    if (m_projects.at(index).manualProgress != before)
        m_steps.add(id, delta, m_revision);
}

void ProjectStore::markDone(const QSet<QUuid>& ids) {
    QList<QUuid> order;
    for (const AudioProject& p : std::as_const(m_projects)) {
        if (ids.contains(p.id) && !order.contains(p.id))
            order << p.id;
    }
    for (const QUuid& id : std::as_const(order))
        update(id, [](AudioProject& p) { p.setStatus(ProjectStatus::Done); });
}

void ProjectStore::setFocus(QUuid id) {
    const int index = indexOf(id);
    const bool wasFocused = index >= 0 && m_projects.at(index).isFocused;
    QList<AudioProject> next = m_projects;
    for (AudioProject& p : next)
        p.isFocused = false;
    if (index >= 0 && !wasFocused)
        next[index].isFocused = true;
    setProjects(next);
    scheduleSave();
}

void ProjectStore::unarchive(QUuid id) {
    update(id, [](AudioProject& p) {
        p.archivedAt.reset();
        p.addLogEntry(QStringLiteral("从归档中恢复"), Clock::now());
        p.touch();
    });
}

bool ProjectStore::addLogNote(QUuid id, const QString& text) {
    const QString note = UserText::trimmed(text);
    if (note.isEmpty())
        return false;
    update(id, [&](AudioProject& p) {
        p.addLogEntry(note, Clock::now());
        p.touch();
    });
    return true;
}

void ProjectStore::chooseFolder(QUuid id) {
    if (indexOf(id) < 0 || !m_desktop.chooseFolder)
        return;
    const std::optional<QString> chosen = usablePath(m_desktop.chooseFolder());
    if (!chosen)
        return;
    update(id, [&](AudioProject& p) { p.folderPath = *chosen; });
}

void ProjectStore::revealFolder(const QUuid& id) const {
    const AudioProject* found = project(id);
    if (!found || !m_desktop.openFolder)
        return;
    const std::optional<QString> folder = usablePath(found->folderPath);
    if (folder && QFileInfo(*folder).isDir())
        m_desktop.openFolder(*folder);
}

void ProjectStore::deleteProjects(const QSet<QUuid>& ids) {
    QList<AudioProject> kept;
    kept.reserve(m_projects.size());
    std::copy_if(m_projects.cbegin(), m_projects.cend(), std::back_inserter(kept),
                 [&](const AudioProject& p) { return !ids.contains(p.id); });
    setProjects(kept);
    scheduleSave();
}

void ProjectStore::addProject(const AudioProject& project) {
    // A second record of an id already held cannot be followed per id.
    ProjectChange change = indexOf(project.id) < 0 ? ProjectChange::of(project.id) : ProjectChange::everything();
    m_projects.prepend(project);
    announce(std::move(change));
    scheduleSave();
}

// Changes of project types

QUuid ProjectStore::addType() {
    QList<ProjectType> types = registry().types();
    const ProjectType added{QUuid::createUuid(), QString(), QStringLiteral("tag"),
                            typePalette().at(types.size() % typePalette().size())};
    types.append(added);
    registry().setTypes(types);
    scheduleSave();
    return added.id;
}

void ProjectStore::moveTypes(const QList<int>& offsets, int toOffset) {
    const QList<ProjectType>& types = registry().types();
    QList<int> moving;
    for (int offset : offsets) {
        if (offset >= 0 && offset < types.size() && !moving.contains(offset))
            moving << offset;
    }
    if (moving.isEmpty())
        return;
    std::sort(moving.begin(), moving.end());
    const int destination = std::clamp(toOffset, 0, int(types.size()));

    QList<ProjectType> moved;
    QList<ProjectType> rest;
    for (int i = 0; i < types.size(); ++i)
        (moving.contains(i) ? moved : rest) << types.at(i);
    const auto before = std::count_if(moving.cbegin(), moving.cend(), [&](int i) { return i < destination; });
    const int insertAt = destination - int(before);
    for (int i = 0; i < moved.size(); ++i)
        rest.insert(insertAt + i, moved.at(i));
    registry().setTypes(rest);
    scheduleSave();
}

void ProjectStore::deleteType(QUuid id, QUuid moveProjectsTo) {
    QList<ProjectType> types = registry().types();
    if (types.size() < 2)
        return;
    types.removeIf([&](const ProjectType& type) { return type.id == id; });
    if (types.isEmpty())
        return; // duplicated ids: the last type is kept all the same
    registry().setTypes(types);

    QList<AudioProject> next = m_projects;
    for (AudioProject& p : next) {
        if (p.typeID == id)
            p.typeID = moveProjectsTo;
    }
    setProjects(next);
    scheduleSave();
}

void ProjectStore::resetTypes() {
    const QList<ProjectType>& defaults = ProjectType::defaults();
    registry().setTypes(defaults);
    QList<AudioProject> next = m_projects;
    for (AudioProject& p : next) {
        const bool known = std::any_of(defaults.cbegin(), defaults.cend(),
                                       [&](const ProjectType& type) { return type.id == p.typeID; });
        if (!known)
            p.typeID = ProjectType::otherID;
    }
    setProjects(next);
    scheduleSave();
}

void ProjectStore::updateType(QUuid id, const std::function<void(ProjectType&)>& body) {
    QList<ProjectType> types = registry().types();
    const auto found = std::find_if(types.begin(), types.end(), [&](const ProjectType& type) { return type.id == id; });
    if (found == types.end())
        return;
    body(*found);
    registry().setTypes(types);
    scheduleSave();
}

// Archiving

QStringList ProjectStore::archive(const QSet<QUuid>& ids, const ArchiveOptions& options,
                                  const std::optional<QString>& archiveFolder) {
    std::optional<QString> monthFolder;
    if (archiveFolder) {
        monthFolder = *archiveFolder + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyy-MM"));
        QDir().mkpath(*monthFolder); // a failure shows as the move's or the summary's error
    }

    // Store order, so that free names and error lines come out the same every time.
    QList<QUuid> order;
    for (const AudioProject& p : std::as_const(m_projects)) {
        if (ids.contains(p.id) && !order.contains(p.id))
            order << p.id;
    }

    QStringList errors;
    for (const QUuid& id : std::as_const(order)) {
        const AudioProject* found = project(id);
        if (!found)
            continue;
        AudioProject archived = *found;
        archiveOne(archived, registry().type(archived.typeID), monthFolder, options, errors);
        update(id, [&](AudioProject& p) { p = archived; });
    }
    return errors;
}

// Saving

void ProjectStore::scheduleSave() {
    m_dirty = true;
    ++m_revision;
    m_saveTimer.start(saveDelayMs); // restarts: only the last change of a burst writes
}

Library ProjectStore::currentLibrary() const {
    // The top level's members no record reads are the file's: the store never changes them.
    return Library{m_projects, registry().types(), m_synced.unknown};
}

FileOutcome ProjectStore::keepRescueCopy() {
    return m_rescues->keep(lastReadLibrary(), currentLibrary(), m_steps, m_revision, Clock::now());
}

std::optional<Library> ProjectStore::lastReadLibrary() const {
    return m_hasReadFile ? std::optional<Library>(m_synced) : std::nullopt;
}

void ProjectStore::apply(const Library& library) {
    setProjects(library.projects);
    registry().setTypes(library.types);
}

void ProjectStore::applyKnown(const Library& library, const ProjectChange& change) {
    m_worker.discard(Library{m_projects, {}});
    m_projects = library.projects;
    registry().setTypes(library.types);
    if (!change.isEmpty())
        announce(change);
}

void ProjectStore::setSynced(const Library& library) {
    m_worker.discard(std::exchange(m_synced, library));
}

void ProjectStore::writeNow() {
    m_saveTimer.stop();
    // A file that has just stopped decoding may be half of another program's
    // write in place: it is read again once it has stopped changing, and the
    // write follows that read.
    if (m_worker.isBusy() || m_undecodableQuiet.isActive()) {
        // Taken when the running job is done: a newer state replaces any waiting one.
        m_writeWanted = true;
        return;
    }
    startWrite();
}

void ProjectStore::startWrite() {
    m_saveTimer.stop();
    m_writeWanted = false;
    // The write reads the file under the lock and merges what it finds, which
    // covers every folder event so far.
    m_readWanted = false;
    m_eventDuringEcho = false;
    m_writing = true;
    const Library sent = currentLibrary();
    const Library base = m_synced;
    const bool keepDecodedAside = !m_syncedWithFile;
    const quint64 revision = m_revision;
    const ProgressSteps steps = m_steps;
    m_worker.start(
        [this, sent, base, steps, keepDecodedAside, revision, rescues = m_rescues]() -> StorageWorker::Delivery {
            // Whatever another program wrote since the store last saw the file is
            // merged in under the lock, so that neither side's change is lost.
            // The rescue copies of these changes are retired as the write lands,
            // not in the delivery: a quit may end the program before that runs.
            const std::unique_ptr<Storage::Carried> carried = rescues->carrierOf(revision);
            const Storage::SaveResult saved =
                Storage::save([&](const Library* found) { return found ? steps.merge(base, *found, sent) : sent; },
                              keepDecodedAside, folderWaiter(), carried.get());
            if (saved.folderBusy)
                return {}; // the store is going away
            return [this, sent, saved, revision] {
                m_writing = false;
                finishWrite(sent, revision, saved);
                startWaitingJob();
            };
        });
}

void ProjectStore::startWaitingJob() {
    if (m_worker.isBusy())
        return;
    if (m_writeWanted && m_dirty)
        startWrite();
    else if (m_readWanted)
        startRead();
}

bool ProjectStore::waitForWorker(const QDeadlineTimer& deadline) {
    while (m_worker.isBusy()) {
        // A delivery may start the waiting job, which the same deadline bounds.
        if (!m_worker.finish(int(deadline.remainingTime())))
            return false;
    }
    return true;
}

bool ProjectStore::isWaitingForFolder() const {
    return m_worker.isWaitingForFolder();
}

void ProjectStore::finishWrite(const Library& sent, quint64 revision, const Storage::SaveResult& saved) {
    // The echo window starts when the write is done: its folder events follow
    // it. Events seen while it ran are looked at once the window has passed.
    m_sinceLastWrite.start();
    m_echoRecheck.start();
    if (saved.written) {
        // The next merge starts from what the file holds; the views keep what
        // was written (an emptied cue number stays empty, not its position).
        setSynced(saved.library);
        m_syncedWithFile = true;
        m_hasReadFile = true;
        m_holdsGoodState = true;
        m_steps.written(revision);
        if (revision == m_revision) {
            m_dirty = false;
            apply(saved.resolved);
        } else {
            // Changed while the write ran: the newer edits stay pending on top of it.
            apply(m_steps.merge(sent, saved.resolved, currentLibrary()));
        }
        ++m_activity.writes;
        m_retryDelayMs = retryDelayMs;
        setSaveProblem(problemAfterWrite(saved));
    } else {
        // A failed write leaves the store dirty and is tried again until it
        // succeeds: a change that waits for the next change or for the quit is
        // lost when the program is killed.
        ++m_activity.failedWrites;
        m_saveTimer.start(m_retryDelayMs);
        m_retryDelayMs = std::min(2 * m_retryDelayMs, int(longestRetryDelayMs));
        setSaveProblem({SaveProblem::Kind::WriteFailed, saved.error});
    }
    Q_EMIT saveFinished(saved.written);
    if (saved.written)
        reloadTimelines();
}

namespace {

// Names the copy, and why its merge was not written.
SaveProblem rescueNotMerged(const RescueCopy::NotMerged& copy) {
    return {SaveProblem::Kind::RescueNotMerged,
            copy.why.number != 0 ? FileError{copy.path, copy.why.number}
                                 : FileError{copy.path + QStringLiteral(": ") + copy.why.context, 0}};
}

} // namespace

SaveProblem ProjectStore::problemAfterWrite(const Storage::SaveResult& saved) const {
    if (!m_unmergedRescues.isEmpty())
        return rescueNotMerged(m_unmergedRescues.first());
    if (!saved.repeatsKeptAs.isEmpty())
        return {SaveProblem::Kind::RepeatsKeptAside, {saved.repeatsKeptAs, 0}};
    const QString& movedAsideTo = saved.movedAsideTo;
    // Where the unreadable file (or a folder in its place) went is said
    // until another problem takes its place.
    if (!movedAsideTo.isEmpty())
        return {SaveProblem::Kind::MovedAside, {movedAsideTo, 0}};
    return m_saveProblem.kind == SaveProblem::Kind::MovedAside ? m_saveProblem : SaveProblem{};
}

void ProjectStore::rescuesMerged(const QList<RescueCopy::NotMerged>& notWritten) {
    m_unmergedRescues = notWritten;
    if (notWritten.isEmpty()) {
        m_rescueRetryDelayMs = retryDelayMs;
        if (m_saveProblem.kind == SaveProblem::Kind::RescueNotMerged)
            setSaveProblem({});
        return;
    }
    setSaveProblem(rescueNotMerged(notWritten.first()));
    m_rescueRetry.start(m_rescueRetryDelayMs);
    m_rescueRetryDelayMs = std::min(2 * m_rescueRetryDelayMs, int(longestRetryDelayMs));
}

void ProjectStore::retryRescues() {
    m_rescueRetryDue = true;
    reloadFromFile();
}

void ProjectStore::reloadTimelines() {
    if (m_desktop.reloadTimelines)
        m_desktop.reloadTimelines();
}

void ProjectStore::setSaveProblem(const SaveProblem& problem) {
    if (problem == m_saveProblem)
        return;
    m_saveProblem = problem;
    Q_EMIT saveProblemChanged();
}

QString ProjectStore::unsavedSummary() const {
    if (!m_dirty)
        return {};
    QHash<QUuid, const AudioProject*> synced;
    for (const AudioProject& p : m_synced.projects)
        synced.insert(p.id, &p);
    QStringList changed;
    for (const AudioProject& p : m_projects) {
        const AudioProject* before = synced.take(p.id);
        if (!before || !(*before == p))
            changed << QStringLiteral("\"") + p.name + QStringLiteral("\"");
    }
    QStringList parts;
    if (!changed.isEmpty())
        parts << QStringLiteral("%1 project(s) changed or added: %2")
                     .arg(changed.size())
                     .arg(changed.join(QStringLiteral(", ")));
    if (!synced.isEmpty())
        parts << QStringLiteral("%1 project(s) deleted").arg(synced.size());
    if (registry().types() != m_synced.types)
        parts << QStringLiteral("project types changed");
    return parts.isEmpty() ? QStringLiteral("changes") : parts.join(QStringLiteral("; "));
}

void ProjectStore::flush(int folderPatienceMs) {
    // A running read is not waited for: a quit with nothing to write has
    // nothing to wait for, whoever holds the folder.
    if (!m_dirty)
        return;
    // A running job ends first; then whatever is newer is written, at once.
    // Another program holding the folder is waited for a bounded time only,
    // once for both: the quit must not hang on a stopped widget or a hung
    // network file system.
    const QDeadlineTimer deadline(folderPatienceMs);
    if (waitForWorker(deadline) && m_dirty) {
        startWrite();
        if (waitForWorker(deadline))
            return;
    }
    if (m_dirty && m_worker.isBusy()) {
        if (folderPatienceMs > 0) {
            ++m_activity.folderWaits;
            Log::info(
                QStringLiteral("Sorvel: the data folder %1 is still busy; the change stays pending").arg(m_folder));
        }
        setSaveProblem({SaveProblem::Kind::FolderBusy, {}});
    }
}

// Watching

void ProjectStore::watchForExternalChanges() {
    QDir().mkpath(m_folder);
    m_watcher = std::make_unique<QFileSystemWatcher>();
    connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, this, &ProjectStore::folderChanged);
    connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, this, &ProjectStore::folderChanged);
    connect(&m_poller, &FileStampPoller::changed, this, &ProjectStore::folderChanged);
    if (!m_watcher->addPath(m_folder))
        pollInstead(m_folder);
    watchLinkedFolder();
    watchFile();
}

namespace {

// Why the system refuses to watch `place`, in its own words.
QString whyUnwatchable(const QString& place) {
    const int fd = ::inotify_init1(IN_CLOEXEC);
    if (fd < 0)
        return SystemErrorText::inEnglish(errno);
    const int error = ::inotify_add_watch(fd, QFile::encodeName(place).constData(), IN_MODIFY) < 0 ? errno : 0;
    ::close(fd);
    switch (error) {
    case 0: return QStringLiteral("the watcher refused it");
    case ENOSPC: return QStringLiteral("the user's limit of inotify watches is reached (fs.inotify.max_user_watches)");
    default: return SystemErrorText::inEnglish(error);
    }
}

} // namespace

void ProjectStore::pollInstead(const QString& place) {
    if (m_poller.isRunning())
        return;
    Log::info(QStringLiteral("Sorvel: cannot watch %1 for changes of other programs: %2; looking at the data file "
                             "every %3 ms instead")
                  .arg(place, whyUnwatchable(place))
                  .arg(FileStampPoller::intervalMs));
    m_poller.start();
}

void ProjectStore::watchFile() {
    // A program that rewrites the file in place changes no entry of the folder.
    // A rename puts another file in its place: the watch moves to it at the
    // folder's event (the old one may still be watched until it is freed).
    const QString file = Storage::filePath();
    if (m_watcher->files().contains(file))
        m_watcher->removePath(file);
    if (QFileInfo::exists(file) && !m_watcher->addPath(file))
        pollInstead(file);
}

namespace {

// Where the changes of a linked data file show: its target's folder, or
// while that is missing (a synced folder not there yet) the nearest folder
// above it that exists, whose events tell when it comes. Empty when the data
// file is no link.
QString linkedFolderToWatch(const QString& file) {
    QFileInfo link(file);
    if (!link.isSymLink())
        return {};
    const QString target = link.canonicalFilePath();
    if (!target.isEmpty())
        return QFileInfo(target).path();
    // Dangling: follow the chain of links as far as it goes.
    for (int depth = 0; depth < 40 && link.isSymLink(); ++depth)
        link.setFile(link.symLinkTarget());
    QDir folder(link.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder.setPath(QFileInfo(folder.absolutePath()).path());
    return folder.canonicalPath();
}

} // namespace

void ProjectStore::watchLinkedFolder() {
    // A data file that is a link is written (atomically) in its target's folder,
    // which the data folder's own events never show.
    const QString folder = linkedFolderToWatch(Storage::filePath());
    if (folder == m_linkedFolder)
        return;
    if (!m_linkedFolder.isEmpty())
        m_watcher->removePath(m_linkedFolder);
    m_linkedFolder.clear();
    if (folder.isEmpty() || folder == QFileInfo(m_folder).canonicalFilePath())
        return;
    if (m_watcher->addPath(folder))
        m_linkedFolder = folder;
    else
        pollInstead(folder);
}

bool ProjectStore::withinEchoWindow() const {
    // A write that is still running has its echo window still ahead.
    return m_writing || (m_sinceLastWrite.isValid() && m_sinceLastWrite.elapsed() <= echoWindowMs);
}

void ProjectStore::folderChanged() {
    ++m_activity.folderEvents;
    // A removed data folder ends its watch; the folder is made again and watched anew.
    if (!m_watcher->directories().contains(m_folder) && QDir().mkpath(m_folder) && !m_watcher->addPath(m_folder))
        pollInstead(m_folder);
    if (!m_linkedFolder.isEmpty() && !m_watcher->directories().contains(m_linkedFolder))
        m_linkedFolder.clear(); // removed: watched again when it is back
    watchLinkedFolder();
    watchFile();
    if (m_undecodableQuiet.isActive())
        m_undecodableQuiet.start(); // still changing
    if (withinEchoWindow()) {
        m_eventDuringEcho = true; // looked at again once the window has passed
        return;
    }
    m_folderSettle.start();
}

void ProjectStore::settleFolderEvents() {
    if (withinEchoWindow()) {
        m_eventDuringEcho = true;
        return;
    }
    reloadFromFile();
}

void ProjectStore::echoWindowEnded() {
    if (!m_eventDuringEcho)
        return;
    m_eventDuringEcho = false;
    // Another program may have written right after the store did; its change
    // would otherwise wait for some later event.
    reloadFromFile();
}

void ProjectStore::undecodableFileQuiet() {
    if (m_writeWanted && m_dirty)
        writeNow();
}

void ProjectStore::retryReadLater() {
    m_readRetry.start(m_readRetryDelayMs);
    m_readRetryDelayMs = std::min(2 * m_readRetryDelayMs, int(longestRetryDelayMs));
}

void ProjectStore::reloadFromFile() {
    if (m_worker.isBusy()) {
        m_readWanted = true;
        return;
    }
    startRead();
}

void ProjectStore::startRead() {
    m_readWanted = false;
    ++m_activity.reloadReads;
    m_worker.start(readJob(false));
}

FolderLock::Waiter ProjectStore::folderWaiter() {
    return [this](const std::function<bool()>& attempt) { return m_worker.waitUntilFree(attempt); };
}

StorageWorker::Job ProjectStore::readJob(bool atStart) {
    const Library base = m_synced;
    const Library mine = currentLibrary();
    const bool dirty = m_dirty;
    const quint64 revision = m_revision;
    const ProgressSteps steps = m_steps;
    // Only the copies that could not be merged at the start are tried again,
    // never one this run has made since.
    QStringList retrying;
    if (std::exchange(m_rescueRetryDue, false)) {
        for (const RescueCopy::NotMerged& copy : std::as_const(m_unmergedRescues))
            retrying << copy.path;
    }
    const bool mergesRescues = atStart || !retrying.isEmpty();
    return [this, base, mine, steps, dirty, revision, atStart, retrying, mergesRescues]() -> StorageWorker::Delivery {
        bool restored = false;
        QList<RescueCopy::NotMerged> notWritten;
        if (atStart) // before anything is read: the earlier product's data
            LegacyMigration::migrateData(folderWaiter());
        // What a quit could not write last time goes into the file before it
        // is read; at the start before what an interrupted write of this
        // program left is removed (the rescue copies look whether the draft
        // of the write that carried them is still there).
        if (mergesRescues)
            restored = RescueCopy::restoreAll(folderWaiter(), &notWritten,
                                              atStart ? std::nullopt : std::optional<QStringList>(retrying))
                > 0;
        if (atStart)
            Storage::removeStaleDrafts(folderWaiter());
        // Decoding, comparing and merging a large library take their time: all
        // of it happens here, the window's thread only takes the result.
        FolderRead result{Storage::read(folderWaiter()), false, std::nullopt, {}, {}};
        if (result.read.kind == Storage::ReadResult::Kind::Busy)
            return {}; // the store is going away
        if (result.read.kind == Storage::ReadResult::Kind::Decoded) {
            result.unchanged = result.read.library == base;
            if (result.unchanged) {
                result.read.library = {}; // freed here, not on the window's thread
            } else {
                result.next =
                    dirty ? steps.merge(base, result.read.library, mine, &result.mergeNotes) : result.read.library;
                result.change = ProjectChange::between(mine.projects, result.next->projects);
            }
        }
        return [this, result, revision, restored, atStart, mergesRescues, notWritten] {
            if (mergesRescues)
                rescuesMerged(notWritten);
            // The widget may have drawn the file before this program started:
            // a first read that finds projects tells it too.
            if (applyRead(result, revision) || restored)
                reloadTimelines();
            if (!atStart)
                ++m_activity.finishedReads;
            if (!std::exchange(m_started, true))
                Q_EMIT firstReadFinished();
            startWaitingJob();
        };
    };
}

bool ProjectStore::applyRead(const FolderRead& result, quint64 revision) {
    const Storage::ReadResult& read = result.read;
    if (read.kind != Storage::ReadResult::Kind::Unreadable) {
        m_readRetry.stop();
        m_readRetryDelayMs = retryDelayMs;
    }
    if (read.kind != Storage::ReadResult::Kind::Undecodable)
        m_undecodableQuiet.stop();
    if ((read.kind == Storage::ReadResult::Kind::Decoded || read.kind == Storage::ReadResult::Kind::Missing)
        && m_saveProblem.isAboutTheFile())
        setSaveProblem({});
    switch (read.kind) {
    case Storage::ReadResult::Kind::Decoded:
        if (!result.unchanged) {
            // Unsaved edits are kept on top of the other program's change. A
            // merge redone for newer edits replaces the worker's, notes included.
            if (revision == m_revision) {
                LibraryMerge::logNotes(result.mergeNotes);
                applyKnown(*result.next, result.change);
            } else {
                apply(m_steps.merge(m_synced, read.library, currentLibrary()));
            }
            setSynced(read.library);
        }
        m_syncedWithFile = true;
        m_hasReadFile = true;
        m_holdsGoodState = true;
        // Another program changed the file: the widget shows it too, whoever wrote it.
        return !result.unchanged;
    case Storage::ReadResult::Kind::Missing:
        if (m_dirty)
            break; // the pending write makes the file anew
        if (m_holdsGoodState)
            Log::info(QStringLiteral("Sorvel: the data file %1 was deleted while running; the shelf follows it")
                          .arg(Storage::filePath()));
        apply(read.library);
        m_synced = read.library;
        m_syncedWithFile = true;
        m_hasReadFile = true;
        m_holdsGoodState = false;
        // No file at a start is nothing new to the widget.
        return m_started;
    case Storage::ReadResult::Kind::Undecodable:
        // Storage has kept the damaged bytes in a copy. The shelf keeps what it
        // showed, but nothing is written over the file until the user changes
        // something: it may be another program's write in place, paused or
        // never finished, a restore still being copied in, or a hand edit
        // being repaired. Each change of the file is read again.
        m_syncedWithFile = false;
        if (!m_dirty) {
            if (m_holdsGoodState && m_saveProblem.kind != SaveProblem::Kind::FileChangedUndecodable)
                Log::info(QStringLiteral("Sorvel: the data file changed into something unreadable; keeping the "
                                         "projects in memory and the file as it is until a change"));
            setSaveProblem(
                {m_holdsGoodState ? SaveProblem::Kind::FileChangedUndecodable : SaveProblem::Kind::FileUndecodable,
                 {read.keptAs, 0}});
        }
        // A change of the user's made meanwhile waits until the file has been
        // still for a while and read once more, so that it lands on the
        // finished file rather than on half of it.
        m_undecodableQuiet.start();
        break;
    case Storage::ReadResult::Kind::Busy: // never delivered: only a store going away stops waiting
    case Storage::ReadResult::Kind::Unreadable:
        // Nothing is known about the file: keep everything and look again later.
        // An empty shelf for want of the file must not pass for one without tapes.
        if (read.kind == Storage::ReadResult::Kind::Unreadable && !m_holdsGoodState && !m_dirty)
            setSaveProblem({SaveProblem::Kind::FileUnreadable,
                            read.error.number != 0 ? FileError{Storage::filePath(), read.error.number} : read.error});
        ++m_activity.failedReads;
        m_syncedWithFile = false;
        retryReadLater();
        break;
    }
    return false;
}

} // namespace sorvel
