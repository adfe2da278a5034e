// SPDX-License-Identifier: MIT
#include "platform/random_source.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

namespace reuseblocks::detail::platform {

bool ReadRandomBytes(unsigned char* bytes, std::size_t count) noexcept {
    const DWORD savedError = ::GetLastError();
    bool read = true;
    while (read && count > 0) {
        const ULONG chunk = count > 0x10000000 ? 0x10000000UL : static_cast<ULONG>(count);
        read = BCRYPT_SUCCESS(
            ::BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG));
        bytes += chunk;
        count -= chunk;
    }
    ::SetLastError(savedError);
    return read;
}

}  // namespace reuseblocks::detail::platform
