// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>

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

}  // namespace
