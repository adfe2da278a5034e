// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string_view>

#include "flood_ids.h"
#include "text/keyed_map.h"
#include "text/words.h"

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

TEST(Text, ReplacingTouchesOnlyTheCharactersGivenWhereverTheyStandInTheByteRange) {
    std::string out = "kept:";
    // Below 64, from 64 to 127, and a byte past ASCII; every other byte passes unchanged.
    AppendReplacing(out,
                    "a&b\\c\xc3\xa9"
                    "d\x7f@&",
                    {{'&', "&amp;"}, {'\\', "\\\\"}, {'\xc3', "<C3>"}});
    EXPECT_EQ(out,
              "kept:a&amp;b\\\\c<C3>\xa9"
              "d\x7f@&amp;");
    std::string plain;
    AppendReplacing(plain, "\xc3\xa9 & \x01", {{'&', "+"}});
    EXPECT_EQ(plain, "\xc3\xa9 + \x01");
    std::string none;
    AppendReplacing(none, "", {{'&', "+"}});
    EXPECT_EQ(none, "");
}

}  // namespace
}  // namespace reuseblocks::tool
