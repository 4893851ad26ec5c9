#pragma once

#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace sorvel::test {

// A write of another program (a child process), held right before each of
// its drafts replaces the data file (Storage's SORVEL_HOLD_BEFORE_REPLACE),
// so that the test acts in that instant. A hold waits for the test at most
// half a minute before the test takes the write for ended.
class HeldWrite {
public:
    explicit HeldWrite(const std::function<int()>& write) {
        int ends[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            ADD_FAILURE() << "no socket pair: " << std::strerror(errno);
            return;
        }
        m_end = ends[0];
        m_child = startInChild([&] {
            ::close(ends[0]);
            qputenv("SORVEL_HOLD_BEFORE_REPLACE", QByteArray::number(ends[1]));
            return write();
        });
        ::close(ends[1]);
    }
    ~HeldWrite() { finish(); }
    HeldWrite(const HeldWrite&) = delete;
    HeldWrite& operator=(const HeldWrite&) = delete;

    // Runs `act` at each hold, with the number of holds before it, and lets
    // the write go on; the number of holds once the write has ended.
    int actAtEachHold(const std::function<void(int pass)>& act) {
        int passes = 0;
        while (isHeld()) {
            act(passes++);
            const char byte = 0;
            EXPECT_EQ(::send(m_end, &byte, 1, MSG_NOSIGNAL), 1);
        }
        return passes;
    }
    // The write's exit status, once it has ended.
    int finish() {
        if (m_end >= 0)
            ::close(std::exchange(m_end, -1)); // a hold from now on goes on at once
        if (m_child >= 0)
            m_status = exitStatusOf(std::exchange(m_child, -1));
        return m_status;
    }

private:
    // Waits until the write is held; false when it ended instead.
    bool isHeld() const {
        pollfd ready{m_end, POLLIN, 0};
        char byte = 0;
        return ::poll(&ready, 1, 30000) == 1 && ::recv(m_end, &byte, 1, 0) == 1;
    }

    int m_end = -1;
    pid_t m_child = -1;
    int m_status = -1;
};

// Another program that saves without the lock: a new file renamed over the data file.
inline void renameOverWithoutTheLock(const QString& path, const QByteArray& bytes) {
    const QString written = path + QStringLiteral(".other-program");
    writeFile(written, bytes);
    ASSERT_EQ(::rename(QFile::encodeName(written).constData(), QFile::encodeName(path).constData()), 0)
        << std::strerror(errno);
}

} // namespace sorvel::test
