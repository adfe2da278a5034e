// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/processors.h"

namespace reuseblocks::detail::platform {

unsigned UsableProcessors() noexcept {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0) {
        unsigned count = 0;
        for (; process != 0; process &= process - 1) ++count;
        return count;
    }
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? info.dwNumberOfProcessors : 1;
}

}  // namespace reuseblocks::detail::platform
