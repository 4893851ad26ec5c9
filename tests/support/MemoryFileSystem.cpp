#include "support/MemoryFileSystem.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorvel::test {

namespace {

constexpr dev_t memoryDevice = 0x5e;
constexpr int mostLinksFollowed = 40;
// What F_SETFL may change; the access mode and the creation flags stay.
constexpr int changeableFlags = O_APPEND | O_NONBLOCK | O_ASYNC | O_DIRECT | O_NOATIME;
// What open keeps of its flags for F_GETFL.
constexpr int keptFlags = O_ACCMODE | changeableFlags | O_SYNC | O_DSYNC;

// Set by the hook, on the thread that called: the call fails with it.
thread_local int errorFromHook = 0;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool isFolder(mode_t mode) {
    return S_ISDIR(mode);
}

} // namespace

struct MemoryFileSystem::Node {
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    // The names of a file or link; a folder's count is worked out from its entries.
    nlink_t links = 0;
    timespec accessed{};
    timespec modified{};
    timespec changed{};
    // A file's bytes, a link's target.
    QByteArray bytes;
    QByteArray durableBytes;
    std::map<QByteArray, NodePtr> entries;
    std::map<QByteArray, NodePtr> durableEntries;
    std::weak_ptr<Node> parent;
    int readOnly = 0;
    // The open file descriptions holding flock on it.
    std::vector<Description*> lockers;
};

struct MemoryFileSystem::Description {
    NodePtr node;
    // The folder it was opened in: where a read-only switch applies.
    NodePtr folder;
    int flags = 0;
    off_t offset = 0;
    QString path;
    // 0, LOCK_SH or LOCK_EX.
    int lock = 0;
};

struct MemoryFileSystem::Found {
    // The folder holding the last name, and that name; none for "/" or "..".
    NodePtr folder;
    QByteArray name;
    // What the name leads to; none when it is free.
    NodePtr node;
    // The path ended with a slash: only a folder will do.
    bool mustBeFolder = false;
};

QString MemoryFileSystem::Operation::describe() const {
    static const char* const names[] = {"open",   "mkostemp", "read",      "write",    "fsync",    "close",
                                        "fstat",  "fchmod",   "fchown",    "futimens", "getFlags", "setFlags",
                                        "flock",  "stat",     "lstat",     "readlink", "symlink",  "link",
                                        "unlink", "rename",   "renameat2", "mkdir",    "list"};
    QString text = QString::fromLatin1(names[int(kind)]);
    if (fd >= 0)
        text += QStringLiteral(" fd %1").arg(fd);
    if (!path.isEmpty())
        text += QLatin1Char(' ') + path;
    if (!otherPath.isEmpty())
        text += QStringLiteral(" -> ") + otherPath;
    if (kind == Kind::Renameat2)
        text += flags & RENAME_EXCHANGE ? QStringLiteral(" exchange") : QStringLiteral(" no replace");
    if (kind == Kind::Flock) {
        const int lock = flags & ~LOCK_NB;
        text += lock == LOCK_EX ? QStringLiteral(" exclusive")
            : lock == LOCK_SH   ? QStringLiteral(" shared")
                                : QStringLiteral(" unlock");
        if (flags & LOCK_NB)
            text += QStringLiteral(" no wait");
    }
    return text;
}

MemoryFileSystem::MemoryFileSystem() {
    m_root = newNode(S_IFDIR, 0755);
}

MemoryFileSystem::~MemoryFileSystem() {
    closeAll(true);
}

void MemoryFileSystem::failThisCall(int error) {
    errorFromHook = error;
}

template <typename Body>
long MemoryFileSystem::call(Operation operation, Body body) {
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        generation = m_generation;
    }
    errorFromHook = 0;
    if (before)
        before(operation);
    long result = -std::exchange(errorFromHook, 0);
    if (result == 0) {
        std::lock_guard lock(m_mutex);
        // The program that made the call is gone (killed, or the power with it).
        result = m_generation != generation ? -EIO : body();
    }
    if (result < 0) {
        errno = int(-result);
        return -1;
    }
    return result;
}

MemoryFileSystem::Operation MemoryFileSystem::onDescriptor(Operation::Kind kind, int fd) const {
    std::lock_guard lock(m_mutex);
    const auto file = description(fd);
    return {kind, file ? file->path : QString(), {}, fd, 0};
}

MemoryFileSystem::Operation MemoryFileSystem::named(Operation::Kind kind, const QString& path, const QString& other,
                                                    int flags) {
    return {kind, path, other, -1, flags};
}

