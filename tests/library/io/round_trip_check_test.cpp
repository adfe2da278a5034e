// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

using reuseblocks::FindRoundTripProblems;
using reuseblocks::RoundTripProblem;

namespace {

CReuseBlock* CarriableBlock(CReuseBlockFile& blocks, const char* id) {
    CReuseBlock* block = blocks.NewBlock(id);
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        block->SetProperty(index, "v");
    }
    return block;
}

}  // namespace

TEST(RoundTripCheck, NamesEachValueThatWouldNotReadBack) {
    CReuseBlockFile blocks;
    CarriableBlock(blocks, "/TOP/OK");
    CReuseBlock* hash = CarriableBlock(blocks, "#HASH");
    hash->SetProperty(11, "done)");
    CReuseBlock* mapped = CarriableBlock(blocks, "/TOP/M");
    const std::uint32_t row = mapped->NewLayerMap();
    mapped->GetLayerMap(row, 0) = "1";
    mapped->GetLayerMap(row, 1) = "a b'";
    mapped->GetLayerMap(row, 2) = "x\r\ny";
    // column 3 stays empty

    const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].blockID, "#HASH");
    EXPECT_EQ(problems[0].property, 0);
    EXPECT_EQ(problems[0].message, "starts with \"#\"");
    EXPECT_EQ(problems[1].property, 11);
    EXPECT_EQ(problems[1].message, "ends in \")\"");
    EXPECT_EQ(problems[2].row, 0);
    EXPECT_EQ(problems[2].column, 1);
    EXPECT_EQ(problems[2].property, -1);
    EXPECT_EQ(problems[2].message, "holds white space and a quote");
    EXPECT_EQ(problems[3].reasons, reuseblocks::kRoundTripLineBreak);
    EXPECT_EQ(problems[3].message, "holds a line break");
    EXPECT_EQ(problems[4].column, 3);
    EXPECT_EQ(problems[4].message, "is empty");
}
