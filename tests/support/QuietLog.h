#pragma once

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace sorvel::test {

// Sends standard error to /dev/null while it lives: the code under a
// simulation logs every failed operation and merge, thousands of lines a run.
class QuietLog {
public:
    QuietLog() : m_saved(::dup(STDERR_FILENO)) {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ~QuietLog() {
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    int m_saved;
};

} // namespace sorvel::test