void MemoryFileSystem::setClock(std::function<timespec()> now) {
    std::lock_guard lock(m_mutex);
    m_clock = std::move(now);
}

void MemoryFileSystem::setUmask(mode_t mask) {
    std::lock_guard lock(m_mutex);
    m_umask = mask & 0777;
}

bool MemoryFileSystem::setReadOnly(const QString& folder, int error) {
    std::lock_guard lock(m_mutex);
    Found found;
    if (resolve(folder, true, found) < 0 || !found.node || !isFolder(found.node->mode))
        return false;
    found.node->readOnly = error;
    return true;
}

void MemoryFileSystem::setSpaceLeft(std::optional<std::int64_t> bytes) {
    std::lock_guard lock(m_mutex);
    m_spaceLeft = bytes;
}

void MemoryFileSystem::setFsyncFails(bool fails) {
    std::lock_guard lock(m_mutex);
    m_fsyncFails = fails;
}

void MemoryFileSystem::powerCut() {
    std::lock_guard lock(m_mutex);
    ++m_generation;
    closeAll(true);
    // Folders synced at different times may both name one folder moved
    // between them; it comes back once, where it is met first.
    std::set<Node*> seen{m_root.get()};
    std::map<Node*, nlink_t> links;
    std::vector<NodePtr> folders{m_root};
    while (!folders.empty()) {
        const NodePtr folder = folders.back();
        folders.pop_back();
        folder->entries.clear();
        for (const auto& [name, node] : folder->durableEntries) {
            if (isFolder(node->mode)) {
                if (!seen.insert(node.get()).second)
                    continue;
                node->parent = folder;
                folders.push_back(node);
            } else {
                node->bytes = node->durableBytes;
                ++links[node.get()];
            }
            folder->entries[name] = node;
        }
        folder->durableEntries = folder->entries;
    }
    for (const auto& [node, count] : links)
        node->links = count;
}

void MemoryFileSystem::crash() {
    std::lock_guard lock(m_mutex);
    ++m_generation;
    closeAll(false);
}

void MemoryFileSystem::syncAll() {
    std::lock_guard lock(m_mutex);
    std::vector<NodePtr> folders{m_root};
    while (!folders.empty()) {
        const NodePtr folder = folders.back();
        folders.pop_back();
        folder->durableEntries = folder->entries;
        for (const auto& [name, node] : folder->entries) {
            if (isFolder(node->mode))
                folders.push_back(node);
            else
                node->durableBytes = node->bytes;
        }
    }
}

std::optional<QByteArray> MemoryFileSystem::contents(const QString& path) const {
    std::lock_guard lock(m_mutex);
    Found found;
    if (resolve(path, true, found) < 0 || !found.node || !S_ISREG(found.node->mode))
        return std::nullopt;
    return found.node->bytes;
}

std::optional<QStringList> MemoryFileSystem::names(const QString& folder) const {
    std::lock_guard lock(m_mutex);
    Found found;
    if (resolve(folder, true, found) < 0 || !found.node || !isFolder(found.node->mode))
        return std::nullopt;
    QStringList names;
    for (const auto& entry : found.node->entries)
        names << QFile::decodeName(entry.first);
    names.sort();
    return names;
}

bool MemoryFileSystem::exists(const QString& path) const {
    std::lock_guard lock(m_mutex);
    Found found;
    return resolve(path, false, found) == 0 && found.node;
}

std::optional<MemoryFileSystem::Identity> MemoryFileSystem::identity(const QString& path) const {
    std::lock_guard lock(m_mutex);
    Found found;
    if (resolve(path, true, found) < 0 || !found.node)
        return std::nullopt;
    return Identity{memoryDevice, found.node->inode};
}

int MemoryFileSystem::openDescriptors() const {
    std::lock_guard lock(m_mutex);
    return int(m_descriptors.size());
}

int MemoryFileSystem::blockingLockCalls() const {
    std::lock_guard lock(m_mutex);
    return m_blockingLockCalls;
}

