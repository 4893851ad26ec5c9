#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace sorvel::test {

// This test program's own process, as opposed to the children it forks.
inline const pid_t testProgramID = ::getpid();

// Starts `body` in a forked copy of this process, which exits with what it
// returns; -1 when no child could be started.
inline pid_t startInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    return child;
}

// Waits for a child started by startInChild to end; its exit status, -1 when it did not exit.
inline int exitStatusOf(pid_t child) {
    if (child < 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `body` in a forked copy of this process, as another program touching
// the data folder would, and returns its exit status (-1 when it did not exit).
inline int runInChild(const std::function<int()>& body) {
    return exitStatusOf(startInChild(body));
}

// Runs a part of a test in a forked copy of this process, with the test's
// objects as they are: what it does to the whole process (a lowered
// descriptor limit, a flood of connections) cannot reach the tests after it,
// whatever their order. Its expectations are checked there and fail the test here.
inline void expectInChild(const std::function<void()>& part) {
    const int status = runInChild([&part] {
        part();
        std::fflush(nullptr); // _exit() writes nothing that is still buffered
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "the part of this test run in a child process failed (its messages are above)";
}

// Lowers the soft limit of open descriptors so that only `more` further
// descriptors can be opened (EMFILE after that), for as long as it lives.
// Only in a child process (runInChild, expectInChild): Qt's threads of the
// test program itself need descriptors of their own at any time.
class DescriptorLimit {
public:
    explicit DescriptorLimit(int more) {
        if (::getpid() == testProgramID) {
            ADD_FAILURE() << "a descriptor limit is lowered only in a child process";
            return;
        }
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        // The lowest free number is where the next descriptor would go.
        const int lowestFree = ::dup(0);
        if (lowestFree >= 0)
            ::close(lowestFree);
        const rlimit limited{rlim_t(lowestFree + more), m_saved.rlim_max};
        m_lowered = lowestFree >= 0 && ::setrlimit(RLIMIT_NOFILE, &limited) == 0;
    }
    ~DescriptorLimit() {
        if (m_lowered)
            ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;
    bool isLowered() const { return m_lowered; }

private:
    rlimit m_saved{};
    bool m_lowered = false;
};

// Lowers the soft limit of a file's size (a quota, a limited service) to
// `bytes` for as long as it lives: a write past it raises SIGXFSZ, which ends
// a process that does not deal with it. Only in a child process, like
// DescriptorLimit; `lift()` gives the old limit back early.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        if (::getpid() == testProgramID) {
            ADD_FAILURE() << "a file-size limit is lowered only in a child process";
            return;
        }
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limited{bytes, m_saved.rlim_max};
        m_lowered = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeCap() { lift(); }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;
    bool isLowered() const { return m_lowered; }
    void lift() {
        if (std::exchange(m_lowered, false))
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
    }

private:
    rlimit m_saved{};
    bool m_lowered = false;
};

// Lowers the number of inotify watches this process may hold to `watches`,
// as other programs that hold all of the user's watches do: the limit is set
// in a user namespace of the process's own, so that no other process of the
// user is touched. Only in a child process; isLowered() is false where the
// system allows no such namespace (then nothing changed).
class InotifyWatchLimit {
public:
    explicit InotifyWatchLimit(int watches) {
        if (::getpid() == testProgramID) {
            ADD_FAILURE() << "the inotify limit is lowered only in a child process";
            return;
        }
        // The namespace's limit is written by its root, who must own the
        // setting: so only where the user is root outside too.
        const uid_t user = ::getuid();
        m_lowered = ::unshare(CLONE_NEWUSER) == 0 && writeTo("/proc/self/uid_map", "0 " + std::to_string(user) + " 1\n")
            && writeTo("/proc/sys/user/max_inotify_watches", std::to_string(watches) + "\n");
    }
    bool isLowered() const { return m_lowered; }

private:
    static bool writeTo(const char* path, const std::string& text) {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
        return ::close(fd) == 0 && written;
    }

    bool m_lowered = false;
};

// Makes the folder `path` read-only for this process, for as long as it
// lives: by its permissions, or for root, whom permissions do not stop, by a
// read-only bind of it in a mount namespace of the process's own (the
// system's error is then EROFS, else EACCES). Only in a child process, like
// DescriptorLimit; isMade() is false where neither could be done.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(QFile::encodeName(path)) {
        if (::getpid() == testProgramID) {
            ADD_FAILURE() << "a folder is made read-only only in a child process";
            return;
        }
        if (::geteuid() != 0) {
            struct stat info {};
            m_chmodded = ::stat(m_path.constData(), &info) == 0 && ::chmod(m_path.constData(), 0555) == 0;
            m_mode = info.st_mode & 07777;
            m_made = m_chmodded;
            return;
        }
        const char* folder = m_path.constData();
        m_made = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && ::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0
            && ::mount(nullptr, folder, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyFolder() {
        if (m_chmodded)
            ::chmod(m_path.constData(), m_mode);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool isMade() const { return m_made; }
    // The error a write into it meets.
    int error() const { return m_chmodded ? EACCES : EROFS; }

private:
    QByteArray m_path;
    bool m_made = false;
    bool m_chmodded = false;
    mode_t m_mode = 0;
};

// Another process that opens `count` connections to `path` and holds them
// silently for `holdMs` before it ends. Only system calls after fork.
inline pid_t connectionBurst(const QString& path, int count, int holdMs) {
    const QByteArray name = QFile::encodeName(path);
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit); // the burst is not held back by a limit lowered for the server
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (fd < 0)
            break;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    }
    ::usleep(useconds_t(holdMs) * 1000);
    ::_exit(0);
}

} // namespace sorvel::test
