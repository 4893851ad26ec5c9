#pragma once

#include "core/FileSystem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <sys/types.h>

namespace sorvel::test {

// A disk in memory under the very code that ships: folders, regular files as
// inodes (hard links, unlinked files alive while open), symbolic links,
// descriptors with offsets and flags, and flock per open file description, as
// Linux gives them. What it adds is what a real disk cannot be made to do on
// cue: a hook before every call (to act as another program at that instant,
// fail the call or hold it), faults at the flick of a switch (a read-only
// folder, a full disk, a failing fsync), and losing power: only what was
// fsynced survives, as on ext4 without data journalling.
//
// Safe to call from several threads. The hook runs without the file system's
// lock held, so a hook that blocks holds only its own caller.
class MemoryFileSystem final : public FileSystem {
public:
    // One call of the program, as the hook sees it before it happens.
    struct Operation {
        enum class Kind {
            Open,
            Mkostemp,
            Read,
            Write,
            Fsync,
            Close,
            Fstat,
            Fchmod,
            Fchown,
            Futimens,
            GetFlags,
            SetFlags,
            Flock,
            Stat,
            Lstat,
            Readlink,
            Symlink,
            Link,
            Unlink,
            Rename,
            Renameat2,
            Mkdir,
            List,
        };
        Kind kind;
        // The path named, or the path the descriptor was opened by; mkostemp's pattern.
        QString path;
        // The second path of link, rename and renameat2; the target of symlink.
        QString otherPath;
        int fd = -1;
        // open's and mkostemp's flags, flock's operation, renameat2's flags.
        int flags = 0;

        // "rename /a/b -> /a/c", "flock fd 4 /a exclusive no wait": for a schedule's printout.
        QString describe() const;
    };

    // Where an inode is: the device and inode numbers stat gives.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };

    MemoryFileSystem();
    ~MemoryFileSystem() override;
    MemoryFileSystem(const MemoryFileSystem&) = delete;
    MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

    // Called before every call of the program, on the caller's thread. It may
    // act through outside(), fail the call (failThisCall), block for as long
    // as the schedule wants the call to hang, or throw to end the caller's
    // work (the call then does nothing). Set before the program runs.
    std::function<void(const Operation&)> before;
    // From inside the hook: the call does nothing and returns -1 with `error`.
    static void failThisCall(int error);

    // The time stamped on what changes (st_mtim, st_ctim); called under the
    // file system's lock, so it must not call back into it. Without one, the
    // time moves on by a millisecond at each stamp, so that every change is seen.
    void setClock(std::function<timespec()> now);
    // The permission bits taken away from a new file's or folder's mode (022 by default).
    void setUmask(mode_t mask);

    // Faults. Every change inside `folder` (a name made, removed or renamed,
    // a file opened for writing, its mode, owner or times set) fails with
    // `error`: EACCES for that folder's own names, as a folder without write
    // permission; EROFS for everything below it too, as a read-only mount. 0
    // lifts it. False when there is no such folder.
    bool setReadOnly(const QString& folder, int error);
    // The program's writes may put this many more bytes on the disk, then
    // fail with ENOSPC (a short write first, as the system does); nothing lifts it.
    void setSpaceLeft(std::optional<std::int64_t> bytes);
    // Every fsync of the program fails with EIO, making nothing durable.
    void setFsyncFails(bool fails);

    // The machine loses power: every folder's names go back to what its last
    // fsync made durable, every file's bytes to its last fsync (a file never
    // synced is empty), files no longer named anywhere are gone. Every
    // descriptor is closed and every lock dropped, the outside's too. A call
    // held in the hook meanwhile does nothing once let go and fails with EIO.
    void powerCut();
    // The program is killed and the system goes on: its descriptors are
    // closed and its locks dropped, nothing is lost; outside locks stay. A
    // call held in the hook meanwhile does nothing and fails with EIO.
    void crash();
    // Everything as it is now becomes durable, as `sync` does.
    void syncAll();

    // Inspection, past the hook and the faults. Symbolic links are followed.
    std::optional<QByteArray> contents(const QString& path) const;
    // The names in a folder, sorted.
    std::optional<QStringList> names(const QString& folder) const;
    // Whether anything is named `path` (a dangling link counts).
    bool exists(const QString& path) const;
    std::optional<Identity> identity(const QString& path) const;
    // The program's open descriptors.
    int openDescriptors() const;
    // The flock calls that would have blocked on a lock held elsewhere: each
    // failed with EWOULDBLOCK rather than hang the test.
    int blockingLockCalls() const;

