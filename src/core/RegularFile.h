#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/types.h>

namespace sorvel {
class FileSystem;
}

namespace sorvel::RegularFile {

// Files the application reads or copies on its own (settings, the earlier
// product's folder) must be regular files: opening a FIFO blocks for ever,
// and writing to a device or through a link onto one damages something that
// is not ours. Every operation here goes through the FileSystem it is given.

// True when nothing is at `path` (a dangling link counts as nothing) or the
// path leads to a regular file. Anything else (FIFO, device, socket, folder,
// a loop of links) is logged, naming `what`, and gives false. Never opens it.
bool isMissingOrRegular(FileSystem& files, const QString& path, const QString& what);

// Copies the regular file `source` to `target`, which must not exist yet (a
// link there is never followed). The source is opened without blocking and
// its kind checked on the open descriptor; anything but a regular file is
// logged and skipped. Keeps the permission bits and the times. False when nothing was copied.
bool copyNew(FileSystem& files, const QString& source, const QString& target);

// The whole of the file at `path`, opened without blocking (a FIFO there
// never hangs the read); none, with errno set, when it cannot be read.
std::optional<QByteArray> readAll(FileSystem& files, const QString& path);

// Writes all `size` bytes to `fd`, going on after short writes and interruptions;
// false with errno set when that fails (EFBIG past the file-size limit, never a signal).
bool writeAll(FileSystem& files, int fd, const char* data, qint64 size);
// Writes all of `bytes` to `fd`, syncs and closes it (always); 0 or the first errno.
int writeSyncClose(FileSystem& files, int fd, const QByteArray& bytes);

// Gives the open file `fd` the group `group` and then the permission bits
// `mode` (a change of group clears the set-id bits, so the mode comes last).
// A group the system refuses (the user is not in it) is logged, naming
// `path`, and the mode is set all the same. 0 or the errno of setting the mode.
int setGroupAndMode(FileSystem& files, int fd, gid_t group, mode_t mode, const QString& path);

// Syncs the folder at `path` (or open as `fd`), so that a rename in it
// survives a crash; 0 or the errno. A file system that cannot sync a folder
// at all counts as done: there is nothing more to wait for.
int syncFolder(FileSystem& files, const QString& path);
int syncFolder(FileSystem& files, int fd);

// Renames without ever replacing what exists at `to` (not even an empty folder).
// Returns 0 or the errno of the failure (EEXIST when `to` is taken).
int renameNoReplace(FileSystem& files, const QString& from, const QString& to);

// Makes the folder `path` and those above it that are missing; 0 (also when
// it is there already) or the errno of the failure.
int makePath(FileSystem& files, const QString& path);

// Whether a folder is at `path` (a link to one counts).
bool isFolder(FileSystem& files, const QString& path);

// What the link at `path` points to, made absolute from the link's folder
// and cleaned; none when `path` is no link.
std::optional<QString> linkTarget(FileSystem& files, const QString& path);

// Which entries a listing keeps.
enum class Entries {
    Any,
    Files, // regular files, or links to one
};

// The names in `folder` that start with `prefix` and end with `suffix`, of
// the kind asked, in the order of their text; nothing when the folder cannot be read.
QStringList namesIn(FileSystem& files, const QString& folder, const QString& prefix = {}, const QString& suffix = {},
                    Entries kind = Entries::Any);

} // namespace sorvel::RegularFile