timespec MemoryFileSystem::now() {
    if (m_clock)
        return m_clock();
    const std::int64_t tick = m_tick++;
    return {1'780'000'000 + tick / 1000, long(tick % 1000) * 1'000'000};
}

MemoryFileSystem::NodePtr MemoryFileSystem::newNode(mode_t type, mode_t permissions) {
    auto node = std::make_shared<Node>();
    node->inode = m_nextInode++;
    node->mode = type | (S_ISLNK(type) ? 0777 : permissions & 07777 & ~m_umask);
    node->owner = ::getuid();
    node->group = ::getgid();
    node->accessed = node->modified = node->changed = now();
    return node;
}

long MemoryFileSystem::resolve(const QString& path, bool followLast, Found& found) const {
    return resolve(m_root, encoded(path), followLast, found);
}

long MemoryFileSystem::resolve(const NodePtr& start, const QByteArray& path, bool followLast, Found& found,
                               int depth) const {
    if (depth > mostLinksFollowed)
        return -ELOOP;
    if (path.isEmpty())
        return -ENOENT;
    // The program names everything from the root: a relative path is a mistake to be seen.
    if (depth == 0 && !path.startsWith('/'))
        return -EINVAL;
    NodePtr folder = path.startsWith('/') ? m_root : start;
    const auto parentOf = [this](const NodePtr& node) {
        const NodePtr parent = node->parent.lock();
        return parent ? parent : m_root;
    };
    std::vector<QByteArray> names;
    for (const QByteArray& name : path.split('/'))
        if (!name.isEmpty() && name != ".")
            names.push_back(name);
    const bool mustBeFolder = path.endsWith('/') || path.endsWith("/.") || path.endsWith("/..");
    if (names.empty()) {
        found = {nullptr, {}, folder, true};
        return 0;
    }
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        if (names[i] == "..") {
            folder = parentOf(folder);
            continue;
        }
        const auto entry = folder->entries.find(names[i]);
        if (entry == folder->entries.end())
            return -ENOENT;
        NodePtr next = entry->second;
        if (S_ISLNK(next->mode)) {
            Found through;
            if (const long error = resolve(folder, next->bytes, true, through, depth + 1); error < 0)
                return error;
            if (!through.node)
                return -ENOENT;
            next = through.node;
        }
        if (!isFolder(next->mode))
            return -ENOTDIR;
        folder = next;
    }
    if (names.back() == "..") {
        found = {nullptr, {}, parentOf(folder), true};
        return 0;
    }
    const auto entry = folder->entries.find(names.back());
    found = {folder, names.back(), entry == folder->entries.end() ? nullptr : entry->second, mustBeFolder};
    if (found.node && S_ISLNK(found.node->mode) && (followLast || mustBeFolder)) {
        Found through;
        if (const long error = resolve(folder, found.node->bytes, true, through, depth + 1); error < 0)
            return error;
        through.mustBeFolder = through.mustBeFolder || mustBeFolder;
        found = through;
    }
    if (found.node && found.mustBeFolder && !isFolder(found.node->mode))
        return -ENOTDIR;
    return 0;
}

std::shared_ptr<MemoryFileSystem::Description> MemoryFileSystem::description(int fd) const {
    const auto entry = m_descriptors.find(fd);
    return entry == m_descriptors.end() ? nullptr : entry->second;
}

int MemoryFileSystem::changeError(const NodePtr& folder, Actor actor, bool names) const {
    if (actor == Actor::Outside || !folder)
        return 0;
    if (names && folder->readOnly == EACCES)
        return EACCES;
    for (NodePtr above = folder; above; above = above->parent.lock())
        if (above->readOnly == EROFS)
            return EROFS;
    return 0;
}

void MemoryFileSystem::addName(const NodePtr& folder, const QByteArray& name, const NodePtr& node) {
    folder->entries[name] = node;
    if (isFolder(node->mode))
        node->parent = folder;
    else
        ++node->links;
    folder->modified = folder->changed = node->changed = now();
}

void MemoryFileSystem::dropName(const NodePtr& folder, const QByteArray& name) {
    const NodePtr node = folder->entries.at(name);
    folder->entries.erase(name);
    if (!isFolder(node->mode))
        --node->links;
    folder->modified = folder->changed = node->changed = now();
}

void MemoryFileSystem::fill(const Node& node, struct stat* info) const {
    std::memset(info, 0, sizeof *info);
    info->st_dev = memoryDevice;
    info->st_ino = node.inode;
    info->st_mode = node.mode;
    if (isFolder(node.mode))
        info->st_nlink = 2 + nlink_t(std::count_if(node.entries.begin(), node.entries.end(), [](const auto& entry) {
                             return isFolder(entry.second->mode);
                         }));
    else
        info->st_nlink = node.links;
    info->st_uid = node.owner;
    info->st_gid = node.group;
    info->st_size = isFolder(node.mode) ? 4096 : off_t(node.bytes.size());
    info->st_blksize = 4096;
    info->st_blocks = (info->st_size + 4095) / 4096 * 8;
    info->st_atim = node.accessed;
    info->st_mtim = node.modified;
    info->st_ctim = node.changed;
}

void MemoryFileSystem::unlockAll(Description& file) {
    auto& lockers = file.node->lockers;
    lockers.erase(std::remove(lockers.begin(), lockers.end(), &file), lockers.end());
    file.lock = 0;
}

