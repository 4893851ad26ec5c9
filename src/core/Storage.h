#pragma once

#include "core/FileError.h"
#include "core/FolderLock.h"
#include "core/Library.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

namespace sorvel {
class FileSystem;
}

namespace sorvel::Storage {

QString directory();
QString filePath();

// What a file is on disk, as far as stat tells: a later look that finds the
// same found it unchanged (a write in place moves its size or modification time).
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The outcome of one coordinated read of the data file.
struct ReadResult {
    enum class Kind {
        Decoded, // library holds the file's contents
        Missing, // no file: library is the empty library
        Undecodable, // logged and left as it is (a writer keeps its bytes before
                     // replacing them); library is the empty library
        Unreadable, // exists but cannot be read (or the data folder could not
                    // be locked): logged and left exactly where it is; library
                    // is the empty library. The error may pass: read again later.
        Busy, // another program held the data folder for longer than the
              // caller would wait: nothing was read; library is the empty library
    };
    Kind kind = Kind::Missing;
    Library library;
    FileError error; // why the file could not be read or decoded
    std::optional<FileIdentity> identity; // Decoded or Undecodable: the file as it was read
};

// What the store's save did.
struct SaveResult {
    bool written = false; // the file holds the new bytes
    // Written, but the data folder could not be synced after the rename: a
    // crash of the system may still undo it. `error` says why; a later write
    // makes it durable.
    bool notDurable = false;
    // Written: what the file holds now, as its bytes decode (the same as
    // `resolved` for every value the application holds); the next merge starts from it.
    Library library;
    Library resolved; // written: what `resolve` gave and was written
    FileError error; // not written, or not durable: why
    // Written after keeping what stood in the data file's place aside (a file
    // that could not be read or copied, under a second name; a folder, moved):
    // where it is now.
    QString movedAsideTo;
    bool folderBusy = false; // not written because another program held the data folder
    // Written over a file that repeated a key within an object with other
    // values, of which only the last was read: the copy of its bytes kept first.
    QString repeatsKeptAs;
    // Written over a file that did not decode: the copy of its bytes kept
    // first (none when it was empty, or when it was moved aside instead).
    QString undecodableKeptAs;
    // Not written because the file does not decode and is not the one the
    // caller has seen still for a while (`stillUndecodable`): it may be
    // another program's write in place, still under way. `undecodable` is the
    // file as this save found it.
    bool waitsForQuiet = false;
    std::optional<FileIdentity> undecodable;
};

// Where a write stood just before its draft replaced the data file: the file
// it replaced (none when there was none) and the draft about to take its
// place. Kept with something the write carries into the file (a rescue copy),
// it tells afterwards whether that write replaced the file, at whatever
// instant the writer died: as long as the draft is still there, or the file
// it replaces is, it did not.
struct WriteMark {
    std::optional<FileIdentity> replaced;
    QString draftName; // in the folder the write goes to
    FileIdentity draft;

    // As a part of a file name: letters, digits, '.' and '_' only.
    QString text() const;
    static std::optional<WriteMark> fromText(const QString& text);
    bool operator==(const WriteMark&) const = default;
};

// Something outside the data file whose changes a write carries into it (a
// rescue copy), told of the write's steps so that what it records of them is
// right at every instant.
class Carried {
public:
    virtual ~Carried() = default;
    // The draft is complete and about to replace the file as `mark` says:
    // records that durably before it returns. An errno stops the write, with
    // nothing replaced.
    virtual int replacing(const WriteMark& mark) = 0;
    // The draft replaced the file; `durable` when the folder's sync made
    // that survive a crash of the system too.
    virtual void replaced(bool durable) = 0;
    // The write stopped after replacing() without replacing the file.
    virtual void notReplaced() = 0;
};

// A test ends the process with this status right after the Nth file operation
// (N in SORVEL_EXIT_AFTER_STEP) of writes that carry something, to see every
// instant of them. Carried's own file operations count too. As a disk that
// stops answering, the thread that passes the Nth step (N in
// SORVEL_HANG_AFTER_STEP) stays there until the descriptor in SORVEL_HANG_FD
// (a pipe's reading end) can be read or is closed at the other end.
constexpr int exitedAtStepStatus = 86;
void passedStep();
// A test holds each write right before its new file replaces the data file
// when SORVEL_HOLD_BEFORE_REPLACE names one end of a socket pair: the write
// sends a byte on it and waits for one back.
void holdBeforeReplacing();

// What a change of the file did.
enum class Change {
    Written,
    Unchanged, // the change found nothing to change: nothing written
    NotWritten, // the file could not be read, decoded or written (logged)
    FolderBusy, // another program held the data folder for longer than the caller would wait
};

// Every call below takes the data folder's lock; while another program holds
// it, `waiter` decides how long to try again (FolderLock): nothing ever blocks.
// Every file operation goes through `files`.
// A write puts its new file in the data file's place only while that is still
// the file it read (or still no file): a program that writes without the lock
// may have replaced, changed or removed it meanwhile. Then the call starts
// again from its read, a few times at most; past that nothing is written and
// the call fails (with a reason) as a failed write does.

// Coordinated read that says what it found.
ReadResult read(FileSystem& files,
                const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));
