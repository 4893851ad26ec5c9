#pragma once

#include "app/store/ProgressSteps.h"
#include "core/FileError.h"
#include "core/FileOutcome.h"
#include "core/FolderLock.h"
#include "core/Library.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace sorvel::RescueCopy {

// Where a quit that cannot write the data file leaves the unsaved library:
// $XDG_STATE_HOME/Sorvel (~/.local/state/Sorvel), outside the data folder, so
// that it is never taken for the data file or one of its kept copies.
QString folder();

// The progress steps of an unsaved library not written yet, which merge as
// steps; `run` is the program run that made them and `revision` its change
// the copy holds, so that a later copy of the same run does not step twice.
struct KeptSteps {
    QUuid run;
    quint64 revision = 0;
    ProgressSteps steps;
};

// Writes what a later merge needs to a new file in folder() named
// projects-rescued-<yyyyMMdd-HHmmss>.json after `at` (local time), with a
// number added when that name is taken; never replaces a file. `base` is the
// library the program last read from the data file (none when it never read
// it), `unsaved` the one it holds. Done, the outcome's path is the rescue file.
FileOutcome write(const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                  const KeptSteps& steps = {});

// Renames a rescue file whose changes are in the data file
// projects-restored-…, so that no start merges it again, and logs `what`
// happened to it (or why it stays).
void retire(const QString& path, const QString& what);

// A rescue file whose merge could not be written, and why.
struct NotMerged {
    QString path;
    FileError why;
};

// Merges every rescue file in folder() into the data file, as a change of
// another program is merged: record by record and field by field from `base`,
// the rescued value where both changed one field (the other is logged); a
// copy made before any read only adds and changes, never deletes; its
// progress steps add to the file's value as steps. Copies are merged in the
// order they were made, whatever their names sort as. Each
// merged file is then renamed projects-restored-…, so that it is merged
// once; one that cannot be merged now stays for the next start. Returns how
// many were merged. `notWritten` gets each copy whose merge could not be
// written; `among`, when given, limits the merge
// to those copies.
int restoreAll(const FolderLock::Waiter& waiter, QList<NotMerged>* notWritten = nullptr,
               const std::optional<QStringList>& among = std::nullopt);

} // namespace sorvel::RescueCopy
