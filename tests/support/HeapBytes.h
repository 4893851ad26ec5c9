#pragma once

#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's runtime has it; GCC installs no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace sorvel::test {

// The bytes this process's allocations hold now (the ones made on the main
// thread's heap, where tests and benchmarks run), under the address sanitizer
// too: how much a value costs is the difference before and after making it.
inline size_t heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

} // namespace sorvel::test
