#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

namespace sorvel {

// The file operations of the code that reads, writes and keeps aside the
// composer's data, one for one the system's own calls: the same arguments,
// and -1 with errno set on a failure. Everything that touches the data folder,
// the rescue copies' folder or the earlier product's folder goes through one
// of these, handed down from the program's composition root, so that a test
// can put a disk of its own underneath (one that pauses, fails, hangs or
// loses what was not synced) and run the very code that ships.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // On descriptors.
    virtual int open(const char* path, int flags, mode_t mode = 0) = 0;
    // Creates and opens a new file whose name is `pattern` with its trailing
    // "XXXXXX" made unique; the name is written back into `pattern`.
    virtual int mkostemp(char* pattern, int flags) = 0;
    virtual ssize_t read(int fd, void* buffer, size_t size) = 0;
    virtual ssize_t write(int fd, const void* data, size_t size) = 0;
    virtual int fsync(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int fstat(int fd, struct stat* info) = 0;
    virtual int fchmod(int fd, mode_t mode) = 0;
    virtual int fchown(int fd, uid_t owner, gid_t group) = 0;
    virtual int futimens(int fd, const struct timespec times[2]) = 0;
    virtual int getFlags(int fd) = 0; // fcntl(F_GETFL)
    virtual int setFlags(int fd, int flags) = 0; // fcntl(F_SETFL)
    virtual int flock(int fd, int operation) = 0;

    // On paths.
    virtual int stat(const char* path, struct stat* info) = 0;
    virtual int lstat(const char* path, struct stat* info) = 0;
    virtual ssize_t readlink(const char* path, char* buffer, size_t size) = 0;
    virtual int symlink(const char* target, const char* path) = 0;
    virtual int link(const char* from, const char* to) = 0;
    virtual int unlink(const char* path) = 0;
    virtual int rename(const char* from, const char* to) = 0;
    // renameat2 with both paths from the working folder (RENAME_NOREPLACE, RENAME_EXCHANGE).
    virtual int renameat2(const char* from, const char* to, unsigned flags) = 0;
    virtual int mkdir(const char* path, mode_t mode) = 0;
    // The names in a folder, "." and ".." left out, in no particular order;
    // nothing, with errno set, when it cannot be read.
    virtual std::optional<QStringList> list(const QString& folder) = 0;
};

// The system's own file operations: what the programs run on.
class PosixFileSystem final : public FileSystem {
public:
    int open(const char* path, int flags, mode_t mode = 0) override;
    int mkostemp(char* pattern, int flags) override;
    ssize_t read(int fd, void* buffer, size_t size) override;
    ssize_t write(int fd, const void* data, size_t size) override;
    int fsync(int fd) override;
    int close(int fd) override;
    int fstat(int fd, struct stat* info) override;
    int fchmod(int fd, mode_t mode) override;
    int fchown(int fd, uid_t owner, gid_t group) override;
    int futimens(int fd, const struct timespec times[2]) override;
    int getFlags(int fd) override;
    int setFlags(int fd, int flags) override;
    int flock(int fd, int operation) override;
    int stat(const char* path, struct stat* info) override;
    int lstat(const char* path, struct stat* info) override;
    ssize_t readlink(const char* path, char* buffer, size_t size) override;
    int symlink(const char* target, const char* path) override;
    int link(const char* from, const char* to) override;
    int unlink(const char* path) override;
    int rename(const char* from, const char* to) override;
    int renameat2(const char* from, const char* to, unsigned flags) override;
    int mkdir(const char* path, mode_t mode) override;
    std::optional<QStringList> list(const QString& folder) override;
};

} // namespace sorvel