void MemoryFileSystem::closeAll(bool outsideToo) {
    for (const auto& [fd, file] : m_descriptors)
        unlockAll(*file);
    m_descriptors.clear();
    if (!outsideToo)
        return;
    for (const auto& [handle, file] : m_outsideLocks)
        unlockAll(*file);
    m_outsideLocks.clear();
    m_outsideWrites.clear();
}

int MemoryFileSystem::adopt(const std::shared_ptr<Description>& opened) {
    const int fd = m_nextDescriptor++;
    m_descriptors[fd] = opened;
    return fd;
}

long MemoryFileSystem::openLocked(const QByteArray& path, int flags, mode_t mode, Actor actor,
                                  std::shared_ptr<Description>& opened) {
    const bool exclusive = (flags & O_CREAT) && (flags & O_EXCL);
    Found found;
    if (const long error = resolve(m_root, path, !(flags & O_NOFOLLOW) && !exclusive, found); error < 0)
        return error;
    if (found.node && exclusive)
        return -EEXIST;
    const bool writes = (flags & O_ACCMODE) != O_RDONLY;
    NodePtr node = found.node;
    if (!node) {
        if (!(flags & O_CREAT))
            return -ENOENT;
        if (found.mustBeFolder)
            return -EISDIR;
        if (const int error = changeError(found.folder, actor, true))
            return -error;
        node = newNode(S_IFREG, mode);
        addName(found.folder, found.name, node);
    } else if (S_ISLNK(node->mode)) {
        return -ELOOP;
    } else if (isFolder(node->mode)) {
        if (writes || ((flags & O_CREAT) && !(flags & O_DIRECTORY)))
            return -EISDIR;
    } else {
        if (flags & O_DIRECTORY)
            return -ENOTDIR;
        if (writes || (flags & O_TRUNC))
            if (const int error = changeError(found.folder, actor, false))
                return -error;
        if (flags & O_TRUNC) {
            node->bytes.clear();
            node->modified = node->changed = now();
        }
    }
    opened = std::make_shared<Description>();
    opened->node = node;
    opened->folder = found.folder;
    opened->flags = flags & keptFlags;
    opened->path = QFile::decodeName(path);
    return 0;
}

long MemoryFileSystem::writeLocked(Description& file, const char* data, size_t size, Actor actor) {
    if ((file.flags & O_ACCMODE) == O_RDONLY)
        return -EBADF;
    if (size == 0)
        return 0;
    if (actor == Actor::Program && m_spaceLeft) {
        if (*m_spaceLeft <= 0)
            return -ENOSPC;
        size = size_t(std::min<std::int64_t>(std::int64_t(size), *m_spaceLeft));
        *m_spaceLeft -= std::int64_t(size);
    }
    QByteArray& bytes = file.node->bytes;
    if (file.flags & O_APPEND)
        file.offset = off_t(bytes.size());
    const qsizetype end = qsizetype(file.offset) + qsizetype(size);
    if (end > bytes.size())
        bytes.append(QByteArray(end - bytes.size(), '\0'));
    std::memcpy(bytes.data() + file.offset, data, size);
    file.offset = end;
    file.node->modified = file.node->changed = now();
    return long(size);
}

long MemoryFileSystem::fsyncLocked(Description& file, Actor actor) {
    if (actor == Actor::Program && m_fsyncFails)
        return -EIO;
    if (isFolder(file.node->mode))
        file.node->durableEntries = file.node->entries;
    else
        file.node->durableBytes = file.node->bytes;
    return 0;
}

long MemoryFileSystem::flockLocked(Description& file, int operation) {
    const int kind = operation & ~LOCK_NB;
    if (kind != LOCK_SH && kind != LOCK_EX && kind != LOCK_UN)
        return -EINVAL;
    if (kind == file.lock)
        return 0;
    // As Linux does, a conversion lets go of the lock held before it tries
    // for the other kind, and has none when that fails.
    unlockAll(file);
    if (kind == LOCK_UN)
        return 0;
    auto& lockers = file.node->lockers;
    const bool conflict = std::any_of(lockers.begin(), lockers.end(), [kind](const Description* other) {
        return kind == LOCK_EX || other->lock == LOCK_EX;
    });
    if (conflict) {
        // The real code never blocks on the folder lock; a call that would is
        // counted and answered as if it had not waited, so no test hangs on it.
        if (!(operation & LOCK_NB))
            ++m_blockingLockCalls;
        return -EWOULDBLOCK;
    }
    file.lock = kind;
    lockers.push_back(&file);
    return 0;
}

