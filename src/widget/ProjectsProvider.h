#pragma once

#include "core/FolderLock.h"
#include "widget/ProjectsEntry.h"

namespace sorvel {
class FileSystem;
}

// Reads the data file through the FileSystem each call is given.
namespace sorvel::ProjectsProvider {

// A timeline is good for this long; then the widget reads the file again.
constexpr qint64 reloadSeconds = 1800;

// The sample projects with the default types, now; reads no file.
ProjectsEntry placeholder();
// The active projects of the data file, now. In a preview (`isPreview`) an
// empty shelf shows the sample projects instead.
ProjectsEntry snapshot(FileSystem& files, bool isPreview);
// One entry from the data file and its reload moment, reloadSeconds after a
// second reading of the clock. While another program holds the data folder
// for longer than `waiter` waits, the entry is folderBusy.
Timeline timeline(FileSystem& files,
                  const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));

} // namespace sorvel::ProjectsProvider
