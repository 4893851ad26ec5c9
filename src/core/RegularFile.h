#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace sorvel::RegularFile {

// Files the application reads or copies on its own (settings, the earlier
// product's folder) must be regular files: opening a FIFO blocks for ever,
// and writing to a device or through a link onto one damages something that
// is not ours.

// True when nothing is at `path` (a dangling link counts as nothing) or the
// path leads to a regular file. Anything else (FIFO, device, socket, folder,
// a loop of links) is logged, naming `what`, and gives false. Never opens it.
bool isMissingOrRegular(const QString& path, const QString& what);

// Copies the regular file `source` to `target`, which must not exist yet (a
// link there is never followed). The source is opened without blocking and
// its kind checked on the open descriptor; anything but a regular file is
// logged and skipped. Keeps the permission bits and the times. False when nothing was copied.
bool copyNew(const QString& source, const QString& target);

// Writes all `size` bytes to `fd`, going on after short writes and interruptions;
// false with errno set when that fails (EFBIG past the file-size limit, never a signal).
bool writeAll(int fd, const char* data, qint64 size);
// Writes all of `bytes` to `fd`, syncs and closes it (always); 0 or the first errno.
int writeSyncClose(int fd, const QByteArray& bytes);

// Gives the open file `fd` the group `group` and then the permission bits
// `mode` (a change of group clears the set-id bits, so the mode comes last).
// A group the system refuses (the user is not in it) is logged, naming
// `path`, and the mode is set all the same. 0 or the errno of setting the mode.
int setGroupAndMode(int fd, gid_t group, mode_t mode, const QString& path);

// Syncs the folder at `path` (or open as `fd`), so that a rename in it
// survives a crash; 0 or the errno. A file system that cannot sync a folder
// at all counts as done: there is nothing more to wait for.
int syncFolder(const QString& path);
int syncFolder(int fd);

// Renames without ever replacing what exists at `to` (not even an empty folder).
// Returns 0 or the errno of the failure (EEXIST when `to` is taken).
int renameNoReplace(const QString& from, const QString& to);

} // namespace sorvel::RegularFile
