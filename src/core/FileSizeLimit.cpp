#include "core/FileSizeLimit.h"

#include <csignal>

namespace sorvel::FileSizeLimit {

void failWritesWithError() {
    static const bool ignored = [] {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        return ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }();
    static_cast<void>(ignored);
}

} // namespace sorvel::FileSizeLimit
