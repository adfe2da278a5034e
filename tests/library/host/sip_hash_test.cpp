// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "host/index_hash.h"
#include "host/sip_hash.h"

namespace {

// The reference vectors of SipHash-2-4 (key 00..0f, message 00..n-1) check the rounds, the word
// order and the tail that the block index's SipHash-1-3 shares with it.
TEST(SipHashTest, ReferenceVectors) {
    const reuseblocks::detail::HashKey key{0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL};
    unsigned char message[15];
    for (unsigned char i = 0; i < sizeof message; ++i) message[i] = i;
    using reuseblocks::detail::SipHash;
    EXPECT_EQ((SipHash<2, 4>(key, message, 0)), 0x726fdb47dd0e0e31ULL);
    EXPECT_EQ((SipHash<2, 4>(key, message, 15)), 0xa129ca6149be45e5ULL);
}

// A key that came out the same twice would be no secret: a stub or a broken source shows here.
TEST(SipHashTest, KeysFromTheRandomSourceDiffer) {
    const reuseblocks::detail::HashKey first = reuseblocks::detail::ReadHashKey();
    const reuseblocks::detail::HashKey second = reuseblocks::detail::ReadHashKey();
    EXPECT_FALSE(first.k0 == second.k0 && first.k1 == second.k1);
}

// Every byte of a key counts, and so does its length, so that zero padding makes no two keys
// alike; each key sits in a buffer of its own size, so that reading past it shows under ASan.
TEST(IndexHashTest, EveryByteAndTheLengthCount) {
    const reuseblocks::detail::IndexHash hash(reuseblocks::detail::HashKey{12345, 67890});
    std::set<std::uint32_t> byLength;
    for (std::size_t size = 0; size <= 40; ++size) {
        std::vector<unsigned char> key(size, 0);
        const std::uint32_t plain = hash(key.data(), size);
        byLength.insert(plain);
        for (std::size_t i = 0; i < size; ++i) {
            for (const unsigned bit : {0x01u, 0x80u}) {
                key[i] ^= static_cast<unsigned char>(bit);
                EXPECT_NE(hash(key.data(), size), plain) << size << " bytes, byte " << i;
                key[i] ^= static_cast<unsigned char>(bit);
            }
        }
    }
    EXPECT_EQ(byLength.size(), 41u);
}

// Keys alike but for one 32-bit word, the shape that defeats a multiplicative hash with known
// multipliers and the shape of IDs that count up, spread over the slots of a table as random ones
// would: under the process's key, and under keys whose multipliers once put such a run in a few
// slots (43 to 67 keys in one, where random slots hold at most 15).
TEST(IndexHashTest, KeysDifferingInOneWordSpreadOut) {
    using reuseblocks::detail::HashKey;
    const HashKey keys[] = {reuseblocks::detail::ReadHashKey(),
                            {0xec82b10148aecaedULL, 0x063eb9ae59c0844fULL},
                            {0xb369b0373c1128e1ULL, 0x5a8302c410a4cf03ULL},
                            {0x372e033be26355cfULL, 0xe7d92906d70b9d18ULL}};
    for (const HashKey& secret : keys) {
        const reuseblocks::detail::IndexHash hash(secret);
        for (std::size_t word = 0; word < 5; ++word) {
            std::vector<unsigned> slots(1u << 16);
            unsigned char key[20] = "/TOP/P12/U301/B5/xy";
            for (std::uint32_t n = 0; n < 100000; ++n) {
                const std::uint32_t value = n * 0x10001u;
                for (std::size_t b = 0; b < 4; ++b)
                    key[4 * word + b] = static_cast<unsigned char>(value >> (8 * b));
                ++slots[hash(key, sizeof key) & 0xffffu];
            }
            EXPECT_LT(*std::max_element(slots.begin(), slots.end()), 16u)
                << "word " << word << ", key " << std::hex << secret.k0 << ' ' << secret.k1;
        }
    }
}

}  // namespace
