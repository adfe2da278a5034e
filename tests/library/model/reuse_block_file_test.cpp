// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reuseblocks/reuseblocks.h"

namespace {

// The walk and GetBlocksIDs, which must agree, as "id id ...".
std::string Walk(CReuseBlockFile& blocks) {
    std::string walked;
    POSITION pos = blocks.GetStartPosition();
    while (pos) walked.append(blocks.GetNext(pos)->GetBlockID().GetView()).append(" ");
    EXPECT_EQ(blocks.GetNext(pos), nullptr);  // a finished walk stays finished
    CStringArray ids;
    std::string listed;
    if (blocks.GetBlocksIDs(ids)) {
        for (std::ptrdiff_t i = 0; i < ids.GetSize(); ++i)
            listed.append(ids[i].GetView()).append(" ");
    }
    EXPECT_EQ(listed, walked);
    return walked;
}

TEST(ReuseBlockFileTest, EmptyCollection) {
    CReuseBlockFile blocks;
    POSITION pos = blocks.GetStartPosition();
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(blocks.GetNext(pos), nullptr);
    CStringArray ids;
    for (const char* id : {"a", "b", "c"}) ids.Add(id);
    EXPECT_EQ(blocks.GetBlocksIDs(ids), 0);
    ASSERT_EQ(ids.GetSize(), 3);
    EXPECT_EQ(ids[2], "c");
    EXPECT_EQ(blocks.NewBlock(nullptr), nullptr);
    EXPECT_EQ(blocks.RemoveBlock("a"), 0);
    EXPECT_EQ(blocks.RemoveBlock(nullptr), 0);
    EXPECT_EQ(blocks.GetStartPosition(), nullptr);
}

TEST(ReuseBlockFileTest, NamesAreUniqueCaseSensitiveAndMayBeEmpty) {
    CReuseBlockFile blocks;
    CReuseBlock* upper = blocks.NewBlock("B1");
    ASSERT_NE(upper, nullptr);
    upper->SetProperty(1, "path");
    EXPECT_EQ(blocks.NewBlock("B1"), nullptr);
    EXPECT_EQ(upper->GetProperty(1), "path");  // the existing block is untouched
    CReuseBlock* lower = blocks.NewBlock("b1");
    CReuseBlock* empty = blocks.NewBlock("");
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(lower, upper);
    EXPECT_EQ(blocks.NewBlock(""), nullptr);
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("", found), 1);
    EXPECT_EQ(found, empty);
    EXPECT_EQ(blocks.GetBlock("b1", found), 1);
    EXPECT_EQ(found, lower);
    // A failed look-up leaves the caller's pointer as it was.
    EXPECT_EQ(blocks.GetBlock("B2", found), 0);
    EXPECT_EQ(blocks.GetBlock(nullptr, found), 0);
    EXPECT_EQ(found, lower);
    EXPECT_EQ(Walk(blocks), "B1 b1  ");
}

TEST(ReuseBlockFileTest, CountAndRemoveAll) {
    CReuseBlockFile blocks;
    EXPECT_EQ(blocks.GetCount(), 0);
    blocks.RemoveAll();
    for (const char* id : {"/A", "/B", "/C"}) blocks.NewBlock(id)->NewLayerMap();
    EXPECT_EQ(blocks.GetCount(), 3);
    blocks.RemoveBlock("/B");
    EXPECT_EQ(blocks.GetCount(), 2);
    blocks.RemoveAll();
    EXPECT_EQ(blocks.GetCount(), 0);
    EXPECT_EQ(blocks.GetStartPosition(), nullptr);
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("/A", found), 0);
    // The names are free again, and the collection works as a new one.
    ASSERT_NE(blocks.NewBlock("/A"), nullptr);
    blocks.NewBlock("/D")->NewLayerMap();
    EXPECT_EQ(Walk(blocks), "/A /D ");
}

