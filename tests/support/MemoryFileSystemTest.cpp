#include "support/MemoryFileSystem.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace sorvel::test {
namespace {

using Kind = MemoryFileSystem::Operation::Kind;
using namespace std::chrono_literals;

// The errno of a call that returned -1, or 0 when it did not fail.
int failure(long result) {
    return result == -1 ? errno : 0;
}

bool holdsAt(std::future<void>& signal) {
    return signal.wait_for(30s) == std::future_status::ready;
}

// Writes `bytes` whole to a new or emptied file through `fs`.
void put(FileSystem& fs, const QByteArray& path, const QByteArray& bytes) {
    const int fd = fs.open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.constData() << ": " << errno;
    ASSERT_EQ(fs.write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ASSERT_EQ(fs.close(fd), 0);
}

// The rest of the file behind `fd`, from its offset.
QByteArray rest(FileSystem& fs, int fd) {
    QByteArray bytes;
    char buffer[7];
    for (ssize_t got; (got = fs.read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, got);
    return bytes;
}

QByteArray get(FileSystem& fs, const QByteArray& path) {
    const int fd = fs.open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<" + QByteArray::number(errno) + ">";
    const QByteArray bytes = rest(fs, fd);
    fs.close(fd);
    return bytes;
}

struct stat statOf(FileSystem& fs, const QByteArray& path) {
    struct stat info {};
    EXPECT_EQ(fs.stat(path.constData(), &info), 0) << path.constData();
    return info;
}

enum class Disk { Posix, Memory };

// The same scenario on the system's own disk, in a temporary folder, and on
// the memory disk at the same path: what the code relies on must hold on both.
class BothDisks : public ::testing::TestWithParam<Disk> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_temporary.isValid());
        m_folder = QFile::encodeName(m_temporary.path());
        if (GetParam() == Disk::Memory) {
            ASSERT_TRUE(m_memory.outside().makeFolders(m_temporary.path()));
        }
    }
    FileSystem& fs() {
        if (GetParam() == Disk::Memory)
            return m_memory;
        return m_posix;
    }
    QByteArray at(const char* name) const { return m_folder + '/' + name; }

    QTemporaryDir m_temporary;
    QByteArray m_folder;
    PosixFileSystem m_posix;
    MemoryFileSystem m_memory;
};

TEST_P(BothDisks, RenameReplacesTheTargetAtOnceWhileItsOldInodeLivesOnForItsReader) {
    put(fs(), at("new"), "new bytes");
    put(fs(), at("old"), "old bytes");
    const ino_t fresh = statOf(fs(), at("new")).st_ino;
    const int reader = fs().open(at("old").constData(), O_RDONLY);
    ASSERT_GE(reader, 0);

    ASSERT_EQ(fs().rename(at("new").constData(), at("old").constData()), 0);

    EXPECT_EQ(statOf(fs(), at("old")).st_ino, fresh);
    EXPECT_EQ(get(fs(), at("old")), "new bytes");
    struct stat info {};
    EXPECT_EQ(failure(fs().stat(at("new").constData(), &info)), ENOENT);
    ASSERT_EQ(fs().fstat(reader, &info), 0);
    EXPECT_EQ(info.st_nlink, 0u);
    EXPECT_EQ(rest(fs(), reader), "old bytes");
    EXPECT_EQ(fs().close(reader), 0);
}

TEST_P(BothDisks, RenameRefusesWhatLinuxRefuses) {
    put(fs(), at("file"), "f");
    ASSERT_EQ(fs().mkdir(at("empty").constData(), 0755), 0);
    ASSERT_EQ(fs().mkdir(at("full").constData(), 0755), 0);
    put(fs(), at("full/inside"), "i");

    EXPECT_EQ(failure(fs().rename(at("file").constData(), at("empty").constData())), EISDIR);
    EXPECT_EQ(failure(fs().rename(at("empty").constData(), at("file").constData())), ENOTDIR);
    EXPECT_EQ(failure(fs().rename(at("empty").constData(), at("full").constData())), ENOTEMPTY);
    EXPECT_EQ(failure(fs().rename(at("missing").constData(), at("file").constData())), ENOENT);
    EXPECT_EQ(failure(fs().rename(at("file").constData(), at("nowhere/file").constData())), ENOENT);
    EXPECT_EQ(failure(fs().rename(at("file").constData(), at("file/below").constData())), ENOTDIR);
    EXPECT_EQ(failure(fs().rename(at("full").constData(), at("full/deeper").constData())), EINVAL);
    EXPECT_EQ(get(fs(), at("file")), "f");

    // Two names of one inode: nothing happens, both stay.
    ASSERT_EQ(fs().link(at("file").constData(), at("twin").constData()), 0);
    EXPECT_EQ(fs().rename(at("file").constData(), at("twin").constData()), 0);
    EXPECT_EQ(get(fs(), at("file")), "f");
    EXPECT_EQ(statOf(fs(), at("twin")).st_nlink, 2u);

    // A folder over an empty folder takes its place.
    EXPECT_EQ(fs().rename(at("full").constData(), at("empty").constData()), 0);
    EXPECT_EQ(get(fs(), at("empty/inside")), "i");
    EXPECT_FALSE(fs().list(QFile::decodeName(at("full"))));
    EXPECT_EQ(errno, ENOENT);
}

