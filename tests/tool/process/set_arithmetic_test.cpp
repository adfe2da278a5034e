// SPDX-License-Identifier: MIT
// `set FIELD+=N` and `FIELD-=N`, for one block or every block --where selects: exact decimal
// sums in the value's own precision, the rest of the file's text kept, and nothing written when
// any value is not a number.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;

std::string Header() {
    const std::string sample = ReadText(kSample);
    return sample.substr(0, sample.find('\n') + 1);
}

TEST(SetArithmetic, AddsInTheValuesOwnPrecisionAndKeepsTheRestOfTheText) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string text = Header() +
                             "# placement of the power section\n"
                             "/TOP/A p Smashed Placed 12.50 7 BOTTOM 0 mils 0 0 Processed\n"
                             "map_block_host /TOP/A 1 TOP 1 TOP\n"
                             "/TOP/B p Smashed Placed 0.1 -3 TOP 0 mils 0 0 Processed\n"
                             "/TOP/C p Smashed Placed 5 5 BOTTOM 0 mils 0 0 Processed\n";
    WriteText(file, text);
    const ToolRun run =
        RunTool({"set", file, "--where", "SIDE=BOTTOM", "XLOC+=100", "YLOC-=0.5", "--sync-int"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadText(file),
              Header() +
                  "# placement of the power section\n"
                  "/TOP/A p Smashed Placed 112.50 6.5 BOTTOM 0 mils 28575 1651 Processed \n"
                  "map_block_host /TOP/A 1 TOP 1 TOP\n"
                  "/TOP/B p Smashed Placed 0.1 -3 TOP 0 mils 0 0 Processed\n"
                  "/TOP/C p Smashed Placed 105 4.5 BOTTOM 0 mils 26670 1143 Processed \n");

    // The writer ends the lines it writes with a blank; the others keep theirs.
    // One block by ID; decimals added exactly, a sign changed, and the literal -F selection.
    ASSERT_EQ(RunTool({"set", file, "/TOP/B", "XLOC+=0.2", "YLOC+=3"}).status, 0);
    ASSERT_EQ(RunTool({"set", file, "-F", "BLOCK_HIER_NAME=/TOP/B", "YLOC-=1.25"}).status, 0);
    EXPECT_NE(ReadText(file).find("/TOP/B p Smashed Placed 0.3 -1.25 TOP"), std::string::npos)
        << ReadText(file);
}

TEST(SetArithmetic, AValueThatIsNotANumberWritesNothingAndNamesBlockAndField) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string text = Header() +
                             "/TOP/A p Smashed Placed 1 1 TOP 0 mils 0 0 Processed\n"
                             "/TOP/B p Smashed Unplaced - 1 TOP 0 mils 0 0 Processed\n";
    WriteText(file, text);
    const ToolRun run = RunTool({"set", file, "--where", "SIDE=TOP", "XLOC+=1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("XLOC of block \"/TOP/B\" is \"-\", not a number to add to"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadText(file), text);

    for (const char* amount : {"XLOC+=abc", "XLOC+=", "XLOC-=-1", "XLOC+=1e3"}) {
        EXPECT_EQ(RunTool({"set", file, "/TOP/A", amount}).status, 2) << amount;
    }
    // Nothing matched: nothing to write, said on stderr.
    const ToolRun none = RunTool({"set", file, "--where", "SIDE=BOTTOM", "XLOC+=1"});
    EXPECT_EQ(none.status, 0);
    EXPECT_NE(none.err.find("matches --where; nothing written"), std::string::npos);
    EXPECT_EQ(RunTool({"set", file, "--where", "SIDE=TOP"}).status, 2);
    EXPECT_EQ(ReadText(file), text);
}

}  // namespace
}  // namespace reuseblocks::test
