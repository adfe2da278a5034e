// SPDX-License-Identifier: MIT
#include "platform/processors.h"

#if defined(__linux__)
#include <sched.h>
#endif
#include <unistd.h>

namespace reuseblocks::detail::platform {

unsigned UsableProcessors() noexcept {
#if defined(__linux__)
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0) return static_cast<unsigned>(count);
    }
#endif
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1;
}

}  // namespace reuseblocks::detail::platform