long MemoryFileSystem::mkdirLocked(const QByteArray& path, mode_t mode, Actor actor) {
    Found found;
    if (const long error = resolve(m_root, path, false, found); error < 0)
        return error;
    if (found.node || !found.folder)
        return -EEXIST;
    if (const int error = changeError(found.folder, actor, true))
        return -error;
    addName(found.folder, found.name, newNode(S_IFDIR, mode));
    return 0;
}

long MemoryFileSystem::unlinkLocked(const QByteArray& path, Actor actor) {
    Found found;
    if (const long error = resolve(m_root, path, false, found); error < 0)
        return error;
    if (!found.node)
        return -ENOENT;
    if (isFolder(found.node->mode) || !found.folder)
        return -EISDIR;
    if (const int error = changeError(found.folder, actor, true))
        return -error;
    dropName(found.folder, found.name);
    return 0;
}

long MemoryFileSystem::symlinkLocked(const QByteArray& target, const QByteArray& path, Actor actor) {
    if (target.isEmpty())
        return -ENOENT;
    Found found;
    if (const long error = resolve(m_root, path, false, found); error < 0)
        return error;
    if (found.node || !found.folder)
        return -EEXIST;
    if (const int error = changeError(found.folder, actor, true))
        return -error;
    const NodePtr node = newNode(S_IFLNK, 0777);
    node->bytes = node->durableBytes = target;
    addName(found.folder, found.name, node);
    return 0;
}

long MemoryFileSystem::renameLocked(const QByteArray& from, const QByteArray& to, unsigned flags, Actor actor) {
    if (flags & ~unsigned(RENAME_NOREPLACE | RENAME_EXCHANGE))
        return -EINVAL;
    const bool exchange = flags & RENAME_EXCHANGE;
    if (exchange && (flags & RENAME_NOREPLACE))
        return -EINVAL;
    Found source;
    Found target;
    if (const long error = resolve(m_root, from, false, source); error < 0)
        return error;
    if (const long error = resolve(m_root, to, false, target); error < 0)
        return error;
    if (!source.node || (exchange && !target.node))
        return -ENOENT;
    if (!source.folder || !target.folder)
        return -EBUSY;
    if ((flags & RENAME_NOREPLACE) && target.node)
        return -EEXIST;
    if (source.node == target.node)
        return 0;
    const auto inside = [this](const NodePtr& folder, const NodePtr& node) {
        for (NodePtr above = folder; above; above = above->parent.lock())
            if (above == node)
                return true;
        return false;
    };
    if ((isFolder(source.node->mode) && inside(target.folder, source.node))
        || (exchange && isFolder(target.node->mode) && inside(source.folder, target.node)))
        return -EINVAL;
    if (target.node && !exchange) {
        if (isFolder(source.node->mode) && !isFolder(target.node->mode))
            return -ENOTDIR;
        if (!isFolder(source.node->mode) && isFolder(target.node->mode))
            return -EISDIR;
        if (isFolder(target.node->mode) && !target.node->entries.empty())
            return -ENOTEMPTY;
    }
    if (const int error = changeError(source.folder, actor, true))
        return -error;
    if (const int error = changeError(target.folder, actor, true))
        return -error;
    const NodePtr moved = source.node;
    const NodePtr replaced = target.node;
    if (replaced)
        dropName(target.folder, target.name);
    dropName(source.folder, source.name);
    addName(target.folder, target.name, moved);
    if (exchange)
        addName(source.folder, source.name, replaced);
    return 0;
}

int MemoryFileSystem::open(const char* path, int flags, mode_t mode) {
    return int(call(named(Operation::Kind::Open, QFile::decodeName(path), {}, flags), [&]() -> long {
        std::shared_ptr<Description> opened;
        if (const long error = openLocked(path, flags, mode, Actor::Program, opened); error < 0)
            return error;
        return adopt(opened);
    }));
}

int MemoryFileSystem::mkostemp(char* pattern, int flags) {
    return int(call(named(Operation::Kind::Mkostemp, QFile::decodeName(pattern), {}, flags), [&]() -> long {
        const size_t length = std::strlen(pattern);
        if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0)
            return -EINVAL;
        static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (;;) {
            std::uint64_t number = m_nextName++;
            for (size_t i = length - 6; i < length; ++i, number /= 62)
                pattern[i] = letters[number % 62];
            std::shared_ptr<Description> opened;
            const long error = openLocked(pattern, O_RDWR | O_CREAT | O_EXCL | flags, 0600, Actor::Program, opened);
            if (error == 0)
                return adopt(opened);
            if (error != -EEXIST)
                return error;
        }
    }));
}

