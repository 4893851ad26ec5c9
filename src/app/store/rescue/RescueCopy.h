#pragma once

#include "app/store/model/ProgressSteps.h"
#include "core/FileError.h"
#include "core/FileOutcome.h"
#include "core/FolderLock.h"
#include "core/Library.h"
#include "core/Storage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace sorvel {
class FileSystem;
}

// Every file operation of the rescue copies goes through the FileSystem each
// call is given (a Carrier holds one).
namespace sorvel::RescueCopy {

// Where a quit that cannot write the data file leaves the unsaved library:
// $XDG_STATE_HOME/Sorvel (~/.local/state/Sorvel), outside the data folder, so
// that it is never taken for the data file or one of its kept copies.
QString folder();

// The progress steps of an unsaved library not written yet, which merge as
// steps; `run` is the program run that made them and `revision` its change
// the copy holds, so that a later copy of the same run does not step twice.
// `landed`: the run's changes up to here reached the data file by a write
// that landed as the copy was made, whose steps are not carried again.
struct KeptSteps {
    QUuid run;
    quint64 revision = 0;
    ProgressSteps steps;
    quint64 landed = 0;
};

// Writes what a later merge needs to a new file in folder() named
// projects-rescued-<number>-<yyyyMMdd-HHmmss>Z.json, the number one more than
// any copy's in the folder has (so that no clock can reorder them) and the
// time `at` in UTC; never replaces a file. `base` is the library the program
// last read from the data file (none when it never read it), `unsaved` the
// one it holds. `landed`: its changes are in the data file already, and the
// copy is made retired (projects-restored-…). `mayNotLast`: the write that
// put them there, whose folder could not be synced after: the copy is made as
// one that write carried (projects-restoring-…~<mark>), which the next start
// retires when the write lasted and merges when it did not. Done, the
// outcome's path is the rescue file.
FileOutcome write(FileSystem& files, const std::optional<Library>& base, const Library& unsaved, const QDateTime& at,
                  const KeptSteps& steps = {}, bool landed = false,
                  const std::optional<Storage::WriteMark>& mayNotLast = std::nullopt);

// Renames a rescue file whose changes are in the data file
// projects-restored-…, so that no start merges it again, and logs `what`
// happened to it (or why it stays).
void retire(FileSystem& files, const QString& path, const QString& what);

// Carries rescue files through a write of the data file: before the file is
// replaced each is renamed projects-restoring-… with the write's mark, so
// that whatever instant the program dies at, the next start tells whether
// their changes reached the file; after, projects-restored-… (logging `what`
// with each path); back to its name when the write stopped before.
class Carrier final : public Storage::Carried {
public:
    // `paths` follow the files as they are renamed: where they are now. They
    // and `files` must outlive the carrier.
    Carrier(FileSystem& files, QStringList& paths, QString what);
    int replacing(const Storage::WriteMark& mark) override;
    void replaced(bool durable) override;
    void notReplaced() override;
    // Why replacing() refused: the copies could not be marked in their
    // folder (0 when they were, or were never asked to be).
    int refused() const { return m_refused; }

private:
    FileSystem& m_files;
    QStringList& m_paths;
    int m_refused = 0;
    QStringList m_before; // their names before replacing()
    QString m_what;
};

// A rescue file whose merge could not be written, why, and what it holds:
// its `steps` are those not in the data file yet.
struct NotMerged {
    QString path;
    FileError why;
    Library base;
    Library unsaved;
    ProgressSteps steps;
};

// Merges every rescue file in folder() into the data file, as a change of
// another program is merged: record by record and field by field from `base`,
// the rescued value where both changed one field (the other is logged); a
// copy made before any read only adds and changes, never deletes; its
// progress steps add to the file's value as steps, save those it holds of
// an earlier copy of its run that is retired (its changes are in the file,
// whichever call or start merged it). Copies are merged in the order they
// were made, whatever the clock did in between. A copy a write
// was carrying when the program died (projects-restoring-…) is retired when
// that write replaced the file, else merged like the others. Each
// merged file is then renamed projects-restored-…, so that it is merged
// once; one whose merge cannot be written now stays, and so do the copies
// made after it, which would otherwise land first. Returns how many were
// merged. `notWritten` gets each copy left for that reason that can be read,
// in the order they were made: the program takes them in as unsaved changes
// (foldInto) and its write retires them. A copy that cannot be marked as
// being written, because folder() cannot be written, stops the merge the same
// way, but no write could carry it or retire it: it and the later ones stay
// where they are for a later call (RescueCopies::carrierOf) or start, and
// `notCarried` gets the folder and why.
int restoreAll(FileSystem& files, const FolderLock::Waiter& waiter, QList<NotMerged>* notWritten = nullptr,
               FileError* notCarried = nullptr);
// What merging a rescue copy (`unsaved`, grown from `base`, with its steps)
// into the data file's library `found` (none: no file, or kept aside) gives:
// the copy's values win a conflict, its steps add to the file's value.
Library mergeInto(const Library* found, const Library& base, const Library& unsaved, const ProgressSteps& steps);
// The copies (at least one) merged onto `found` one after the other, in
// their order.
Library foldInto(const Library* found, const QList<NotMerged>& copies);

// Puts the names of rescue files in the order restoreAll() merges them, the
// order they were made: oldest first, so that a later copy's values win over
// an earlier one's.
void sortAsMade(QStringList& names);

} // namespace sorvel::RescueCopy
