#pragma once

#include "core/FileError.h"
#include "core/FolderLock.h"
#include "core/Library.h"

#include <QString>

#include <functional>

namespace sorvel::Storage {

QString directory();
QString filePath();

// The outcome of one coordinated read of the data file.
struct ReadResult {
    enum class Kind {
        Decoded, // library holds the file's contents
        Missing, // no file: library is the empty library
        Undecodable, // logged and copied aside; library is the empty library
        Unreadable, // exists but cannot be read (or the data folder could not
                    // be locked): logged and left exactly where it is; library
                    // is the empty library. The error may pass: read again later.
        Busy, // another program held the data folder for longer than the
              // caller would wait: nothing was read; library is the empty library
    };
    Kind kind = Kind::Missing;
    Library library;
    FileError error; // why the file could not be read or decoded
    QString keptAs; // Undecodable: the copy that holds its bytes; empty when none could be made
};

// What the store's save did.
struct SaveResult {
    bool written = false;
    // Written: what the file holds now, as its bytes decode (the same as
    // `resolved` for every value the application holds); the next merge starts from it.
    Library library;
    Library resolved; // written: what `resolve` gave and was written
    FileError error; // not written: why
    bool folderBusy = false; // not written because another program held the data folder
};

// What a change of the file did.
enum class Change {
    Written,
    Unchanged, // the change found nothing to change: nothing written
    NotWritten, // the file could not be read, decoded or written (logged)
    FolderBusy, // another program held the data folder for longer than the caller would wait
};

// Every call below takes the data folder's lock; while another program holds
// it, `waiter` decides how long to try again (FolderLock): nothing ever blocks.

// Coordinated read that says what it found.
ReadResult read(const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));
// Coordinated read; anything but a decoded file gives the empty library.
Library load();
// Coordinated atomic write of the whole file; false when nothing was written (logged).
// Replaces whatever the file holds: for writers that have just read it.
bool save(const Library& library);
// The store's save, one coordinated read and write. Under the exclusive lock it
// reads the file and writes `resolve(found)`, where found is the file's library,
// or null when there is no file or its bytes were kept aside. Bytes nobody has
// read are never replaced: a file that does not decode or cannot be read, and
// a decoded one when `keepDecodedAside` (the caller has not seen the file), is
// first kept as a projects-unreadable copy (a rename when it cannot be copied);
// when that fails, or the read error may pass, nothing is written.
SaveResult save(const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));
// One coordinated read, change and write. Writes nothing when the file exists
// but cannot be read or decoded, or when the change left the library as it
// was (so a missing file is created only by a change that adds something to
// the empty library). `body` must not call Storage itself: the folder lock
// is held while it runs, and it runs again when the folder was replaced meanwhile.
// NotWritten because the folder could not be locked or the write failed puts
// the reason in `failure`, when given; a file that could not be read or
// decoded leaves it empty (that is logged, and shows wherever the file is read).
Change change(const std::function<void(Library&)>& body,
              const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs),
              FileError* failure = nullptr);
// change(), true when the file was written.
bool mutate(const std::function<void(Library&)>& body);

// Whether the data folder holds a kept-aside copy of an earlier data file.
bool hasKeptAsideCopy();
// Removes temporary files an interrupted write of this program left in the data
// folder (only its own names, older than a minute), under the exclusive lock.
void removeStaleDrafts(const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));

} // namespace sorvel::Storage
