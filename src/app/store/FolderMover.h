#pragma once

#include "core/FileOutcome.h"

#include <QString>

namespace sorvel {
class FileSystem;
}

namespace sorvel::FolderMover {

// Moves `source` into `folder` under its own name or the first free name made
// from it, renaming through `files` (a copy across file systems is made on
// the disk itself); done, the outcome's path is where the folder now is. A source that
// is in `folder` already stays where it is; one that is not there at all fails
// with the system's reason. Never replaces anything. Across file systems the tree
// is copied, the copy is checked (same entries, same sizes) and only then is the source removed.
FileOutcome moveInto(FileSystem& files, const QString& source, const QString& folder);

// Copies a tree (folders, files, symbolic links) to `destination`, which must
// not exist. Returns 0 or an errno; a partial copy is removed again.
int copyTree(const QString& source, const QString& destination);

// Whether both trees hold the same relative entries, of the same kinds and sizes.
bool sameTree(const QString& first, const QString& second);

} // namespace sorvel::FolderMover
