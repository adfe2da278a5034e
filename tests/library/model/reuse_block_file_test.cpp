// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