ssize_t MemoryFileSystem::read(int fd, void* buffer, size_t size) {
    return call(onDescriptor(Operation::Kind::Read, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file || (file->flags & O_ACCMODE) == O_WRONLY)
            return -EBADF;
        if (isFolder(file->node->mode))
            return -EISDIR;
        const QByteArray& bytes = file->node->bytes;
        if (file->offset >= bytes.size())
            return 0;
        const size_t count = std::min(size, size_t(bytes.size() - file->offset));
        std::memcpy(buffer, bytes.constData() + file->offset, count);
        file->offset += off_t(count);
        return long(count);
    });
}

ssize_t MemoryFileSystem::write(int fd, const void* data, size_t size) {
    return call(onDescriptor(Operation::Kind::Write, fd), [&]() -> long {
        const auto file = description(fd);
        return file ? writeLocked(*file, static_cast<const char*>(data), size, Actor::Program) : -EBADF;
    });
}

int MemoryFileSystem::fsync(int fd) {
    return int(call(onDescriptor(Operation::Kind::Fsync, fd), [&]() -> long {
        const auto file = description(fd);
        return file ? fsyncLocked(*file, Actor::Program) : -EBADF;
    }));
}

int MemoryFileSystem::close(int fd) {
    return int(call(onDescriptor(Operation::Kind::Close, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        unlockAll(*file);
        m_descriptors.erase(fd);
        return 0;
    }));
}

int MemoryFileSystem::fstat(int fd, struct stat* info) {
    return int(call(onDescriptor(Operation::Kind::Fstat, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        fill(*file->node, info);
        return 0;
    }));
}

int MemoryFileSystem::fchmod(int fd, mode_t mode) {
    return int(call(onDescriptor(Operation::Kind::Fchmod, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        if (const int error = changeError(file->folder, Actor::Program, false))
            return -error;
        file->node->mode = (file->node->mode & S_IFMT) | (mode & 07777);
        file->node->changed = now();
        return 0;
    }));
}

int MemoryFileSystem::fchown(int fd, uid_t owner, gid_t group) {
    return int(call(onDescriptor(Operation::Kind::Fchown, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        if (const int error = changeError(file->folder, Actor::Program, false))
            return -error;
        if (owner != uid_t(-1))
            file->node->owner = owner;
        if (group != gid_t(-1))
            file->node->group = group;
        file->node->changed = now();
        return 0;
    }));
}

int MemoryFileSystem::futimens(int fd, const struct timespec times[2]) {
    return int(call(onDescriptor(Operation::Kind::Futimens, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        if (const int error = changeError(file->folder, Actor::Program, false))
            return -error;
        const timespec stamp = now();
        const auto set = [&](timespec& field, const timespec* given) {
            if (!given || given->tv_nsec == UTIME_NOW)
                field = stamp;
            else if (given->tv_nsec != UTIME_OMIT)
                field = *given;
        };
        set(file->node->accessed, times ? &times[0] : nullptr);
        set(file->node->modified, times ? &times[1] : nullptr);
        file->node->changed = stamp;
        return 0;
    }));
}

int MemoryFileSystem::getFlags(int fd) {
    return int(call(onDescriptor(Operation::Kind::GetFlags, fd), [&]() -> long {
        const auto file = description(fd);
        return file ? file->flags : -EBADF;
    }));
}

int MemoryFileSystem::setFlags(int fd, int flags) {
    return int(call(onDescriptor(Operation::Kind::SetFlags, fd), [&]() -> long {
        const auto file = description(fd);
        if (!file)
            return -EBADF;
        file->flags = (file->flags & ~changeableFlags) | (flags & changeableFlags);
        return 0;
    }));
}

int MemoryFileSystem::flock(int fd, int operation) {
    Operation described = onDescriptor(Operation::Kind::Flock, fd);
    described.flags = operation;
    return int(call(described, [&]() -> long {
        const auto file = description(fd);
        return file ? flockLocked(*file, operation) : -EBADF;
    }));
}

int MemoryFileSystem::stat(const char* path, struct stat* info) {
    return int(call(named(Operation::Kind::Stat, QFile::decodeName(path)), [&]() -> long {
        Found found;
        if (const long error = resolve(m_root, path, true, found); error < 0)
            return error;
        if (!found.node)
            return -ENOENT;
        fill(*found.node, info);
        return 0;
    }));
}

