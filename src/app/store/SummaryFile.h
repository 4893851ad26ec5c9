#pragma once

#include "app/store/FreeName.h"
#include "core/FileOutcome.h"

#include <QByteArray>
#include <QString>

namespace sorvel {
class FileSystem;
}

namespace sorvel::SummaryFile {

// Writes `bytes` as a new file in `folder`, under the first free form of
// `name` (FreeName), put in its place by a rename through `files`. The content appears complete or not at all, and an
// existing file is never replaced.
FileOutcome write(FileSystem& files, const QString& folder, const FreeName::Name& name, const QByteArray& bytes);

} // namespace sorvel::SummaryFile
