#pragma once

#include "core/Library.h"

#include <QDateTime>
#include <QString>

namespace sorvel::RescueCopy {

// Where a quit that cannot write the data file leaves the unsaved library:
// $XDG_STATE_HOME/Sorvel (~/.local/state/Sorvel), outside the data folder, so
// that it is never taken for the data file or one of its kept copies.
QString folder();

struct Outcome {
    QString path; // written: the rescue file
    QString error; // not written: why
};

// Writes `library` in the data file's format to a new file in folder() named
// projects-rescued-<yyyyMMdd-HHmmss>.json after `at` (local time), with a
// number added when that name is taken; never replaces a file. Nothing reads
// it back: the user restores it by hand.
Outcome write(const Library& library, const QDateTime& at);

} // namespace sorvel::RescueCopy