int MemoryFileSystem::lstat(const char* path, struct stat* info) {
    return int(call(named(Operation::Kind::Lstat, QFile::decodeName(path)), [&]() -> long {
        Found found;
        if (const long error = resolve(m_root, path, false, found); error < 0)
            return error;
        if (!found.node)
            return -ENOENT;
        fill(*found.node, info);
        return 0;
    }));
}

ssize_t MemoryFileSystem::readlink(const char* path, char* buffer, size_t size) {
    return call(named(Operation::Kind::Readlink, QFile::decodeName(path)), [&]() -> long {
        Found found;
        if (const long error = resolve(m_root, path, false, found); error < 0)
            return error;
        if (!found.node)
            return -ENOENT;
        if (!S_ISLNK(found.node->mode) || size == 0)
            return -EINVAL;
        const size_t count = std::min(size, size_t(found.node->bytes.size()));
        std::memcpy(buffer, found.node->bytes.constData(), count);
        return long(count);
    });
}

int MemoryFileSystem::symlink(const char* target, const char* path) {
    return int(call(named(Operation::Kind::Symlink, QFile::decodeName(path), QFile::decodeName(target)),
                    [&]() -> long { return symlinkLocked(target, path, Actor::Program); }));
}

int MemoryFileSystem::link(const char* from, const char* to) {
    return int(call(named(Operation::Kind::Link, QFile::decodeName(from), QFile::decodeName(to)), [&]() -> long {
        Found source;
        Found target;
        if (const long error = resolve(m_root, from, false, source); error < 0)
            return error;
        if (!source.node)
            return -ENOENT;
        if (isFolder(source.node->mode))
            return -EPERM;
        if (const long error = resolve(m_root, to, false, target); error < 0)
            return error;
        if (target.node || !target.folder)
            return -EEXIST;
        if (const int error = changeError(target.folder, Actor::Program, true))
            return -error;
        addName(target.folder, target.name, source.node);
        return 0;
    }));
}

int MemoryFileSystem::unlink(const char* path) {
    return int(call(named(Operation::Kind::Unlink, QFile::decodeName(path)),
                    [&]() -> long { return unlinkLocked(path, Actor::Program); }));
}

int MemoryFileSystem::rename(const char* from, const char* to) {
    return int(call(named(Operation::Kind::Rename, QFile::decodeName(from), QFile::decodeName(to)),
                    [&]() -> long { return renameLocked(from, to, 0, Actor::Program); }));
}

int MemoryFileSystem::renameat2(const char* from, const char* to, unsigned flags) {
    return int(call(named(Operation::Kind::Renameat2, QFile::decodeName(from), QFile::decodeName(to), int(flags)),
                    [&]() -> long { return renameLocked(from, to, flags, Actor::Program); }));
}

int MemoryFileSystem::mkdir(const char* path, mode_t mode) {
    return int(call(named(Operation::Kind::Mkdir, QFile::decodeName(path)),
                    [&]() -> long { return mkdirLocked(path, mode, Actor::Program); }));
}

std::optional<QStringList> MemoryFileSystem::list(const QString& folder) {
    QStringList names;
    const long result = call(named(Operation::Kind::List, folder), [&]() -> long {
        Found found;
        if (const long error = resolve(m_root, encoded(folder), true, found); error < 0)
            return error;
        if (!found.node)
            return -ENOENT;
        if (!isFolder(found.node->mode))
            return -ENOTDIR;
        for (const auto& entry : found.node->entries)
            names << QFile::decodeName(entry.first);
        return 0;
    });
    if (result < 0)
        return std::nullopt;
    return names;
}

bool MemoryFileSystem::Outside::makeFolders(const QString& folder) {
    std::lock_guard lock(m_fs.m_mutex);
    QByteArray path;
    for (const QByteArray& name : encoded(folder).split('/')) {
        if (name.isEmpty())
            continue;
        path += '/' + name;
        Found found;
        if (m_fs.resolve(m_fs.m_root, path, true, found) < 0)
            return false;
        if (found.node) {
            if (!isFolder(found.node->mode))
                return false;
            continue;
        }
        if (m_fs.mkdirLocked(path, 0777, Actor::Outside) < 0)
            return false;
        found.folder->durableEntries = found.folder->entries;
    }
    return true;
}

