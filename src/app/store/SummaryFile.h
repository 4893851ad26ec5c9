#pragma once

#include "core/FileOutcome.h"

#include <QByteArray>
#include <QString>

namespace sorvel::SummaryFile {

// Writes `bytes` as a new file in `folder`, named `fileName` or the first free
// name made from it. The content appears complete or not at all, and an
// existing file is never replaced.
FileOutcome write(const QString& folder, const QString& fileName, const QByteArray& bytes);

} // namespace sorvel::SummaryFile
