// SPDX-License-Identifier: MIT
// Arrays that grow from the ordinary heap onto huge pages and back keep every element, and each
// is given back the way it was taken (the sanitizers' builds check the pairing).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/huge_page_allocator.h"

namespace platform = reuseblocks::detail::platform;

namespace {

TEST(HugePageAllocator, AnArrayGrowsOntoHugePagesWithEveryElement) {
    constexpr std::size_t kCount = 3 * platform::kHugePageBytes / sizeof(std::size_t) + 5;
    platform::HugePageVector<std::size_t> numbers;
    for (std::size_t i = 0; i < kCount; ++i) numbers.push_back(i * 7);
    ASSERT_EQ(numbers.size(), kCount);
    for (std::size_t i = 0; i < kCount; ++i) ASSERT_EQ(numbers[i], i * 7) << i;
    // Large enough for huge pages: it starts on one's boundary.
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(numbers.data()) % platform::kHugePageBytes, 0u);

    // Copied, moved, and cut back below a huge page.
    platform::HugePageVector<std::size_t> copy = numbers;
    platform::HugePageVector<std::size_t> moved = std::move(numbers);
    EXPECT_EQ(copy, moved);
    moved.resize(10);
    moved.shrink_to_fit();
    EXPECT_EQ(moved.back(), 63u);
    platform::HugePageVector<std::size_t> empty;
    empty.reserve(0);
    EXPECT_TRUE(empty.empty());
}

// Sizing an unfilled array leaves numbers to be written, but still builds what is given a value,
// and objects whose members say how they start.
TEST(HugePageAllocator, AnUnfilledArrayStillBuildsWhatIsGivenAndObjects) {
    constexpr std::size_t kCount = platform::kHugePageBytes / sizeof(std::size_t) + 3;
    platform::UnfilledHugePageVector<std::size_t> sevens(kCount, 7);
    EXPECT_EQ(sevens.front(), 7u);
    EXPECT_EQ(sevens.back(), 7u);
    platform::UnfilledHugePageVector<std::size_t> written;
    written.resize(kCount);
    for (std::size_t i = 0; i < kCount; ++i) written[i] = i;
    written.resize(kCount / 2);
    EXPECT_EQ(written.back(), kCount / 2 - 1);

    struct Started {
        int value = 5;
    };
    platform::UnfilledHugePageVector<Started> objects(kCount);
    EXPECT_EQ(objects.front().value, 5);
    EXPECT_EQ(objects.back().value, 5);
    objects.emplace_back();
    EXPECT_EQ(objects.back().value, 5);
}

}  // namespace
