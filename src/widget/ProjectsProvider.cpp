#include "widget/ProjectsProvider.h"

#include "core/Storage.h"
#include "widget/SampleData.h"
#include "widget/WidgetFamily.h"

#include <algorithm>

#include <malloc.h>

namespace sorvel::ProjectsProvider {

namespace {

// The most rows any widget shows: an entry keeps no more projects than that.
qsizetype mostRows() {
    int most = 0;
    for (const WidgetFamily family : WidgetFamilies::all())
        most = std::max(most, WidgetFamilies::rowCount(family));
    return most;
}

// One coordinated read: the file's types, and of the projects only what a
// widget draws, so that the library read goes again when this returns. Every
// failure to read (missing, undecodable, unreadable) gives the empty shelf
// with default types; `unreadable` tells a file that is there but could not
// be used. The date is left to the caller.
ProjectsEntry readEntry(FileSystem& files, const FolderLock::Waiter& waiter) {
    ProjectsEntry entry = [&] {
        const Storage::ReadResult read = Storage::read(files, waiter);
        const Library& library = read.library;
        const auto active = std::count_if(library.projects.cbegin(), library.projects.cend(),
                                          [](const AudioProject& project) { return project.isActive(); });
        return ProjectsEntry{QDateTime(),
                             firstActiveSorted(library.projects, mostRows()),
                             active,
                             read.kind == Storage::ReadResult::Kind::Undecodable
                                 || read.kind == Storage::ReadResult::Kind::Unreadable,
                             read.kind == Storage::ReadResult::Kind::Busy,
                             library.types};
    }();
    // The library's many small blocks are free now, among the few the rows
    // still use; their pages go back to the system, so that the widget idles
    // at the size of what it shows rather than of the file.
    ::malloc_trim(0);
    return entry;
}

ProjectsEntry sampleEntry(const QDateTime& date) {
    const QList<AudioProject> samples = SampleData::projects();
    return {date, samples, samples.size()};
}

} // namespace

ProjectsEntry placeholder() {
    return sampleEntry(QDateTime::currentDateTimeUtc());
}

ProjectsEntry snapshot(FileSystem& files, bool isPreview) {
    ProjectsEntry entry = readEntry(files, FolderLock::patientFor(FolderLock::usualPatienceMs));
    entry.date = QDateTime::currentDateTimeUtc();
    if (entry.activeCount == 0 && isPreview)
        return sampleEntry(entry.date);
    return entry;
}

Timeline timeline(FileSystem& files, const FolderLock::Waiter& waiter) {
    ProjectsEntry entry = readEntry(files, waiter);
    entry.date = QDateTime::currentDateTimeUtc();
    const QDateTime reloadAt = QDateTime::currentDateTimeUtc().addSecs(reloadSeconds);
    return {std::move(entry), reloadAt};
}

} // namespace sorvel::ProjectsProvider