// Coordinated read; anything but a decoded file gives the empty library.
Library load(FileSystem& files);
// Coordinated atomic write of the whole file; false when nothing was written
// (logged; so is a write whose folder could not be synced, which is written).
// Replaces whatever the file holds: for writers that have just read it.
bool save(FileSystem& files, const Library& library);
// The store's save, one coordinated read and write. Under the exclusive lock it
// reads the file and writes `resolve(found)`, where found is the file's library,
// or null when there is no file or its bytes were kept aside. Bytes nobody has
// read are never replaced: a file that does not decode or cannot be read, and
// a decoded one when `keepDecodedAside` (the caller has not seen the file), is
// first kept as a projects-unreadable copy (when it cannot be copied, the file
// itself under a second name, so that the data file is never missing; a folder
// in its place is moved); when that fails, or the read error may pass, nothing
// is written. A file that cannot be read is read once more first. A file that
// does not decode is written over only when it is `stillUndecodable`, the
// file the caller has watched stay as it is for a while: else it may be half
// of another program's write in place, and nothing is written
// (`waitsForQuiet`). So is a
// decoded file that repeats a key within an object with other values, which
// the write drops (`repeatsKeptAs`). Only this write makes such copies, so
// there is one for each write over such a file; past a bound the oldest go.
// `resolve` runs again when the file was replaced meanwhile, with what is there then.
// `carried`, when given, is told of the write's steps (Carried).
SaveResult save(FileSystem& files, const std::function<Library(const Library* found)>& resolve, bool keepDecodedAside,
                const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs),
                Carried* carried = nullptr, const std::optional<FileIdentity>& stillUndecodable = std::nullopt);
// Runs `body` under the exclusive lock, where no write of any program is
// under way, with a test of whether the write a mark was made for replaced
// the data file (none when that cannot be told now). False when the lock
// could not be had.
bool lookBack(FileSystem& files,
              const std::function<void(const std::function<std::optional<bool>(const WriteMark&)>& landed)>& body,
              const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));
// One coordinated read, change and write. Writes nothing when the file exists
// but cannot be read or decoded, when it repeats a key within an object with
// other values and no copy of it can be kept, or when the change left the library as it
// was (so a missing file is created only by a change that adds something to
// the empty library). `body` must not call Storage itself: the folder lock
// is held while it runs, and it runs again when the folder or the file was replaced meanwhile.
// A change in the file is Written even when its folder could not be synced
// after (logged): the file holds it, and making it again would count it twice.
// NotWritten because the folder could not be locked or the write failed puts
// the reason in `failure`, when given; a file that could not be read or
// decoded leaves it empty (that is logged, and shows wherever the file is read).
Change change(FileSystem& files, const std::function<void(Library&)>& body,
              const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs),
              FileError* failure = nullptr);
// change(), true when the file was written.
bool mutate(FileSystem& files, const std::function<void(Library&)>& body);

// Whether the data folder holds a kept-aside copy of an earlier data file.
bool hasKeptAsideCopy(FileSystem& files);
// Removes temporary files an interrupted write of this program left in the data
// folder (only its own names, older than a minute), under the exclusive lock.
// Another program's file that such a write took out of the data file's place
// and left under a draft's name is kept aside as a projects-unreadable copy.
void removeStaleDrafts(FileSystem& files,
                       const FolderLock::Waiter& waiter = FolderLock::patientFor(FolderLock::usualPatienceMs));

} // namespace sorvel::Storage