bool MemoryFileSystem::Outside::writeAtomically(const QString& path, const QByteArray& bytes, Durability durability) {
    std::lock_guard lock(m_fs.m_mutex);
    Found found;
    if (m_fs.resolve(m_fs.m_root, encoded(path), false, found) < 0 || !found.folder)
        return false;
    const QByteArray draft = encoded(path).left(encoded(path).size() - found.name.size()) + '.' + found.name
        + ".outside-" + QByteArray::number(quint64(m_fs.m_nextName++));
    std::shared_ptr<Description> file;
    if (m_fs.openLocked(draft, O_WRONLY | O_CREAT | O_EXCL, 0666, Actor::Outside, file) < 0)
        return false;
    m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside);
    if (durability == Durability::Synced)
        m_fs.fsyncLocked(*file, Actor::Outside);
    if (m_fs.renameLocked(draft, encoded(path), 0, Actor::Outside) < 0) {
        m_fs.unlinkLocked(draft, Actor::Outside);
        return false;
    }
    if (durability == Durability::Synced)
        found.folder->durableEntries = found.folder->entries;
    return true;
}

bool MemoryFileSystem::Outside::writeInPlace(const QString& path, const QByteArray& bytes) {
    std::lock_guard lock(m_fs.m_mutex);
    std::shared_ptr<Description> file;
    return m_fs.openLocked(encoded(path), O_WRONLY | O_CREAT | O_TRUNC, 0666, Actor::Outside, file) == 0
        && m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside) >= 0;
}

bool MemoryFileSystem::Outside::append(const QString& path, const QByteArray& bytes) {
    std::lock_guard lock(m_fs.m_mutex);
    std::shared_ptr<Description> file;
    return m_fs.openLocked(encoded(path), O_WRONLY | O_APPEND, 0, Actor::Outside, file) == 0
        && m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside) >= 0;
}

std::optional<int> MemoryFileSystem::Outside::beginWriteInPlace(const QString& path, const QByteArray& bytes) {
    std::lock_guard lock(m_fs.m_mutex);
    std::shared_ptr<Description> file;
    if (m_fs.openLocked(encoded(path), O_WRONLY | O_CREAT | O_TRUNC, 0666, Actor::Outside, file) != 0
        || m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside) < 0)
        return std::nullopt;
    const int handle = m_fs.m_nextHandle++;
    m_fs.m_outsideWrites[handle] = file;
    return handle;
}

bool MemoryFileSystem::Outside::endWriteInPlace(int handle, const QByteArray& bytes) {
    std::lock_guard lock(m_fs.m_mutex);
    const auto held = m_fs.m_outsideWrites.find(handle);
    if (held == m_fs.m_outsideWrites.end())
        return false;
    const std::shared_ptr<Description> file = held->second;
    m_fs.m_outsideWrites.erase(held);
    return m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside) >= 0;
}

bool MemoryFileSystem::Outside::remove(const QString& path) {
    std::lock_guard lock(m_fs.m_mutex);
    return m_fs.unlinkLocked(encoded(path), Actor::Outside) == 0;
}

bool MemoryFileSystem::Outside::removeAndCreate(const QString& path, const QByteArray& bytes) {
    std::lock_guard lock(m_fs.m_mutex);
    const long removed = m_fs.unlinkLocked(encoded(path), Actor::Outside);
    std::shared_ptr<Description> file;
    return (removed == 0 || removed == -ENOENT)
        && m_fs.openLocked(encoded(path), O_WRONLY | O_CREAT | O_EXCL, 0666, Actor::Outside, file) == 0
        && m_fs.writeLocked(*file, bytes.constData(), size_t(bytes.size()), Actor::Outside) >= 0;
}

bool MemoryFileSystem::Outside::renameOver(const QString& from, const QString& to) {
    std::lock_guard lock(m_fs.m_mutex);
    return m_fs.renameLocked(encoded(from), encoded(to), 0, Actor::Outside) == 0;
}

bool MemoryFileSystem::Outside::makeSymlink(const QString& target, const QString& path) {
    std::lock_guard lock(m_fs.m_mutex);
    return m_fs.symlinkLocked(encoded(target), encoded(path), Actor::Outside) == 0;
}

std::optional<int> MemoryFileSystem::Outside::lock(const QString& path, bool exclusive) {
    std::lock_guard lock(m_fs.m_mutex);
    std::shared_ptr<Description> file;
    if (m_fs.openLocked(encoded(path), O_RDONLY, 0, Actor::Outside, file) < 0
        || m_fs.flockLocked(*file, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) < 0)
        return std::nullopt;
    const int handle = m_fs.m_nextHandle++;
    m_fs.m_outsideLocks[handle] = file;
    return handle;
}

bool MemoryFileSystem::Outside::unlock(int handle) {
    std::lock_guard lock(m_fs.m_mutex);
    const auto held = m_fs.m_outsideLocks.find(handle);
    if (held == m_fs.m_outsideLocks.end())
        return false;
    m_fs.unlockAll(*held->second);
    m_fs.m_outsideLocks.erase(held);
    return true;
}

} // namespace sorvel::test
