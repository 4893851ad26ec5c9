#include "core/FolderLock.h"
#include "core/FileSystem.h"
#include "core/Storage.h"
#include "core/SystemErrorText.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// What flock answers where it is carried out with record locks (NFS): a
// folder can only be opened for reading, and an exclusive record lock needs a
// descriptor open for writing. Set for one test at a time; 0 calls the real one.
std::atomic<int> emulatedLockError = 0;

extern "C" int flock(int fd, int operation) noexcept {
    using Flock = int (*)(int, int);
    static const Flock real = reinterpret_cast<Flock>(::dlsym(RTLD_NEXT, "flock"));
    if (const int error = emulatedLockError.load(); error != 0 && (operation & LOCK_EX)) {
        errno = error;
        return -1;
    }
    return real(fd, operation);
}

namespace sorvel {
namespace {

using Mode = FolderLock::Mode;

class FolderLockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder)); }

    // Whether another process could take an exclusive lock on the folder right now.
    bool otherProcessCanLock() const {
        const QByteArray path = folder.toLocal8Bit();
        const pid_t child = fork();
        if (child == 0) {
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
            _exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    test::TestEnvironment environment;
    PosixFileSystem disk;
    QString folder = environment.dataFolder();
};

TEST_F(FolderLockTest, WriteLockExcludesEveryOtherLockUntilReleased) {
    {
        const FolderLock writer(disk, folder, Mode::Write);
        ASSERT_TRUE(writer.isLocked());
        EXPECT_TRUE(writer.error().isEmpty());

        const FolderLock secondWriter(disk, folder, Mode::Write, FolderLock::noWait());
        EXPECT_FALSE(secondWriter.isLocked());
        EXPECT_FALSE(secondWriter.error().isEmpty());
        EXPECT_TRUE(secondWriter.isHeldElsewhere());
        EXPECT_FALSE(writer.isHeldElsewhere());
        // A folder that cannot even be opened is no other holder.
        EXPECT_FALSE(
            FolderLock(disk, folder + QStringLiteral("/missing"), Mode::Write, FolderLock::noWait()).isHeldElsewhere());
        EXPECT_FALSE(FolderLock(disk, folder, Mode::Read, FolderLock::noWait()).isLocked());
        EXPECT_FALSE(otherProcessCanLock());
    }
    EXPECT_TRUE(FolderLock(disk, folder, Mode::Write, FolderLock::noWait()).isLocked());
    EXPECT_TRUE(otherProcessCanLock());
    // No lock file is ever made.
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

TEST_F(FolderLockTest, ReadLocksShareButKeepWritersOut) {
    const FolderLock first(disk, folder, Mode::Read);
    const FolderLock second(disk, folder, Mode::Read, FolderLock::noWait());
    EXPECT_TRUE(first.isLocked());
    EXPECT_TRUE(second.isLocked());
    EXPECT_FALSE(FolderLock(disk, folder, Mode::Write, FolderLock::noWait()).isLocked());
    EXPECT_FALSE(otherProcessCanLock());
}

TEST_F(FolderLockTest, BlockingLockWaitsForTheHolder) {
    auto holder = std::make_unique<FolderLock>(disk, folder, Mode::Write);
    ASSERT_TRUE(holder->isLocked());
    std::atomic<bool> acquired = false;
    std::thread waiter([&] {
        const FolderLock lock(disk, folder, Mode::Write);
        acquired = lock.isLocked();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(acquired);
    holder.reset();
    waiter.join();
    EXPECT_TRUE(acquired);
}

// A lock never blocks: it tries as often as its waiter lets it, then gives up
// and says that another holder kept the folder.
TEST_F(FolderLockTest, AWaitingLockTriesAsItsWaiterSaysThenGivesUp) {
    const FolderLock holder(disk, folder, Mode::Write);
    int tries = 0;
    const FolderLock waiting(disk, folder, Mode::Read, [&](const std::function<bool()>& attempt) {
        for (; tries < 3; ++tries) {
            if (attempt())
                return true;
        }
        return false;
    });
    EXPECT_EQ(tries, 3);
    EXPECT_FALSE(waiting.isLocked());
    EXPECT_TRUE(waiting.isHeldElsewhere());
    EXPECT_TRUE(FolderLock(disk, folder, Mode::Read, FolderLock::patientFor(0)).isHeldElsewhere());
}

TEST_F(FolderLockTest, FileSystemWithoutWorkingLocksIsNamedPlainly) {
    for (const int error : {EBADF, ENOLCK, EOPNOTSUPP}) {
        emulatedLockError = error;
        testing::internal::CaptureStderr();
        const FolderLock lock(disk, folder, Mode::Write);
        const Storage::SaveResult saved = Storage::save(
            disk, [](const Library*) { return Library{}; }, false);
        const std::string log = testing::internal::GetCapturedStderr();
        emulatedLockError = 0;
        EXPECT_FALSE(lock.isLocked());
        const QString noLocks = QString::fromLocal8Bit(std::strerror(ENOLCK));
        EXPECT_EQ(lock.error().number, ENOLCK);
        EXPECT_TRUE(lock.error().text().endsWith(QStringLiteral(": ") + noLocks)) << lock.error().text().toStdString();
        EXPECT_FALSE(saved.written);
        EXPECT_EQ(saved.error.number, ENOLCK) << saved.error.text().toStdString();
        if (error == EBADF) {
            EXPECT_NE(log.find("does not support file locks"), std::string::npos) << log;
        }
    }
    EXPECT_EQ(SystemErrorText::describe(ENOLCK), QStringLiteral("文件系统不支持文件锁"));
    EXPECT_FALSE(QFileInfo::exists(Storage::filePath()));

    // Shared locks still work there, and a held lock is no such failure.
    emulatedLockError = EBADF;
    EXPECT_TRUE(FolderLock(disk, folder, Mode::Read).isLocked());
    emulatedLockError = 0;
    const FolderLock holder(disk, folder, Mode::Write);
    const FolderLock busy(disk, folder, Mode::Write, FolderLock::noWait());
    EXPECT_FALSE(busy.isLocked());
    EXPECT_NE(busy.error().number, ENOLCK);
}

TEST_F(FolderLockTest, MissingFolderIsNotLockedAndSaysWhy) {
    const FolderLock lock(disk, folder + "/absent", Mode::Read);
    EXPECT_FALSE(lock.isLocked());
    EXPECT_TRUE(lock.error().context.contains("absent"));
    EXPECT_FALSE(QDir(folder + "/absent").exists());
}

} // namespace
} // namespace sorvel
