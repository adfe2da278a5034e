#include <gtest/gtest.h>

#include <cstdint>

#include "model/sip_hash.h"

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

}  // namespace
