// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/key_places.h"
#include "host/hash_key.h"

namespace {

using reuseblocks::detail::KeyPlaces;

// Grown slot by slot from its smallest table, as a caller that reserves nothing grows it, every
// key keeps its place; a key added again gets the first one's place and adds nothing.
TEST(KeyPlacesTest, EveryKeyKeepsItsPlaceAsTheTableGrows) {
    KeyPlaces places(reuseblocks::detail::ReadHashKey());
    std::vector<std::string> keys;
    // Short keys, keys of the longer hash, keys alike but for their last byte, and the empty one.
    for (int i = 0; i < 20000; ++i) keys.push_back("/TOP/U" + std::to_string(i));
    for (int i = 0; i < 200; ++i) keys.push_back(std::string(40, 'x') + std::to_string(i));
    keys.emplace_back();
    for (std::size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(places.Add(keys[i]), i);
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(places.Find(keys[i]), i) << keys[i];
    EXPECT_EQ(places.Add(std::string(keys[7])), 7u);
    EXPECT_EQ(places.Count(), keys.size());
    EXPECT_EQ(places.Find("/TOP/U20000"), KeyPlaces::kNone);
    EXPECT_EQ(places.Find(std::string(40, 'x')), KeyPlaces::kNone);

    KeyPlaces reserved(reuseblocks::detail::ReadHashKey());
    reserved.Reserve(3);
    EXPECT_EQ(reserved.Find("a"), KeyPlaces::kNone);
    EXPECT_EQ(reserved.Add("a"), 0u);
    EXPECT_EQ(reserved.Add("b"), 1u);
    EXPECT_EQ(reserved.Add("a"), 0u);
    EXPECT_EQ(reserved.Find("b"), 1u);
}

}  // namespace