    // Another program on the same disk, acting at once: past the hook and
    // the faults. Each returns false when it could not be done (a missing
    // folder, a folder in the way, a lock held elsewhere).
    class Outside {
    public:
        enum class Durability { Synced, NotSynced };
        // Creates the folder and those above it; made durable at once.
        bool makeFolders(const QString& folder);
        // A temporary file beside `path`, written whole and renamed over it;
        // with Synced the file and then its folder are fsynced.
        bool writeAtomically(const QString& path, const QByteArray& bytes, Durability durability = Durability::Synced);
        // Truncates the file at `path` in place (created when missing) and
        // writes `bytes`: the same inode, its bytes changing under a reader.
        bool writeInPlace(const QString& path, const QByteArray& bytes);
        // Writes `bytes` at the end of the file at `path`, in place.
        bool append(const QString& path, const QByteArray& bytes);
        // Truncates the file at `path` in place (created when missing) and
        // writes `bytes` through a descriptor it keeps open, as a program
        // that pauses within its write: the descriptor's handle, or nothing.
        std::optional<int> beginWriteInPlace(const QString& path, const QByteArray& bytes);
        // Writes `bytes` on through the handle's descriptor, into the file
        // it opened whatever it is named now, and closes it. False when the
        // handle is gone (a power cut closes it).
        bool endWriteInPlace(int handle, const QByteArray& bytes);
        bool remove(const QString& path);
        // Removes `path` and makes a new file there: another inode.
        bool removeAndCreate(const QString& path, const QByteArray& bytes);
        bool renameOver(const QString& from, const QString& to);
        bool makeSymlink(const QString& target, const QString& path);
        // Takes flock on `path` through a descriptor of its own, never
        // waiting; its handle, or nothing when held elsewhere.
        std::optional<int> lock(const QString& path, bool exclusive);
        bool unlock(int handle);

    private:
        friend class MemoryFileSystem;
        explicit Outside(MemoryFileSystem& fs) : m_fs(fs) {}
        MemoryFileSystem& m_fs;
    };
    Outside outside() { return Outside(*this); }

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

private:
    struct Node;
    struct Description;
    using NodePtr = std::shared_ptr<Node>;
    struct Found;
    // Who makes a change: the program meets the faults, the outside does not.
    enum class Actor { Program, Outside };

    // Runs one call of the program: the hook, then `body` under the lock. The
    // body returns the result, or minus the errno.
    template <typename Body>
    long call(Operation operation, Body body);
    Operation onDescriptor(Operation::Kind kind, int fd) const;
    static Operation named(Operation::Kind kind, const QString& path, const QString& other = {}, int flags = 0);

    timespec now();
    NodePtr newNode(mode_t type, mode_t permissions);
    long resolve(const NodePtr& start, const QByteArray& path, bool followLast, Found& found, int depth = 0) const;
    long resolve(const QString& path, bool followLast, Found& found) const;
    std::shared_ptr<Description> description(int fd) const;
    // The errno a read-only switch gives a change in `folder`: of its names
    // (EACCES or EROFS), or of a file's bytes or attributes (EROFS); 0 when allowed.
    int changeError(const NodePtr& folder, Actor actor, bool names) const;
    void addName(const NodePtr& folder, const QByteArray& name, const NodePtr& node);
    void dropName(const NodePtr& folder, const QByteArray& name);
    void fill(const Node& node, struct stat* info) const;
    void unlockAll(Description& description);
    void closeAll(bool outsideToo);

    long openLocked(const QByteArray& path, int flags, mode_t mode, Actor actor, std::shared_ptr<Description>& opened);
    long writeLocked(Description& file, const char* data, size_t size, Actor actor);
    long fsyncLocked(Description& file, Actor actor);
    long flockLocked(Description& file, int operation);
    long mkdirLocked(const QByteArray& path, mode_t mode, Actor actor);
    long unlinkLocked(const QByteArray& path, Actor actor);
    long renameLocked(const QByteArray& from, const QByteArray& to, unsigned flags, Actor actor);
    long symlinkLocked(const QByteArray& target, const QByteArray& path, Actor actor);
    int adopt(const std::shared_ptr<Description>& opened);

    mutable std::mutex m_mutex;
    NodePtr m_root;
    std::map<int, std::shared_ptr<Description>> m_descriptors;
    std::map<int, std::shared_ptr<Description>> m_outsideLocks;
    std::map<int, std::shared_ptr<Description>> m_outsideWrites;
    // Descriptor numbers are never used twice, so that a call on a closed
    // descriptor fails (EBADF) rather than reach another file.
    int m_nextDescriptor = 3;
    int m_nextHandle = 1;
    ino_t m_nextInode = 2;
    std::uint64_t m_nextName = 0;
    // Counts power cuts and crashes: a call held across one does nothing.
    std::uint64_t m_generation = 0;
    std::function<timespec()> m_clock;
    std::int64_t m_tick = 0;
    mode_t m_umask = 022;
    std::optional<std::int64_t> m_spaceLeft;
    bool m_fsyncFails = false;
    int m_blockingLockCalls = 0;
};

} // namespace sorvel::test
