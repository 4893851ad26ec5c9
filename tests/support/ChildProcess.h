#pragma once

#include <cerrno>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
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
        ::setrlimit(RLIMIT_NOFILE, &limited);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

private:
    rlimit m_saved{};
};

} // namespace sorvel::test
