#include "core/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorvel {

int PosixFileSystem::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

int PosixFileSystem::mkostemp(char* pattern, int flags) {
    return ::mkostemp(pattern, flags);
}

ssize_t PosixFileSystem::read(int fd, void* buffer, size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t PosixFileSystem::write(int fd, const void* data, size_t size) {
    return ::write(fd, data, size);
}

int PosixFileSystem::fsync(int fd) {
    return ::fsync(fd);
}

int PosixFileSystem::close(int fd) {
    return ::close(fd);
}

int PosixFileSystem::fstat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int PosixFileSystem::fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

int PosixFileSystem::fchown(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}

int PosixFileSystem::futimens(int fd, const struct timespec times[2]) {
    return ::futimens(fd, times);
}

int PosixFileSystem::getFlags(int fd) {
    return ::fcntl(fd, F_GETFL);
}

int PosixFileSystem::setFlags(int fd, int flags) {
    return ::fcntl(fd, F_SETFL, flags);
}

int PosixFileSystem::flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int PosixFileSystem::stat(const char* path, struct stat* info) {
    return ::stat(path, info);
}

int PosixFileSystem::lstat(const char* path, struct stat* info) {
    return ::lstat(path, info);
}

ssize_t PosixFileSystem::readlink(const char* path, char* buffer, size_t size) {
    return ::readlink(path, buffer, size);
}

int PosixFileSystem::symlink(const char* target, const char* path) {
    return ::symlink(target, path);
}

int PosixFileSystem::link(const char* from, const char* to) {
    return ::link(from, to);
}

int PosixFileSystem::unlink(const char* path) {
    return ::unlink(path);
}

int PosixFileSystem::rename(const char* from, const char* to) {
    return ::rename(from, to);
}

int PosixFileSystem::renameat2(const char* from, const char* to, unsigned flags) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

int PosixFileSystem::mkdir(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}

std::optional<QStringList> PosixFileSystem::list(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0) {
        errno = error;
        return std::nullopt;
    }
    return names;
}

} // namespace sorvel
