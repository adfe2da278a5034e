// SPDX-License-Identifier: MIT
// Edits of one file by several processes at once take turns instead of losing each other's
// changes: two shell loops.
#include <gtest/gtest.h>
#include <reuseblocks/reuseblocks.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kBlock = "/TOP/B $R/b Replica Placed 1 2 TOP 0 mils 1 2 Processed\n";

TEST(EditSafety, ConcurrentEditsTakeTurns) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    // Two loops of adds at once, as two people's scripts might run them.
    const std::string loop =
        "for i in $(seq 1 25); do \"$0\" add \"$1\" /$2$i BLOCK_PATH=p XLOC=0 YLOC=0 SIDE=TOP "
        "ROTATION=0 UNITS=mils INT_XLOC=0 INT_YLOC=0 || echo failed; done";
    const ToolRun both = RunProgram(
        "/bin/sh",
        {"-c", "sh -c '" + loop + "' \"$0\" \"$1\" A & sh -c '" + loop + "' \"$0\" \"$1\" B & wait",
         REUSEBLOCKS_TOOL, file});
    EXPECT_EQ(both.out, "");
    EXPECT_EQ(both.err, "");
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(file.c_str()), 0);
    CStringArray ids;
    blocks.GetBlocksIDs(ids);
    EXPECT_EQ(ids.GetSize(), 51);
}

// Telling a file's own comments from the header a write brings needs no scratch folder: with
// $TMPDIR a file, where no folder can be made, the count is right and the edit goes through.
TEST(EditSafety, CommentCountNeedsNoScratchFolder) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string other = dir / "other.blocks";
    const std::string notAFolder = dir / "tmp";
    WriteText(notAFolder, "");
    WriteText(other, "/TOP/C $R/c Replica Placed 1 2 TOP 0 mils 1 2 Processed\n");
    ASSERT_EQ(RunTool({"format", other}).status, 0);  // the whole header, none of it its own
    WriteText(file, "# placed by hand\n" + kBlock);
    const std::string withTmp = "TMPDIR=\"$0\" exec \"$@\"";
    const ToolRun format =
        RunProgram("/bin/sh", {"-c", withTmp, notAFolder, REUSEBLOCKS_TOOL, "format", file});
    EXPECT_EQ(format.status, 0);
    EXPECT_EQ(format.err, "reuseblocks: note: " + file +
                              " has 1 comment line of its own; a written file keeps none, only "
                              "its blocks under a fresh header\n");
    const ToolRun merge = RunProgram("/bin/sh", {"-c", withTmp, notAFolder, REUSEBLOCKS_TOOL,
                                                 "merge", file, other, "-o", dir / "both.blocks"});
    EXPECT_EQ(merge.status, 0);
    EXPECT_EQ(merge.err, "");
    CReuseBlockFile blocks;
    EXPECT_EQ(blocks.LoadFile((dir / "both.blocks").c_str()), 0);
    EXPECT_EQ(blocks.GetCount(), 2);
}

}  // namespace
}  // namespace reuseblocks::test
