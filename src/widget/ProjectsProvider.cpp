#include "widget/ProjectsProvider.h"

#include "core/Storage.h"
#include "core/TypeRegistry.h"
#include "widget/SampleData.h"

namespace sorvel::ProjectsProvider {

namespace {

// One coordinated read: the file's types become the process's types, and the
// projects shrink to the active ones in shelf order. Every failure to read
// (missing, undecodable, unreadable) gives the empty shelf with default types;
// `unreadable` tells a file that is there but could not be used.
QList<AudioProject> loadActive(bool* unreadable = nullptr) {
    const Storage::ReadResult read = Storage::read();
    TypeRegistry::shared().setTypes(read.library.types);
    if (unreadable)
        *unreadable = read.kind == Storage::ReadResult::Kind::Undecodable
                      || read.kind == Storage::ReadResult::Kind::Unreadable;
    return activeSorted(read.library.projects);
}

} // namespace

ProjectsEntry placeholder() {
    return {QDateTime::currentDateTimeUtc(), SampleData::projects()};
}

ProjectsEntry snapshot(bool isPreview) {
    QList<AudioProject> projects = loadActive();
    const QDateTime date = QDateTime::currentDateTimeUtc();
    if (projects.isEmpty() && isPreview)
        projects = SampleData::projects();
    return {date, projects};
}

Timeline timeline() {
    bool unreadable = false;
    QList<AudioProject> projects = loadActive(&unreadable);
    ProjectsEntry entry{QDateTime::currentDateTimeUtc(), std::move(projects), unreadable};
    const QDateTime reloadAt = QDateTime::currentDateTimeUtc().addSecs(reloadSeconds);
    return {std::move(entry), reloadAt};
}

} // namespace sorvel::ProjectsProvider
