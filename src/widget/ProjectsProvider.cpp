#include "widget/ProjectsProvider.h"

#include "core/Storage.h"
#include "core/TypeRegistry.h"
#include "widget/SampleData.h"

namespace sorvel::ProjectsProvider {

namespace {

// One coordinated read: the file's types become the process's types, and the
// projects shrink to the active ones in shelf order. Every failure to read
// (missing, undecodable, unreadable) gives the empty shelf with default types.
QList<AudioProject> loadActive() {
    const Library library = Storage::load();
    TypeRegistry::shared().setTypes(library.types);
    return activeSorted(library.projects);
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
    QList<AudioProject> projects = loadActive();
    ProjectsEntry entry{QDateTime::currentDateTimeUtc(), std::move(projects)};
    const QDateTime reloadAt = QDateTime::currentDateTimeUtc().addSecs(reloadSeconds);
    return {std::move(entry), reloadAt};
}

} // namespace sorvel::ProjectsProvider
