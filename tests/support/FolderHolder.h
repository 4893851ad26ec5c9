#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvel::test {

// Another process that holds a folder's exclusive lock (as a writer of the
// data folder does) until release() or its own end: the test decides when
// the folder comes free, not a clock. Only system calls after the fork.
class FolderHolder {
public:
    explicit FolderHolder(const QString& folder) {
        QDir().mkpath(folder);
        int ready[2];
        int letGo[2];
        if (::pipe2(ready, O_CLOEXEC) != 0)
            return;
        if (::pipe2(letGo, O_CLOEXEC) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        const QByteArray path = QFile::encodeName(folder);
        std::fflush(nullptr);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(ready[0]);
            ::close(letGo[1]);
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
            const char held = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 1 : 0;
            [[maybe_unused]] const ssize_t sent = ::write(ready[1], &held, 1);
            char end = 0;
            // Returns when the test closes its end, or ends.
            [[maybe_unused]] const ssize_t got = ::read(letGo[0], &end, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(letGo[0]);
        m_letGo = letGo[1];
        char held = 0;
        m_holding = m_child > 0 && ::read(ready[0], &held, 1) == 1 && held == 1;
        ::close(ready[0]);
    }
    ~FolderHolder() { release(); }
    FolderHolder(const FolderHolder&) = delete;
    FolderHolder& operator=(const FolderHolder&) = delete;

    bool isHolding() const { return m_holding; }

    // Lets the folder go and waits until the holder has ended.
    void release() {
        if (m_letGo >= 0) {
            ::close(m_letGo);
            m_letGo = -1;
        }
        if (m_child > 0) {
            ::waitpid(m_child, nullptr, 0);
            m_child = -1;
        }
        m_holding = false;
    }

private:
    pid_t m_child = -1;
    int m_letGo = -1;
    bool m_holding = false;
};

} // namespace sorvel::test
