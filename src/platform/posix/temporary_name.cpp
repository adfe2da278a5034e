// SPDX-License-Identifier: MIT
#include "posix/temporary_name.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/random_source.h"

namespace reuseblocks::detail::platform {

void MakeTemporaryName(char (&name)[kTemporaryNameSize]) noexcept {
    std::uint32_t digits = 0;
    unsigned char bytes[sizeof digits];
    if (ReadRandomBytes(bytes, sizeof bytes)) {
        std::memcpy(&digits, bytes, sizeof digits);
    } else {
        // Without a random source the name is only unlikely to clash, not hard to guess; O_EXCL
        // and O_NOFOLLOW keep a name taken first from doing harm.
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        digits = static_cast<std::uint32_t>(ticks) ^
                 (static_cast<std::uint32_t>(::getpid()) << 16) ^
                 static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&name) >> 4);
    }
    std::snprintf(name, sizeof name, ".reuseblocks-%08lx", static_cast<unsigned long>(digits));
}

}  // namespace reuseblocks::detail::platform