TEST(ReuseBlockFileTest, KeyIsTheCreationNameNotProperty0) {
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("old");
    block->SetProperty(0, "new");
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("new", found), 0);
    EXPECT_EQ(blocks.GetBlock("old", found), 1);
    EXPECT_EQ(found, block);
    EXPECT_EQ(blocks.NewBlock("old"), nullptr);
    ASSERT_NE(blocks.NewBlock("new"), nullptr);  // the name is free as a key
    CStringArray ids;
    ASSERT_EQ(blocks.GetBlocksIDs(ids), 1);
    ASSERT_EQ(ids.GetSize(), 2);
    EXPECT_EQ(ids[0], "old");  // keys, not property 0
    EXPECT_EQ(blocks.RemoveBlock("new"), 1);
    EXPECT_EQ(blocks.GetBlock("old", found), 1);
    EXPECT_EQ(found, block);
}

TEST(ReuseBlockFileTest, WalkOrderIsCreationOrderAndSurvivesRemovals) {
    CReuseBlockFile blocks;
    for (const char* name : {"/B3", "/A1", "/C2", "/B1", "/Z0"})
        blocks.NewBlock(name)->NewLayerMap();
    EXPECT_EQ(Walk(blocks), "/B3 /A1 /C2 /B1 /Z0 ");
    CStringArray ids;
    ids.SetSize(7);
    ids[6] = "stale";
    EXPECT_EQ(blocks.GetBlocksIDs(ids), 1);
    EXPECT_EQ(ids.GetSize(), 5);
    EXPECT_EQ(ids[4], "/Z0");

    EXPECT_EQ(blocks.RemoveBlock("/C2"), 1);
    EXPECT_EQ(blocks.RemoveBlock("/C2"), 0);
    EXPECT_EQ(blocks.RemoveBlock("/B3"), 1);
    EXPECT_EQ(blocks.RemoveBlock("/Z0"), 1);
    EXPECT_EQ(Walk(blocks), "/A1 /B1 ");
    blocks.NewBlock("/C2");
    EXPECT_EQ(Walk(blocks), "/A1 /B1 /C2 ");
    ids.SetSize(1);
    EXPECT_EQ(blocks.GetBlocksIDs(ids), 1);
    EXPECT_EQ(ids.GetSize(), 3);
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("/B3", found), 0);
    EXPECT_EQ(blocks.GetBlock("/C2", found), 1);
    EXPECT_EQ(found->GetLayerMapCount(), 0u);  // a new block, not the removed one
}

// Positions a walk never handed out, and blocks of another collection, name nothing here.
TEST(ReuseBlockFileTest, ForgedPositionsAndForeignBlocksNameNothing) {
    const auto forged = [](std::uintptr_t value) { return reinterpret_cast<POSITION>(value); };
    CReuseBlockFile blocks;
    POSITION position = forged(1);
    EXPECT_EQ(blocks.GetNext(position), nullptr);
    EXPECT_EQ(blocks.RenameBlock("A", "B"), 0);

    CReuseBlockFile other;
    CReuseBlock* foreign = other.NewBlock("A");
    ASSERT_NE(blocks.NewBlock("A"), nullptr);
    ASSERT_NE(blocks.NewBlock("B"), nullptr);
    CString key("kept");
    EXPECT_EQ(blocks.GetBlockKey(foreign, key), 0);  // its ID is held here, by another block
    EXPECT_EQ(key, "kept");
    std::vector<std::uintptr_t> values{3, 1000, UINT32_MAX};
    if (sizeof(std::uintptr_t) > 4) values.push_back(std::uintptr_t{UINT32_MAX} * 2);
    for (const std::uintptr_t value : values) {
        position = forged(value);
        EXPECT_EQ(blocks.GetNext(position), nullptr) << value;
        EXPECT_EQ(position, nullptr) << value;
    }

    // A walk whose next block was removed ends there.
    position = blocks.GetStartPosition();
    ASSERT_EQ(blocks.RemoveBlock("A"), 1);
    EXPECT_EQ(blocks.GetNext(position), nullptr);
    EXPECT_EQ(position, nullptr);

    // Emptied, not new: nothing to find, remove or name.
    ASSERT_EQ(blocks.RemoveBlock("B"), 1);
    EXPECT_EQ(blocks.RemoveBlock("B"), 0);
    EXPECT_EQ(blocks.GetBlockKey(foreign, key), 0);
    EXPECT_EQ(Walk(blocks), "");
}

