// The hooks through which tests stop, end or hold a write of the data file
// at a chosen instant (Storage.h). They talk to the test over its own pipes
// and sockets, not to any file system, so they stay outside FileSystem.

#include "core/Storage.h"

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace sorvel::Storage {

void holdBeforeReplacing() {
    bool ok = false;
    const int fd = qEnvironmentVariableIntValue("SORVEL_HOLD_BEFORE_REPLACE", &ok);
    char byte = 0;
    if (ok && ::send(fd, &byte, 1, MSG_NOSIGNAL) == 1)
        while (::recv(fd, &byte, 1, 0) < 0 && errno == EINTR) {}
}

void passedStep() {
    // Counted per process: a child forked to be ended counts from its own start.
    static std::atomic<pid_t> counting{0};
    static std::atomic<int> passed{0};
    const int exitAfter = qEnvironmentVariableIntValue("SORVEL_EXIT_AFTER_STEP");
    const int hangAfter = qEnvironmentVariableIntValue("SORVEL_HANG_AFTER_STEP");
    if (exitAfter <= 0 && hangAfter <= 0)
        return;
    if (counting.exchange(::getpid()) != ::getpid())
        passed = 0;
    const int step = ++passed;
    if (step == exitAfter)
        ::_exit(exitedAtStepStatus);
    if (step == hangAfter) {
        bool valid = false;
        const int hangOn = qEnvironmentVariableIntValue("SORVEL_HANG_FD", &valid);
        char byte = 0;
        while (valid && ::read(hangOn, &byte, 1) < 0 && errno == EINTR) {}
    }
}

} // namespace sorvel::Storage
