#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace sorvel::test {

// Another program, started beforehand, that takes the data folder's
// exclusive lock when told to and holds it until told to let go, or for
// `longestHoldMs` at most: the test decides when the folder comes free, not a
// clock. It calls flock directly, past any stand-in of it.
class FolderHolder {
public:
    explicit FolderHolder(const QString& folder, int longestHoldMs = 60000) {
        QDir().mkpath(folder);
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0)
            return;
        const QByteArray path = QFile::encodeName(folder);
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            char order = 0;
            if (::read(toChild[0], &order, 1) != 1)
                ::_exit(0);
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
            const char held = fd >= 0 && ::syscall(SYS_flock, fd, LOCK_EX) == 0 ? 1 : 0;
            [[maybe_unused]] const ssize_t told = ::write(fromChild[1], &held, 1);
            pollfd letGo{toChild[0], POLLIN, 0};
            ::poll(&letGo, 1, longestHoldMs);
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_orders = toChild[1];
        m_answers = fromChild[0];
    }
    ~FolderHolder() {
        release();
        if (m_answers >= 0)
            ::close(m_answers);
    }

    // Takes the folder now; returns once it holds it.
    void takeTheFolder() {
        const char order = 1;
        char held = 0;
        m_holding = ::write(m_orders, &order, 1) == 1 && ::read(m_answers, &held, 1) == 1 && held == 1;
    }
    bool isHolding() const { return m_holding; }
    // Whether it has ended on its own (only after holding the longest time).
    bool hasEnded() {
        if (!m_ended && m_child > 0 && ::waitpid(m_child, nullptr, WNOHANG) == m_child)
            m_ended = true;
        return m_ended;
    }
    void letGo() {
        if (m_orders >= 0)
            ::close(std::exchange(m_orders, -1));
    }
    // Lets go and returns once the other program has ended, its lock with it.
    void release() {
        letGo();
        if (m_child > 0 && !m_ended) {
            while (::waitpid(m_child, nullptr, 0) < 0 && errno == EINTR) {}
            m_ended = true;
        }
        m_holding = false;
    }

private:
    pid_t m_child = -1;
    int m_orders = -1;
    int m_answers = -1;
    bool m_holding = false;
    bool m_ended = false;
};

} // namespace sorvel::test