TEST_P(BothDisks, ExchangeSwapsTwoNamesAndNoReplaceLeavesWhatIsThere) {
    put(fs(), at("draft"), "draft");
    put(fs(), at("data"), "data");
    const ino_t draft = statOf(fs(), at("draft")).st_ino;
    const ino_t data = statOf(fs(), at("data")).st_ino;

    ASSERT_EQ(fs().renameat2(at("draft").constData(), at("data").constData(), RENAME_EXCHANGE), 0);
    EXPECT_EQ(statOf(fs(), at("data")).st_ino, draft);
    EXPECT_EQ(statOf(fs(), at("draft")).st_ino, data);
    EXPECT_EQ(get(fs(), at("draft")), "data");

    EXPECT_EQ(failure(fs().renameat2(at("draft").constData(), at("missing").constData(), RENAME_EXCHANGE)), ENOENT);
    EXPECT_EQ(failure(fs().renameat2(at("missing").constData(), at("draft").constData(), RENAME_EXCHANGE)), ENOENT);
    EXPECT_EQ(
        failure(fs().renameat2(at("draft").constData(), at("data").constData(), RENAME_EXCHANGE | RENAME_NOREPLACE)),
        EINVAL);

    EXPECT_EQ(failure(fs().renameat2(at("draft").constData(), at("data").constData(), RENAME_NOREPLACE)), EEXIST);
    EXPECT_EQ(get(fs(), at("draft")), "data");
    EXPECT_EQ(get(fs(), at("data")), "draft");
    ASSERT_EQ(fs().renameat2(at("draft").constData(), at("free").constData(), RENAME_NOREPLACE), 0);
    EXPECT_EQ(get(fs(), at("free")), "data");
    EXPECT_EQ(get(fs(), at("draft")), "<" + QByteArray::number(ENOENT) + ">");

    // A folder and a file swap too.
    ASSERT_EQ(fs().mkdir(at("folder").constData(), 0755), 0);
    ASSERT_EQ(fs().renameat2(at("folder").constData(), at("free").constData(), RENAME_EXCHANGE), 0);
    EXPECT_TRUE(S_ISDIR(statOf(fs(), at("free")).st_mode));
    EXPECT_EQ(get(fs(), at("folder")), "data");
}

TEST_P(BothDisks, HardLinksShareOneInodeUntilTheLastNameGoes) {
    put(fs(), at("a"), "shared");
    ASSERT_EQ(fs().link(at("a").constData(), at("b").constData()), 0);
    EXPECT_EQ(statOf(fs(), at("a")).st_ino, statOf(fs(), at("b")).st_ino);
    EXPECT_EQ(statOf(fs(), at("b")).st_nlink, 2u);

    EXPECT_EQ(failure(fs().link(at("a").constData(), at("b").constData())), EEXIST);
    EXPECT_EQ(failure(fs().link(at("missing").constData(), at("c").constData())), ENOENT);
    ASSERT_EQ(fs().mkdir(at("folder").constData(), 0755), 0);
    EXPECT_EQ(failure(fs().link(at("folder").constData(), at("c").constData())), EPERM);

    put(fs(), at("b"), "changed through b");
    EXPECT_EQ(get(fs(), at("a")), "changed through b");
    ASSERT_EQ(fs().unlink(at("a").constData()), 0);
    EXPECT_EQ(statOf(fs(), at("b")).st_nlink, 1u);
    EXPECT_EQ(get(fs(), at("b")), "changed through b");
}

