// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_SIP_HASH_H
#define REUSEBLOCKS_HOST_SIP_HASH_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "host/hash_key.h"

namespace reuseblocks::detail {

// SipHash (Aumasson and Bernstein), 64-bit result: a keyed hash short keys go through quickly,
// whose outputs cannot be made to collide without the key. The index uses SipHash-1-3, the
// rounds that hash tables commonly settle on; the rounds are parameters so that the published
// SipHash-2-4 test vectors check this code.
template <int CompressionRounds, int FinalizationRounds>
std::uint64_t SipHash(const HashKey& key, const unsigned char* data, std::size_t size) noexcept {
    std::uint64_t v0 = 0x736f6d6570736575ULL ^ key.k0;
    std::uint64_t v1 = 0x646f72616e646f6dULL ^ key.k1;
    std::uint64_t v2 = 0x6c7967656e657261ULL ^ key.k0;
    std::uint64_t v3 = 0x7465646279746573ULL ^ key.k1;
    const auto rotate = [](std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); };
    const auto rounds = [&](int count) {
        for (int round = 0; round < count; ++round) {
            v0 += v1;
            v1 = rotate(v1, 13);
            v1 ^= v0;
            v0 = rotate(v0, 32);
            v2 += v3;
            v3 = rotate(v3, 16);
            v3 ^= v2;
            v0 += v3;
            v3 = rotate(v3, 21);
            v3 ^= v0;
            v2 += v1;
            v1 = rotate(v1, 17);
            v1 ^= v2;
            v2 = rotate(v2, 32);
        }
    };
    const auto compress = [&](std::uint64_t word) {
        v3 ^= word;
        rounds(CompressionRounds);
        v0 ^= word;
    };
    // Little-endian words whatever the machine.
    const auto load = [](const unsigned char* bytes) {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        word = __builtin_bswap64(word);
#endif
        return word;
    };
    const std::size_t whole = size - size % 8;
    for (std::size_t offset = 0; offset < whole; offset += 8) compress(load(data + offset));
    // The last 0 to 7 bytes and the length's low byte.
    std::uint64_t last = static_cast<std::uint64_t>(size) << 56;
    const unsigned char* tail = data + whole;
    for (std::size_t i = size % 8; i-- > 0;) last |= std::uint64_t{tail[i]} << (8 * i);
    compress(last);
    v2 ^= 0xff;
    rounds(FinalizationRounds);
    return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_HOST_SIP_HASH_H
