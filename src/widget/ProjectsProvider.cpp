#include "widget/ProjectsProvider.h"

#include "core/Storage.h"
#include "widget/SampleData.h"

namespace sorvel::ProjectsProvider {

namespace {

// One coordinated read: the file's types, and its projects shrunk to the
// active ones in shelf order. Every failure to read (missing, undecodable,
// unreadable) gives the empty shelf with default types.
Library loadActive() {
    Library library = Storage::load();
    library.projects = activeSorted(library.projects);
    return library;
}

} // namespace

ProjectsEntry placeholder() {
    return {QDateTime::currentDateTimeUtc(), SampleData::projects()};
}

ProjectsEntry snapshot(bool isPreview) {
    Library library = loadActive();
    const QDateTime date = QDateTime::currentDateTimeUtc();
    if (library.projects.isEmpty() && isPreview)
        library.projects = SampleData::projects();
    return {date, library.projects, library.types};
}

Timeline timeline() {
    Library library = loadActive();
    ProjectsEntry entry{QDateTime::currentDateTimeUtc(), std::move(library.projects), std::move(library.types)};
    const QDateTime reloadAt = QDateTime::currentDateTimeUtc().addSecs(reloadSeconds);
    return {std::move(entry), reloadAt};
}

} // namespace sorvel::ProjectsProvider