TEST_P(BothDisks, AnUnlinkedFileLivesOnThroughItsDescriptor) {
    put(fs(), at("file"), "before");
    const int fd = fs().open(at("file").constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    const ino_t was = statOf(fs(), at("file")).st_ino;
    ASSERT_EQ(fs().unlink(at("file").constData()), 0);
    EXPECT_EQ(failure(fs().unlink(at("file").constData())), ENOENT);

    EXPECT_EQ(fs().write(fd, "BE", 2), 2);
    struct stat info {};
    ASSERT_EQ(fs().fstat(fd, &info), 0);
    EXPECT_EQ(info.st_nlink, 0u);
    EXPECT_EQ(info.st_size, 6);

    put(fs(), at("file"), "another");
    EXPECT_NE(statOf(fs(), at("file")).st_ino, was);
    EXPECT_EQ(get(fs(), at("file")), "another");
    EXPECT_EQ(rest(fs(), fd), "fore");
    EXPECT_EQ(fs().close(fd), 0);
}

TEST_P(BothDisks, FlockIsHeldPerOpenFileDescriptionOnFilesAndFolders) {
    put(fs(), at("file"), "x");
    for (const QByteArray& path : {m_folder, at("file")}) {
        SCOPED_TRACE(path.constData());
        const int first = fs().open(path.constData(), O_RDONLY | O_CLOEXEC);
        const int second = fs().open(path.constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(first, 0);
        ASSERT_GE(second, 0);

        ASSERT_EQ(fs().flock(first, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(fs().flock(first, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(failure(fs().flock(second, LOCK_EX | LOCK_NB)), EWOULDBLOCK);
        EXPECT_EQ(failure(fs().flock(second, LOCK_SH | LOCK_NB)), EWOULDBLOCK);
        ASSERT_EQ(fs().flock(first, LOCK_UN), 0);

        ASSERT_EQ(fs().flock(first, LOCK_SH | LOCK_NB), 0);
        ASSERT_EQ(fs().flock(second, LOCK_SH | LOCK_NB), 0);
        // A conversion that fails has let go of the shared lock before it:
        // the other holder may now take the folder for itself.
        EXPECT_EQ(failure(fs().flock(first, LOCK_EX | LOCK_NB)), EWOULDBLOCK);
        EXPECT_EQ(fs().flock(second, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(failure(fs().flock(first, LOCK_SH | LOCK_NB)), EWOULDBLOCK);

        // Closing the holder's descriptor lets go.
        ASSERT_EQ(fs().close(second), 0);
        EXPECT_EQ(fs().flock(first, LOCK_EX | LOCK_NB), 0);
        ASSERT_EQ(fs().close(first), 0);
        EXPECT_EQ(failure(fs().flock(first, LOCK_UN)), EBADF);
    }
}

TEST_P(BothDisks, WritingInPlaceKeepsTheIdentityAndReplacingChangesIt) {
    put(fs(), at("data"), "first version");
    const struct stat before = statOf(fs(), at("data"));

    put(fs(), at("data"), "second");
    const struct stat inPlace = statOf(fs(), at("data"));
    EXPECT_EQ(inPlace.st_dev, before.st_dev);
    EXPECT_EQ(inPlace.st_ino, before.st_ino);
    EXPECT_EQ(inPlace.st_size, 6);

    put(fs(), at("draft"), "third");
    ASSERT_EQ(fs().rename(at("draft").constData(), at("data").constData()), 0);
    const struct stat replaced = statOf(fs(), at("data"));
    EXPECT_EQ(replaced.st_dev, before.st_dev);
    EXPECT_NE(replaced.st_ino, before.st_ino);
}

TEST_P(BothDisks, OpenHonoursItsFlagsAndEachKindOfFile) {
    put(fs(), at("file"), "abc");
    ASSERT_EQ(fs().mkdir(at("folder").constData(), 0755), 0);

    EXPECT_EQ(failure(fs().open(at("file").constData(), O_WRONLY | O_CREAT | O_EXCL, 0644)), EEXIST);
    EXPECT_EQ(failure(fs().open(at("missing").constData(), O_RDONLY)), ENOENT);
    EXPECT_EQ(failure(fs().open(at("missing/file").constData(), O_WRONLY | O_CREAT, 0644)), ENOENT);
    EXPECT_EQ(failure(fs().open(at("file/below").constData(), O_RDONLY)), ENOTDIR);
    EXPECT_EQ(failure(fs().open(at("file").constData(), O_RDONLY | O_DIRECTORY)), ENOTDIR);
    EXPECT_EQ(failure(fs().open(at("folder").constData(), O_WRONLY)), EISDIR);
    EXPECT_EQ(failure(fs().open(at("folder").constData(), O_RDONLY | O_CREAT, 0644)), EISDIR);

    const int folder = fs().open(at("folder").constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    char byte;
    EXPECT_EQ(failure(fs().read(folder, &byte, 1)), EISDIR);
    EXPECT_EQ(failure(fs().write(folder, "x", 1)), EBADF);
    EXPECT_EQ(fs().fsync(folder), 0);
    EXPECT_EQ(fs().close(folder), 0);
    EXPECT_EQ(failure(fs().close(folder)), EBADF);

    const int appending = fs().open(at("file").constData(), O_WRONLY | O_APPEND);
    ASSERT_GE(appending, 0);
    EXPECT_EQ(failure(fs().read(appending, &byte, 1)), EBADF);
    EXPECT_EQ(fs().write(appending, "de", 2), 2);
    fs().close(appending);
    EXPECT_EQ(get(fs(), at("file")), "abcde");

    const int reading = fs().open(at("file").constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reading, 0);
    EXPECT_EQ(failure(fs().write(reading, "x", 1)), EBADF);
    fs().close(reading);

    const int truncating = fs().open(at("file").constData(), O_RDWR | O_TRUNC);
    ASSERT_GE(truncating, 0);
    EXPECT_EQ(fs().write(truncating, "z", 1), 1);
    fs().close(truncating);
    EXPECT_EQ(get(fs(), at("file")), "z");
}

TEST_P(BothDisks, SymbolicLinksAreFollowedByOpenAndStatButNotByLstat) {
    put(fs(), at("target"), "through the link");
    ASSERT_EQ(fs().symlink(at("target").constData(), at("link").constData()), 0);
    ASSERT_EQ(fs().symlink("nowhere", at("dangling").constData()), 0);
    EXPECT_EQ(failure(fs().symlink("x", at("link").constData())), EEXIST);

    EXPECT_EQ(get(fs(), at("link")), "through the link");
    struct stat info {};
    ASSERT_EQ(fs().stat(at("link").constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_ino, statOf(fs(), at("target")).st_ino);
    ASSERT_EQ(fs().lstat(at("link").constData(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(info.st_ino, statOf(fs(), at("target")).st_ino);

    char buffer[256];
    const ssize_t length = fs().readlink(at("link").constData(), buffer, sizeof buffer);
    EXPECT_EQ(QByteArray(buffer, int(std::max<ssize_t>(length, 0))), at("target"));
    EXPECT_EQ(failure(fs().readlink(at("target").constData(), buffer, sizeof buffer)), EINVAL);

    EXPECT_EQ(failure(fs().open(at("link").constData(), O_RDONLY | O_NOFOLLOW)), ELOOP);
    EXPECT_EQ(failure(fs().stat(at("dangling").constData(), &info)), ENOENT);
    EXPECT_EQ(fs().lstat(at("dangling").constData(), &info), 0);
    EXPECT_EQ(failure(fs().open(at("dangling").constData(), O_WRONLY | O_CREAT | O_EXCL, 0644)), EEXIST);

    // Unlinking and renaming act on the link itself.
    ASSERT_EQ(fs().rename(at("link").constData(), at("moved").constData()), 0);
    EXPECT_EQ(get(fs(), at("moved")), "through the link");
    ASSERT_EQ(fs().unlink(at("moved").constData()), 0);
    EXPECT_EQ(get(fs(), at("target")), "through the link");
}

TEST_P(BothDisks, MkostempMakesANewPrivateFileEachTime) {
    QByteArray first = at("draft-XXXXXX");
    QByteArray second = first;
    const int one = fs().mkostemp(first.data(), O_CLOEXEC);
    const int two = fs().mkostemp(second.data(), O_CLOEXEC);
    ASSERT_GE(one, 0);
    ASSERT_GE(two, 0);
    EXPECT_FALSE(first.endsWith("XXXXXX"));
    EXPECT_NE(first, second);
    const struct stat info = statOf(fs(), first);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_EQ(fs().write(one, "draft", 5), 5);
    EXPECT_EQ(get(fs(), first), "draft");
    fs().close(one);
    fs().close(two);

    QByteArray wrong = at("draft-XXXX");
    EXPECT_EQ(failure(fs().mkostemp(wrong.data(), 0)), EINVAL);
}

TEST_P(BothDisks, FoldersHoldTheirNames) {
    ASSERT_EQ(fs().mkdir(at("folder").constData(), 0755), 0);
    EXPECT_EQ(failure(fs().mkdir(at("folder").constData(), 0755)), EEXIST);
    EXPECT_EQ(failure(fs().mkdir(at("missing/folder").constData(), 0755)), ENOENT);
    put(fs(), at("folder/one"), "1");
    put(fs(), at("folder/two"), "2");
    EXPECT_EQ(failure(fs().mkdir(at("folder/one/below").constData(), 0755)), ENOTDIR);
    EXPECT_EQ(failure(fs().mkdir(at("folder/one").constData(), 0755)), EEXIST);
    ASSERT_EQ(fs().mkdir(at("folder/inner").constData(), 0755), 0);

    auto names = fs().list(QFile::decodeName(at("folder")));
    ASSERT_TRUE(names);
    names->sort();
    EXPECT_EQ(*names, QStringList({"inner", "one", "two"}));
    EXPECT_EQ(statOf(fs(), at("folder")).st_nlink, 3u);
    EXPECT_TRUE(S_ISDIR(statOf(fs(), at("folder/inner/.")).st_mode));
    EXPECT_EQ(get(fs(), at("folder/inner/../one")), "1");

    EXPECT_EQ(failure(fs().unlink(at("folder/inner").constData())), EISDIR);
    EXPECT_FALSE(fs().list(QFile::decodeName(at("folder/one"))));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(fs().list(QFile::decodeName(at("nothing"))));
    EXPECT_EQ(errno, ENOENT);
}

TEST_P(BothDisks, DescriptorsKeepTheirStatusFlagsModeAndTimes) {
    const int fd = fs().open(at("file").constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const int flags = fs().getFlags(fd);
    EXPECT_EQ(flags & O_ACCMODE, O_RDWR);
    EXPECT_TRUE(flags & O_NONBLOCK);
    ASSERT_EQ(fs().setFlags(fd, (flags & ~O_NONBLOCK) | O_APPEND), 0);
    EXPECT_EQ(fs().getFlags(fd) & (O_ACCMODE | O_NONBLOCK | O_APPEND), O_RDWR | O_APPEND);

    ASSERT_EQ(fs().fchmod(fd, 0640), 0);
    const timespec times[2] = {{1'600'000'000, 123}, {1'700'000'000, 456'789}};
    ASSERT_EQ(fs().futimens(fd, times), 0);
    ASSERT_EQ(fs().fchown(fd, uid_t(-1), ::getgid()), 0);
    struct stat info {};
    ASSERT_EQ(fs().fstat(fd, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1'700'000'000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 456'789);
    EXPECT_EQ(info.st_uid, ::getuid());
    EXPECT_EQ(info.st_gid, ::getgid());
    EXPECT_EQ(info.st_dev, statOf(fs(), m_folder).st_dev);
    fs().close(fd);
    EXPECT_EQ(failure(fs().fstat(fd, &info)), EBADF);
    EXPECT_EQ(failure(fs().getFlags(fd)), EBADF);
}

INSTANTIATE_TEST_SUITE_P(, BothDisks, ::testing::Values(Disk::Posix, Disk::Memory),
                         [](const ::testing::TestParamInfo<Disk>& info) {
                             return info.param == Disk::Posix ? "Posix" : "Memory";
                         });

// The memory disk's own powers: losing power, the program killed, the hook, the faults.
class MemoryDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_fs.outside().makeFolders(QString::fromLatin1(m_folder))); }
    QByteArray at(const char* name) const { return m_folder + '/' + name; }
    QString name(const char* name) const { return QFile::decodeName(at(name)); }
    void syncFolder() {
        const int fd = m_fs.open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(m_fs.fsync(fd), 0);
        m_fs.close(fd);
    }
    void syncFile(const QByteArray& path) {
        const int fd = m_fs.open(path.constData(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(m_fs.fsync(fd), 0);
        m_fs.close(fd);
    }

    QByteArray m_folder = "/home/composer/data";
    MemoryFileSystem m_fs;
};

TEST_F(MemoryDisk, APowerCutKeepsOnlyWhatWasSynced) {
    put(m_fs, at("kept"), "synced bytes");
    syncFile(at("kept"));
    put(m_fs, at("unsynced bytes"), "lost");
    put(m_fs, at("renamed"), "renamed");
    syncFile(at("renamed"));
    put(m_fs, at("removed"), "removed");
    syncFile(at("removed"));
    syncFolder();

    put(m_fs, at("kept"), "written over, not synced");
    put(m_fs, at("never named"), "x");
    syncFile(at("never named"));
    ASSERT_EQ(m_fs.rename(at("renamed").constData(), at("renamed away").constData()), 0);
    ASSERT_EQ(m_fs.unlink(at("removed").constData()), 0);
    ASSERT_EQ(m_fs.mkdir(at("inner").constData(), 0755), 0);

    m_fs.powerCut();

    EXPECT_EQ(m_fs.names(QString::fromLatin1(m_folder)), QStringList({"kept", "removed", "renamed", "unsynced bytes"}));
    EXPECT_EQ(m_fs.contents(name("kept")), "synced bytes");
    EXPECT_EQ(m_fs.contents(name("unsynced bytes")), "");
    EXPECT_EQ(m_fs.contents(name("renamed")), "renamed");
    EXPECT_EQ(m_fs.contents(name("removed")), "removed");
    EXPECT_EQ(statOf(m_fs, at("removed")).st_nlink, 1u);

    // The same changes synced survive the next cut.
    ASSERT_EQ(m_fs.rename(at("renamed").constData(), at("renamed away").constData()), 0);
    ASSERT_EQ(m_fs.unlink(at("removed").constData()), 0);
    syncFolder();
    m_fs.powerCut();
    EXPECT_EQ(m_fs.names(QString::fromLatin1(m_folder)), QStringList({"kept", "renamed away", "unsynced bytes"}));
    EXPECT_EQ(m_fs.contents(name("renamed away")), "renamed");
}

TEST_F(MemoryDisk, AFolderSyncedWithoutItsParentIsLostWithItsFiles) {
    ASSERT_EQ(m_fs.mkdir(at("inner").constData(), 0755), 0);
    put(m_fs, at("inner/file"), "x");
    syncFile(at("inner/file"));
    syncFile(at("inner"));
    m_fs.powerCut();
    EXPECT_FALSE(m_fs.exists(name("inner")));

    ASSERT_EQ(m_fs.mkdir(at("inner").constData(), 0755), 0);
    put(m_fs, at("inner/file"), "x");
    syncFile(at("inner/file"));
    syncFile(at("inner"));
    syncFolder();
    m_fs.syncAll();
    put(m_fs, at("inner/file"), "y");
    m_fs.syncAll();
    m_fs.powerCut();
    EXPECT_EQ(m_fs.contents(name("inner/file")), "y");
}

TEST_F(MemoryDisk, APowerCutClosesEveryDescriptorAndDropsEveryLock) {
    put(m_fs, at("file"), "x");
    m_fs.syncAll();
    const int fd = m_fs.open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(m_fs.flock(fd, LOCK_EX | LOCK_NB), 0);
    const auto other = m_fs.outside().lock(name("file"), true);
    ASSERT_TRUE(other);
    EXPECT_FALSE(m_fs.outside().lock(QString::fromLatin1(m_folder), false));

    m_fs.powerCut();

    EXPECT_EQ(m_fs.openDescriptors(), 0);
    EXPECT_EQ(failure(m_fs.write(fd, "x", 1)), EBADF);
    EXPECT_TRUE(m_fs.outside().lock(QString::fromLatin1(m_folder), true));
    EXPECT_TRUE(m_fs.outside().lock(name("file"), true));
    EXPECT_FALSE(m_fs.outside().unlock(*other));
}

TEST_F(MemoryDisk, ACrashDropsTheProgramsDescriptorsAndLocksAndLosesNothing) {
    const int fd = m_fs.open(at("file").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(m_fs.write(fd, "unsynced", 8), 8);
    const int folder = m_fs.open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(m_fs.flock(folder, LOCK_SH | LOCK_NB), 0);
    const auto outsider = m_fs.outside().lock(QString::fromLatin1(m_folder), false);
    ASSERT_TRUE(outsider);

    m_fs.crash();

    EXPECT_EQ(m_fs.openDescriptors(), 0);
    EXPECT_EQ(failure(m_fs.close(fd)), EBADF);
    EXPECT_EQ(m_fs.contents(name("file")), "unsynced");
    // The outside's shared lock stays: an exclusive one must wait for it.
    EXPECT_FALSE(m_fs.outside().lock(QString::fromLatin1(m_folder), true));
    ASSERT_TRUE(m_fs.outside().unlock(*outsider));
    EXPECT_TRUE(m_fs.outside().lock(QString::fromLatin1(m_folder), true));
}

TEST_F(MemoryDisk, TheHookSeesEachCallBeforeItHappens) {
    QStringList seen;
    bool fileThereBeforeRename = false;
    m_fs.before = [&](const MemoryFileSystem::Operation& operation) {
        seen << operation.describe();
        if (operation.kind == Kind::Rename)
            fileThereBeforeRename = m_fs.exists(operation.otherPath);
    };
    QByteArray draft = at("d-XXXXXX");
    const int fd = m_fs.mkostemp(draft.data(), O_CLOEXEC);
    ASSERT_GE(fd, 0);
    m_fs.write(fd, "x", 1);
    m_fs.close(fd);
    ASSERT_EQ(m_fs.rename(draft.constData(), at("data").constData()), 0);
    const int folder = m_fs.open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
    m_fs.flock(folder, LOCK_EX | LOCK_NB);
    m_fs.renameat2(at("data").constData(), at("other").constData(), RENAME_NOREPLACE);

    const QString written = QFile::decodeName(draft);
    EXPECT_EQ(seen,
              QStringList({"mkostemp " + name("d-XXXXXX"), QStringLiteral("write fd %1 ").arg(fd) + written,
                           QStringLiteral("close fd %1 ").arg(fd) + written,
                           "rename " + written + " -> " + name("data"), "open " + QString::fromLatin1(m_folder),
                           QStringLiteral("flock fd %1 %2 exclusive no wait").arg(folder).arg(m_folder.constData()),
                           "renameat2 " + name("data") + " -> " + name("other") + " no replace"}));
    EXPECT_FALSE(fileThereBeforeRename);
    EXPECT_EQ(m_fs.contents(name("other")), "x");
}

TEST_F(MemoryDisk, AFailureFromTheHookLeavesTheDiskAsItWas) {
    put(m_fs, at("data"), "data");
    put(m_fs, at("draft"), "");
    m_fs.before = [](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Rename || operation.kind == Kind::Write)
            MemoryFileSystem::failThisCall(operation.kind == Kind::Rename ? EXDEV : ENOSPC);
    };
    const int fd = m_fs.open(at("draft").constData(), O_WRONLY);
    EXPECT_EQ(failure(m_fs.write(fd, "abc", 3)), ENOSPC);
    EXPECT_EQ(failure(m_fs.rename(at("draft").constData(), at("data").constData())), EXDEV);
    EXPECT_EQ(m_fs.contents(name("draft")), "");
    EXPECT_EQ(m_fs.contents(name("data")), "data");
    // The next call is not failed by the one before.
    EXPECT_EQ(m_fs.unlink(at("draft").constData()), 0);
}

TEST_F(MemoryDisk, AnotherProgramActsAtTheInstantTheHookChooses) {
    put(m_fs, at("data"), "theirs, old");
    const auto before = m_fs.identity(name("data"));
    m_fs.before = [&](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Renameat2) {
            ASSERT_TRUE(m_fs.outside().writeAtomically(operation.otherPath, "theirs, new"));
            ASSERT_TRUE(m_fs.outside().writeAtomically(name("fresh"), "appeared"));
        }
    };
    put(m_fs, at("draft"), "mine");
    ASSERT_EQ(m_fs.renameat2(at("draft").constData(), at("data").constData(), RENAME_EXCHANGE), 0);
    EXPECT_EQ(m_fs.contents(name("data")), "mine");
    EXPECT_EQ(m_fs.contents(name("draft")), "theirs, new");
    EXPECT_NE(m_fs.identity(name("draft")), before);
    EXPECT_EQ(failure(m_fs.renameat2(at("draft").constData(), at("fresh").constData(), RENAME_NOREPLACE)), EEXIST);

    // In place: the same inode, its bytes changing between two reads.
    m_fs.before = {};
    const auto inPlace = m_fs.identity(name("data"));
    ASSERT_TRUE(m_fs.outside().writeInPlace(name("data"), "half"));
    EXPECT_EQ(m_fs.identity(name("data")), inPlace);
    ASSERT_TRUE(m_fs.outside().append(name("data"), " and the rest"));
    EXPECT_EQ(m_fs.contents(name("data")), "half and the rest");
    ASSERT_TRUE(m_fs.outside().removeAndCreate(name("data"), "new file"));
    EXPECT_NE(m_fs.identity(name("data")), inPlace);
    ASSERT_TRUE(m_fs.outside().renameOver(name("data"), name("fresh")));
    EXPECT_EQ(m_fs.contents(name("fresh")), "new file");
    ASSERT_TRUE(m_fs.outside().remove(name("fresh")));
    EXPECT_FALSE(m_fs.exists(name("fresh")));
}

TEST_F(MemoryDisk, AnotherProgramsPausedWriteInPlaceGoesOnIntoTheFileItOpened) {
    put(m_fs, at("data"), "theirs, old");
    const auto writing = m_fs.outside().beginWriteInPlace(name("data"), "half");
    ASSERT_TRUE(writing);
    EXPECT_EQ(m_fs.contents(name("data")), "half");
    // Moved aside and replaced meanwhile: the rest goes where the half went.
    ASSERT_EQ(m_fs.rename(at("data").constData(), at("aside").constData()), 0);
    put(m_fs, at("data"), "mine");
    ASSERT_TRUE(m_fs.outside().endWriteInPlace(*writing, " and the rest"));
    EXPECT_EQ(m_fs.contents(name("aside")), "half and the rest");
    EXPECT_EQ(m_fs.contents(name("data")), "mine");
    EXPECT_FALSE(m_fs.outside().endWriteInPlace(*writing, "again"));

    const auto cut = m_fs.outside().beginWriteInPlace(name("data"), "cut short");
    ASSERT_TRUE(cut);
    m_fs.powerCut();
    EXPECT_FALSE(m_fs.outside().endWriteInPlace(*cut, " never"));
}

TEST_F(MemoryDisk, AnOutsideLockAndTheProgramsConflict) {
    const auto holder = m_fs.outside().lock(QString::fromLatin1(m_folder), true);
    ASSERT_TRUE(holder);
    const int fd = m_fs.open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
    EXPECT_EQ(failure(m_fs.flock(fd, LOCK_SH | LOCK_NB)), EWOULDBLOCK);
    EXPECT_EQ(m_fs.blockingLockCalls(), 0);
    // Blocking would hang the test for ever: it fails at once and is counted.
    EXPECT_EQ(failure(m_fs.flock(fd, LOCK_EX)), EWOULDBLOCK);
    EXPECT_EQ(m_fs.blockingLockCalls(), 1);
    ASSERT_TRUE(m_fs.outside().unlock(*holder));
    EXPECT_EQ(m_fs.flock(fd, LOCK_EX), 0);
    EXPECT_FALSE(m_fs.outside().lock(QString::fromLatin1(m_folder), false));
    EXPECT_EQ(m_fs.blockingLockCalls(), 1);
}

TEST_F(MemoryDisk, ACallHeldInTheHookHoldsOnlyItsCaller) {
    std::promise<void> entered;
    std::promise<void> goOn;
    std::shared_future<void> released = goOn.get_future().share();
    m_fs.before = [&](const MemoryFileSystem::Operation& operation) {
        if (operation.kind == Kind::Write) {
            entered.set_value();
            released.wait();
        }
    };
    const int fd = m_fs.open(at("file").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    auto writing = std::async(std::launch::async, [&] { return m_fs.write(fd, "late", 4); });
    auto hasEntered = entered.get_future();
    ASSERT_TRUE(holdsAt(hasEntered));

    // Meanwhile the disk answers everyone else, the held descriptor included.
    struct stat info {};
    EXPECT_EQ(m_fs.fstat(fd, &info), 0);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_TRUE(m_fs.outside().writeAtomically(name("other"), "other"));
    EXPECT_EQ(writing.wait_for(0s), std::future_status::timeout);

    goOn.set_value();
    EXPECT_EQ(writing.get(), 4);
    EXPECT_EQ(m_fs.contents(name("file")), "late");
}

TEST_F(MemoryDisk, ACallHeldAcrossACrashOrAPowerCutDoesNothing) {
    for (const bool powerCut : {false, true}) {
        SCOPED_TRACE(powerCut ? "power cut" : "crash");
        std::promise<void> entered;
        std::promise<void> goOn;
        std::shared_future<void> released = goOn.get_future().share();
        m_fs.before = [&](const MemoryFileSystem::Operation& operation) {
            if (operation.kind == Kind::Mkdir) {
                entered.set_value();
                released.wait();
            }
        };
        auto making = std::async(std::launch::async, [&] {
            const int result = m_fs.mkdir(at("late").constData(), 0755);
            return std::make_pair(result, result < 0 ? errno : 0);
        });
        auto hasEntered = entered.get_future();
        ASSERT_TRUE(holdsAt(hasEntered));
        if (powerCut)
            m_fs.powerCut();
        else
            m_fs.crash();
        goOn.set_value();
        EXPECT_EQ(making.get(), std::make_pair(-1, EIO));
        EXPECT_FALSE(m_fs.exists(name("late")));
        m_fs.before = {};
    }
}

TEST_F(MemoryDisk, FaultsFailTheProgramAsTheSystemWould) {
    put(m_fs, at("file"), "durable");
    m_fs.syncAll();

    // A full disk: a short write, then none.
    m_fs.setSpaceLeft(5);
    const int fd = m_fs.open(at("file").constData(), O_WRONLY | O_TRUNC);
    EXPECT_EQ(m_fs.write(fd, "12345678", 8), 5);
    EXPECT_EQ(failure(m_fs.write(fd, "678", 3)), ENOSPC);
    m_fs.setSpaceLeft(std::nullopt);
    EXPECT_EQ(m_fs.write(fd, "678", 3), 3);

    // A failing fsync makes nothing durable.
    m_fs.setFsyncFails(true);
    EXPECT_EQ(failure(m_fs.fsync(fd)), EIO);
    m_fs.close(fd);
    m_fs.powerCut();
    EXPECT_EQ(m_fs.contents(name("file")), "durable");
    m_fs.setFsyncFails(false);

    // A folder that cannot be written.
    ASSERT_EQ(m_fs.mkdir(at("inner").constData(), 0755), 0);
    for (const int error : {EACCES, EROFS}) {
        SCOPED_TRACE(error);
        ASSERT_TRUE(m_fs.setReadOnly(QString::fromLatin1(m_folder), error));
        EXPECT_EQ(failure(m_fs.open(at("new").constData(), O_WRONLY | O_CREAT, 0644)), error);
        EXPECT_EQ(failure(m_fs.unlink(at("file").constData())), error);
        EXPECT_EQ(failure(m_fs.rename(at("file").constData(), at("renamed").constData())), error);
        EXPECT_EQ(failure(m_fs.mkdir(at("folder").constData(), 0755)), error);
        EXPECT_EQ(failure(m_fs.symlink("file", at("link").constData())), error);
        EXPECT_EQ(failure(m_fs.link(at("file").constData(), at("linked").constData())), error);
        EXPECT_EQ(get(m_fs, at("file")), "durable");
        // A folder without write permission still lets its files be written;
        // a read-only mount does not, nor anything below it.
        const int writing = m_fs.open(at("file").constData(), O_WRONLY);
        EXPECT_EQ(failure(writing), error == EROFS ? EROFS : 0);
        m_fs.close(writing);
        EXPECT_EQ(failure(m_fs.open(at("inner/new").constData(), O_WRONLY | O_CREAT, 0644)),
                  error == EROFS ? EROFS : 0);
        ASSERT_TRUE(m_fs.outside().writeAtomically(name("theirs"), "the test's own hands are not stopped"));
        ASSERT_TRUE(m_fs.outside().remove(name("theirs")));
    }
    ASSERT_TRUE(m_fs.setReadOnly(QString::fromLatin1(m_folder), 0));
    EXPECT_GE(m_fs.open(at("new").constData(), O_WRONLY | O_CREAT, 0644), 0);
}

TEST_F(MemoryDisk, ChangesAreStampedWithTheOwnersClock) {
    timespec now{1'750'000'000, 42};
    m_fs.setClock([&] { return now; });
    put(m_fs, at("file"), "x");
    struct stat info = statOf(m_fs, at("file"));
    EXPECT_EQ(info.st_mtim.tv_sec, 1'750'000'000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 42);
    now.tv_nsec = 43;
    put(m_fs, at("file"), "y");
    info = statOf(m_fs, at("file"));
    EXPECT_EQ(info.st_mtim.tv_nsec, 43);
    EXPECT_EQ(statOf(m_fs, m_folder).st_mtim.tv_nsec, 42);
}

TEST_F(MemoryDisk, OnlyAbsolutePathsAreNamed) {
    EXPECT_EQ(failure(m_fs.open("relative", O_RDONLY)), EINVAL);
    ASSERT_TRUE(m_fs.outside().makeSymlink("../data", name("again")));
    put(m_fs, at("again/through"), "relative link");
    EXPECT_EQ(m_fs.contents(name("through")), "relative link");
}

} // namespace
} // namespace sorvel::test
