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

// How many bits of `mask` are set: by arithmetic, since the instruction is not part of every
// x86-64 processor and the compilers' fallback is a call.
constexpr unsigned SetBitCount(unsigned mask) noexcept {
    mask = mask - ((mask >> 1) & 0x55555555u);
    mask = (mask & 0x33333333u) + ((mask >> 2) & 0x33333333u);
    return (((mask + (mask >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_PLATFORM_BIT_SCAN_H
