// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string_view>

#include "flood_ids.h"
#include "text/keyed_map.h"

namespace reuseblocks::tool {
namespace {

// The largest bucket of a table holding `ids` as keys.
template <typename Table>
std::size_t LargestBucket(Table& table, bench::FloodIds ids, std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) table.emplace(ids.Next(), index);
    std::size_t largest = 0;
    for (std::size_t bucket = 0; bucket < table.bucket_count(); ++bucket) {
        largest = std::max(largest, table.bucket_size(bucket));
    }
    return largest;
}

TEST(Text, ValuesMadeToCollideUnderTheStandardHashSpreadOverTheTableOfFileText) {
    // Values that share one std::hash: a table under that hash keeps them all in one bucket and
    // compares each new one with every earlier one.
    constexpr std::size_t kValues = 2000;
    bench::FloodIds probe(true, 1);
    const std::string first = probe.Next();
    const std::string second = probe.Next();
    if (std::hash<std::string_view>{}(first) == std::hash<std::string_view>{}(second)) {
        std::unordered_map<std::string, std::size_t> plain;
        EXPECT_EQ(LargestBucket(plain, bench::FloodIds(true, 1), kValues), kValues);
    }
    KeyedMap<std::size_t> keyed;
    EXPECT_LE(LargestBucket(keyed, bench::FloodIds(true, 1), kValues), 16u);
    KeyedMap<std::size_t> ordinary;
    EXPECT_LE(LargestBucket(ordinary, bench::FloodIds(false, 1), kValues), 16u);
}

}  // namespace
}  // namespace reuseblocks::tool
