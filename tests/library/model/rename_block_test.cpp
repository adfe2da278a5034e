// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "reuseblocks/reuseblocks.h"

namespace {

std::string Keys(CReuseBlockFile& blocks) {
    std::string keys;
    CString key;
    for (POSITION pos = blocks.GetStartPosition(); pos;) {
        const CReuseBlock* block = blocks.GetNext(pos);
        EXPECT_EQ(blocks.GetBlockKey(block, key), 1);
        keys.append(key.GetView()).append(" ");
    }
    return keys;
}

// Renaming through property 0 leaves the key behind: the block is then found under neither its
// written ID alone nor removable by it. RenameBlock moves both, in place.
TEST(RenameBlockTest, MovesKeyAndIDAndKeepsPlaceAndPointers) {
    CReuseBlockFile blocks;
    CReuseBlock* a = blocks.NewBlock("A");
    blocks.NewBlock("B");
    CReuseBlock* c = blocks.NewBlock("C");
    const std::string longName(100, 'x');

    a->SetProperty(0, "/NEW");
    CString key;
    ASSERT_EQ(blocks.GetBlockKey(a, key), 1);
    EXPECT_EQ(key, "A");
    EXPECT_EQ(blocks.RemoveBlock(a->GetBlockID()), 0);

    ASSERT_EQ(blocks.RenameBlock("A", "/NEW"), 1);
    EXPECT_EQ(Keys(blocks), "/NEW B C ");
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("A", found), 0);
    ASSERT_EQ(blocks.GetBlock("/NEW", found), 1);
    EXPECT_EQ(found, a);

    // Long keys live outside the index's entries; renaming to and from one must not leak or lose.
    ASSERT_EQ(blocks.RenameBlock("C", longName.c_str()), 1);
    EXPECT_EQ(c->GetBlockID(), longName.c_str());
    ASSERT_EQ(blocks.RenameBlock(longName.c_str(), "C2"), 1);
    EXPECT_EQ(Keys(blocks), "/NEW B C2 ");
    EXPECT_EQ(blocks.RenameBlock("/NEW", "/NEW"), 1);

    // Refusals change nothing.
    EXPECT_EQ(blocks.RenameBlock("B", "C2"), 0);
    EXPECT_EQ(blocks.RenameBlock("B", ""), 0);
    EXPECT_EQ(blocks.RenameBlock("B", nullptr), 0);
    EXPECT_EQ(blocks.RenameBlock(nullptr, "D"), 0);
    EXPECT_EQ(blocks.RenameBlock("missing", "D"), 0);
    EXPECT_EQ(Keys(blocks), "/NEW B C2 ");

    // Every key still hashes where lookups and removals find it, after many renames.
    for (int i = 0; i < 200; ++i) blocks.NewBlock(std::to_string(i).c_str());
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(blocks.RenameBlock(std::to_string(i).c_str(), ("r" + std::to_string(i)).c_str()),
                  1);
    for (int i = 0; i < 200; i += 2)
        ASSERT_EQ(blocks.RemoveBlock(("r" + std::to_string(i)).c_str()), 1);
    for (int i = 1; i < 200; i += 2)
        ASSERT_EQ(blocks.GetBlock(("r" + std::to_string(i)).c_str(), found), 1);
    EXPECT_EQ(blocks.GetCount(), 103);

    CReuseBlockFile other;
    EXPECT_EQ(other.GetBlockKey(a, key), 0);
    EXPECT_EQ(blocks.GetBlockKey(nullptr, key), 0);
}

}  // namespace
