// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "inspect/block_diff.h"
#include "inspect/block_query.h"
#include "inspect/file_check.h"
#include "terminal/tool_error.h"
#include "test_support.h"

namespace reuseblocks::tool {
namespace {

void AddRow(CReuseBlock& block, const char* order, const char* name) {
    const std::uint32_t row = block.NewLayerMap();
    block.GetLayerMap(row, 0) = order;
    block.GetLayerMap(row, 1) = name;
    block.GetLayerMap(row, 2) = order;
    block.GetLayerMap(row, 3) = name;
}

TEST(Inspect, AnInsertedLayerMapIsOneAddedRowAndAChangedOneIsPaired) {
    CReuseBlockFile files[2];
    CReuseBlock* before = files[0].NewBlock("/A");
    CReuseBlock* after = files[1].NewBlock("/A");
    for (const char* name : {"TOP", "GND", "BOTTOM"}) AddRow(*before, "1", name);
    for (const char* name : {"TOP", "SIG", "GND", "PWR"}) AddRow(*after, "1", name);
    const std::vector<LayerMapChange> changes = CompareLayerMaps(*before, *after);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, ChangeKind::kAdded);
    EXPECT_EQ(changes[0].newRow, 1);
    EXPECT_EQ(changes[1].kind, ChangeKind::kChanged);
    EXPECT_EQ(changes[1].oldRow, 2);
    EXPECT_EQ(changes[1].newRow, 3);
}

TEST(Inspect, QueriesNameFieldsInAnyCaseAndRefuseUnknownOnes) {
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/TOP/U1");
    block->Init();
    block->SetProperty(kBlockPath, "$REUSE/power/buck");
    const std::vector<QueryField> fields = ParseFields({"id,symbol", "maps,xloc"});
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[1].ValueOf(*block), "buck");
    EXPECT_EQ(fields[2].ValueOf(*block), "0");
    EXPECT_TRUE(Matches(*block, ParseConditions({"ID=/TOP/U1", "BLOCK_STATUS!=Placed"})));
    EXPECT_FALSE(Matches(*block, ParseConditions({"symbol=Buck"})));
    try {
        ParseFields({"SYMBLO"});
        ADD_FAILURE() << "an unknown field was taken";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.Status(), kExitUsage);
        EXPECT_NE(std::string(error.what()).find("did you mean SYMBOL?"), std::string::npos);
    }
}

TEST(Inspect, CheckStopsCollectingProblemsAtTheLimit) {
    ::TempDir folder;
    std::string text = std::string(kFormatLine) + "\n";
    for (std::size_t i = 0; i <= kProblemLimit; ++i) {
        text += "/U" + std::to_string(i) + " p Smashd Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    }
    ::WriteText(folder.File("many.blocks"), text);
    const FileCheck check = CheckFile(folder.File("many.blocks"), true);
    ASSERT_EQ(check.problems.size(), kProblemLimit + 1);
    EXPECT_EQ(check.problems[kProblemLimit - 1].line, kProblemLimit + 1);
    EXPECT_EQ(check.problems.back().code, "ProblemLimit");
}

}  // namespace
}  // namespace reuseblocks::tool
