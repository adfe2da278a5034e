// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_BIT_SCAN_H
#define REUSEBLOCKS_PLATFORM_BIT_SCAN_H

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace reuseblocks::detail {

// The index of the lowest set bit of `mask`, which must not be 0: one instruction on every
// compiler we build with.
inline unsigned LowestSetBit(unsigned mask) noexcept {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

// How many bits of `mask` are set.
inline unsigned SetBitCount(unsigned mask) noexcept {
#if defined(_MSC_VER) && !defined(__clang__)
    return __popcnt(mask);
#else
    return static_cast<unsigned>(__builtin_popcount(mask));
#endif
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_PLATFORM_BIT_SCAN_H