// Removal closes the gap it leaves in the index, also where a run of keys wraps around the end
// of the table: every block not removed stays findable, under its own name.
TEST(ReuseBlockFileTest, RemovingBlocksInAnyOrderKeepsTheOthersFindable) {
    constexpr std::size_t kCount = 3000;
    const auto name = [](std::size_t i) { return "/B" + std::to_string(i); };
    CReuseBlockFile blocks;
    std::vector<CReuseBlock*> added;
    for (std::size_t i = 0; i < kCount; ++i) {
        added.push_back(blocks.NewBlock(name(i).c_str()));
        ASSERT_NE(added.back(), nullptr);
    }
    std::vector<bool> removed(kCount, false);
    const auto allFindable = [&] {
        for (std::size_t i = 0; i < kCount; ++i) {
            CReuseBlock* found = nullptr;
            const bool held = blocks.GetBlock(name(i).c_str(), found) == 1;
            if (held != !removed[i] || (held && found != added[i])) return false;
        }
        return true;
    };
    for (std::size_t step = 0; step < kCount; ++step) {
        const std::size_t victim = step * 1777 % kCount;  // 1777 is prime: each once
        ASSERT_EQ(blocks.RemoveBlock(name(victim).c_str()), 1) << victim;
        removed[victim] = true;
        if (step % 250 == 0) {
            ASSERT_TRUE(allFindable()) << "after " << step + 1 << " removals";
        }
    }
    EXPECT_EQ(blocks.GetCount(), 0);
    EXPECT_TRUE(allFindable());

    // Small tables filled to their limit (12 keys in 16 slots) wrap runs around their end most.
    for (std::size_t round = 0; round < 500; ++round) {
        constexpr std::size_t kSmall = 12;
        const auto key = [&](std::size_t i) { return name(round * kSmall + i); };
        CReuseBlockFile small;
        for (std::size_t i = 0; i < kSmall; ++i) ASSERT_NE(small.NewBlock(key(i).c_str()), nullptr);
        for (std::size_t step = 0; step < kSmall; ++step) {
            ASSERT_EQ(small.RemoveBlock(key(step * 5 % kSmall).c_str()), 1);  // 5: each once
            for (std::size_t later = step + 1; later < kSmall; ++later) {
                CReuseBlock* found = nullptr;
                ASSERT_EQ(small.GetBlock(key(later * 5 % kSmall).c_str(), found), 1)
                    << "round " << round << ", after " << step + 1 << " removals";
                EXPECT_EQ(found->GetBlockID(), key(later * 5 % kSmall).c_str());
            }
        }
    }
}

// Past about two hundred thousand blocks the index's table is large enough to go on huge pages:
// every block is still found there, and removing half of them keeps the others.
TEST(ReuseBlockFileTest, HundredsOfThousandsOfBlocksAreAllFound) {
    constexpr std::size_t kCount = 200000;
    const auto name = [](std::size_t i) { return "/B" + std::to_string(i); };
    CReuseBlockFile blocks;
    std::vector<CReuseBlock*> added;
    added.reserve(kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
        added.push_back(blocks.NewBlock(name(i).c_str()));
        ASSERT_NE(added.back(), nullptr) << i;
    }
    EXPECT_EQ(blocks.GetCount(), static_cast<int>(kCount));
    for (std::size_t i = 0; i < kCount; i += 2) ASSERT_EQ(blocks.RemoveBlock(name(i).c_str()), 1);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < kCount; ++i) {
        CReuseBlock* found = nullptr;
        const bool held = blocks.GetBlock(name(i).c_str(), found) == 1;
        if (held != (i % 2 == 1) || (held && found != added[i])) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
    POSITION pos = blocks.GetStartPosition();
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(blocks.GetNext(pos), added[1]) << "the walk no longer starts at the first kept";
}

}  // namespace
