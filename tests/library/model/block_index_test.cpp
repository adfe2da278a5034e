// SPDX-License-Identifier: MIT
// The collection's block index on its own: keys whose whole 32-bit hashes are equal, and the
// calls its collection guards against (an empty index, a key it does not hold, no block).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/block_index.h"
#include "reuseblocks/reuseblocks.h"

namespace {

using reuseblocks::detail::BlockIndex;

// Two different keys whose hashes under this process's key are equal: found among counted keys,
// where one pair in about 2^32 collides, so a few hundred thousand hold one.
std::pair<std::string, std::string> CollidingKeys(const BlockIndex& index) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> hashes;
    for (std::uint32_t n = 0; n < (1u << 21); ++n) {
        hashes.emplace_back(index.Hash("/K" + std::to_string(n)), n);
        if (hashes.size() % 65536 != 0) continue;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> sorted = hashes;
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            if (sorted[i].first == sorted[i - 1].first) {
                return {"/K" + std::to_string(sorted[i - 1].second),
                        "/K" + std::to_string(sorted[i].second)};
            }
        }
    }
    return {};
}

TEST(BlockIndexTest, KeysOfEqualHashAreStillTwoKeys) {
    BlockIndex index;
    const auto [first, second] = CollidingKeys(index);
    ASSERT_FALSE(first.empty()) << "no two keys of equal hash found";
    const std::uint32_t hash = index.Hash(first);
    ASSERT_EQ(index.Hash(second), hash);
    CReuseBlockFile owner;
    CReuseBlock* a = owner.NewBlock("a");
    CReuseBlock* b = owner.NewBlock("b");
    ASSERT_TRUE(index.Add(first, hash, a));
    EXPECT_EQ(index.Find(second, hash), nullptr);
    ASSERT_TRUE(index.Add(second, hash, b));
    EXPECT_FALSE(index.Add(second, hash, a));
    EXPECT_EQ(index.Find(first, hash), a);
    EXPECT_EQ(index.Find(second, hash), b);
    EXPECT_FALSE(index.Rename(first, hash, second, hash)) << "renamed onto a key held";
    EXPECT_EQ(index.Remove(first, hash), a);
    EXPECT_EQ(index.Find(first, hash), nullptr);
    EXPECT_EQ(index.Find(second, hash), b);
    ASSERT_TRUE(index.Rename(second, hash, first, hash));
    EXPECT_EQ(index.Find(first, hash), b);
    EXPECT_EQ(index.Count(), 1u);
}

TEST(BlockIndexTest, WhatItDoesNotHoldIsNotFound) {
    BlockIndex index;
    CReuseBlockFile owner;
    CReuseBlock* a = owner.NewBlock("a");
    const std::uint32_t hash = index.Hash("a");
    std::string_view key;
    // Empty, before any table is made: a look ahead touches nothing.
    index.Prefetch(hash);
    EXPECT_EQ(index.Find("a", hash), nullptr);
    EXPECT_EQ(index.Remove("a", hash), nullptr);
    EXPECT_FALSE(index.Rename("a", hash, "b", index.Hash("b")));
    EXPECT_FALSE(index.KeyOfBlock(a, "a", key));
    ASSERT_TRUE(index.Add("a", hash, a));
    EXPECT_FALSE(index.Rename("x", index.Hash("x"), "b", index.Hash("b")));
    EXPECT_FALSE(index.KeyOfBlock(nullptr, "a", key));
    ASSERT_TRUE(index.KeyOfBlock(a, "a", key));
    EXPECT_EQ(key, "a");
    EXPECT_EQ(index.Count(), 1u);
}

}  // namespace
