// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_PREFETCH_H
#define REUSEBLOCKS_PLATFORM_PREFETCH_H

#if defined(_MSC_VER) && !defined(__clang__) && defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace reuseblocks::detail {

// Asks for the cache line at `address` to be read ahead; only a hint, never a fault.
inline void Prefetch(const void* address) noexcept {
#if defined(_MSC_VER) && !defined(__clang__)
#if defined(_M_X64)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    static_cast<void>(address);
#endif
#else
    __builtin_prefetch(address);
#endif
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_PLATFORM_PREFETCH_H
