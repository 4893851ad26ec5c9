#include "app/store/ProjectStore.h"

#include "app/store/ArchiveSummary.h"
#include "app/store/FolderMover.h"
#include "app/store/SummaryFile.h"
#include "app/store/sync/FolderWatch.h"
#include "app/store/sync/RealSyncSeams.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Storage.h"
#include "core/SystemColors.h"
#include "core/SystemErrorText.h"
#include "core/UserText.h"
#include "core/WidgetIntents.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace sorvel {

namespace {

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
    return QStringLiteral("「") + UserText::oneLine(name) + QStringLiteral("」") + what + QStringLiteral("：")
        + SystemErrorText::describe(error);
}

DataFileSync::Seams realSeams(FileSystem& files) {
    return {std::make_unique<EventLoopClock>(), std::make_shared<DiskFiles>(files), std::make_unique<ThreadWorker>()};
}

// Done, moved, archived, logged and summarised, on a copy of the record.
void archiveOne(FileSystem& files, AudioProject& project, const ProjectType& kind,
                const std::optional<QString>& monthFolder, const ProjectStore::ArchiveOptions& options,
                QStringList& errors) {
    if (project.status != ProjectStatus::Done)
        project.setStatus(ProjectStatus::Done);

    const std::optional<QString> folder = usablePath(project.folderPath);
    if (options.moveFolders && monthFolder && folder) {
        const FileOutcome moved = FolderMover::moveInto(files, *folder, *monthFolder);
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
    const FileOutcome written = SummaryFile::write(files, *target, ArchiveSummary::fileName(project.name),
                                                   ArchiveSummary::markdown(project, kind).toUtf8());
    if (!written.done())
        errors << errorLine(project.name, QStringLiteral("写入清单失败"), written.error);
}

} // namespace

ProjectStore::ProjectStore(FileSystem& files, Desktop desktop, QObject* parent)
    : QObject(parent),
      m_files(files),
      m_desktop(std::move(desktop)),
      m_folder(Storage::directory()),
      m_sync(syncHost(), realSeams(files), Library{{}, m_registry.types()}) {
    // Shows the file's projects with the first window, unless another program
    // holds the folder (or the disk hangs): then the shelf fills when the read lands.
    if (!m_sync.begin())
        Log::info(QStringLiteral("Sorvel: the data folder %1 is busy; reading it once it is free").arg(m_folder));
    m_watch = std::make_unique<FolderWatch>(m_folder, [this] { m_sync.folderChanged(); });
}

DataFileSync::Host ProjectStore::syncHost() {
    DataFileSync::Host host;
    host.current = [this] { return currentLibrary(); };
    host.show = [this](const Library& library) { apply(library); };
    host.showKnown = [this](const Library& library, const ProjectChange& change) {
        QList<AudioProject> before = std::exchange(m_projects, library.projects);
        registry().setTypes(library.types);
        if (!change.isEmpty())
            announce(change);
        return before;
    };
    host.reloadTimelines = [this] {
        if (m_desktop.reloadTimelines)
            m_desktop.reloadTimelines();
    };
    host.saveFinished = [this](bool lasts) { Q_EMIT saveFinished(lasts); };
    host.problemChanged = [this] { Q_EMIT saveProblemChanged(); };
    host.folderWaitChanged = [this] { Q_EMIT folderWaitChanged(); };
    host.firstReadFinished = [this] { Q_EMIT firstReadFinished(); };
    return host;
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
    return m_watch && m_watch->isWatching();
}

bool ProjectStore::isIdle() const {
    return m_sync.isIdle();
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
        m_sync.stepped(id, delta);
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
        archiveOne(m_files, archived, registry().type(archived.typeID), monthFolder, options, errors);
        update(id, [&](AudioProject& p) { p = archived; });
    }
    return errors;
}

// Saving

void ProjectStore::scheduleSave() {
    m_sync.changed();
}

Library ProjectStore::currentLibrary() const {
    // The top level's members no record reads are the file's: the store never changes them.
    return Library{m_projects, registry().types(), m_sync.base().unknown};
}

FileOutcome ProjectStore::keepRescueCopy() {
    return m_sync.keepRescueCopy();
}

std::optional<Library> ProjectStore::lastReadLibrary() const {
    return m_sync.lastReadLibrary();
}

bool ProjectStore::isWaitingForFolder() const {
    return m_sync.isWaitingForFolder();
}

void ProjectStore::quit(int folderPatienceMs) {
    m_sync.quit(folderPatienceMs);
}

void ProjectStore::apply(const Library& library) {
    setProjects(library.projects);
    registry().setTypes(library.types);
}

QString ProjectStore::unsavedSummary() const {
    if (!isDirty())
        return {};
    const Library& synced = m_sync.base();
    QHash<QUuid, const AudioProject*> held;
    for (const AudioProject& p : synced.projects)
        held.insert(p.id, &p);
    QStringList changed;
    for (const AudioProject& p : m_projects) {
        const AudioProject* before = held.take(p.id);
        if (!before || !(*before == p))
            changed << QStringLiteral("\"") + p.name + QStringLiteral("\"");
    }
    QStringList parts;
    if (!changed.isEmpty())
        parts << QStringLiteral("%1 project(s) changed or added: %2")
                     .arg(changed.size())
                     .arg(changed.join(QStringLiteral(", ")));
    if (!held.isEmpty())
        parts << QStringLiteral("%1 project(s) deleted").arg(held.size());
    if (registry().types() != synced.types)
        parts << QStringLiteral("project types changed");
    return parts.isEmpty() ? QStringLiteral("changes") : parts.join(QStringLiteral("; "));
}

} // namespace sorvel
