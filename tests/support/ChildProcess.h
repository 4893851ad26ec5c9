#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace sorvel::test {

// Runs `body` in a forked copy of this process, as another program touching
// the data folder would, and returns its exit status (-1 when it did not exit).
inline int runInChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        ::_exit(body());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lowers the soft limit of open descriptors so that only `more` further
// descriptors can be opened (EMFILE after that), for as long as it lives.
class DescriptorLimit {
public:
    explicit DescriptorLimit(int more) {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        // The lowest free number is where the next descriptor would go.
        const int lowestFree = ::dup(0);
        if (lowestFree >= 0)
            ::close(lowestFree);
        const rlimit limited{rlim_t(lowestFree + more), m_saved.rlim_max};
        m_lowered = lowestFree >= 0 && ::setrlimit(RLIMIT_NOFILE, &limited) == 0;
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;
    bool isLowered() const { return m_lowered; }

private:
    rlimit m_saved{};
    bool m_lowered = false;
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

// Another process holding the exclusive lock of the data folder `folder` until
// release() (or the end of this object).
class FolderHeldElsewhere {
public:
    explicit FolderHeldElsewhere(const QString& folder) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0)
            return;
        if (::pipe(release) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        const QByteArray path = QFile::encodeName(folder);
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 1 : 0;
            [[maybe_unused]] const ssize_t sent = ::write(ready[1], &held, 1);
            char ignored = 0;
            while (::read(release[0], &ignored, 1) < 0 && errno == EINTR) {}
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char held = 0;
        m_holding = m_child > 0 && ::read(ready[0], &held, 1) == 1 && held == 1;
        ::close(ready[0]);
    }
    ~FolderHeldElsewhere() { release(); }
    FolderHeldElsewhere(const FolderHeldElsewhere&) = delete;
    FolderHeldElsewhere& operator=(const FolderHeldElsewhere&) = delete;

    bool isHolding() const { return m_holding; }
    // Lets go of the folder and waits for the other process to end.
    void release() {
        if (m_release >= 0)
            ::close(std::exchange(m_release, -1));
        if (m_child > 0) {
            while (::waitpid(m_child, nullptr, 0) < 0 && errno == EINTR) {}
            m_child = -1;
        }
        m_holding = false;
    }

private:
    pid_t m_child = -1;
    int m_release = -1;
    bool m_holding = false;
};

} // namespace sorvel::test
