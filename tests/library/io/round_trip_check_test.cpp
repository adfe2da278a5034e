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

// Property 0 renames a block in written files only; a second line with an ID already read is
// rejected, and nothing after it is read.
TEST(RoundTripCheck, NamesEachBlockWrittenUnderAnEarlierBlocksID) {
    CReuseBlockFile blocks;
    CarriableBlock(blocks, "/B1");
    CarriableBlock(blocks, "/B2")->SetProperty(0, "/B3");  // before the block it collides with
    CarriableBlock(blocks, "/B3");
    CarriableBlock(blocks, "/B4")->SetProperty(0, "/NEW");
    CarriableBlock(blocks, "/B5")->SetProperty(0, "/NEW");
    CarriableBlock(blocks, "/B6")->SetProperty(0, "#NEW");
    CarriableBlock(blocks, "/B7")->SetProperty(0, "#NEW");
    // A swap of names collides with nothing.
    CarriableBlock(blocks, "/S1")->SetProperty(0, "/S2");
    CarriableBlock(blocks, "/S2")->SetProperty(0, "/S1");

    const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].blockID, "/B3");
    EXPECT_EQ(problems[0].property, 0);
    EXPECT_EQ(problems[0].reasons, reuseblocks::kRoundTripRepeatedID);
    EXPECT_EQ(problems[0].message, "repeats an earlier block's ID");
    EXPECT_EQ(problems[1].blockID, "/NEW");
    EXPECT_EQ(problems[2].reasons, reuseblocks::kRoundTripLeadingHash);
    EXPECT_EQ(problems[3].reasons,
              reuseblocks::kRoundTripLeadingHash | reuseblocks::kRoundTripRepeatedID);
    EXPECT_EQ(problems[3].message, "starts with \"#\" and repeats an earlier block's ID");
}
