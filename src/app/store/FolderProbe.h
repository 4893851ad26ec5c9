#pragma once

#include <QString>

namespace sorvel::FolderProbe {

// Whether another process holds the data folder's lock so that a lock of this
// kind would have to wait for it (exclusive: any holder; shared: a writer).
// Never waits. Any other failure (no folder, no descriptors, no locks on this
// file system) is no holder: the storage meets it and reports it itself.
bool isHeldElsewhere(const QString& folder, bool exclusive);

} // namespace sorvel::FolderProbe
