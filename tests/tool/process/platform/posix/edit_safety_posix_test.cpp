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

}  // namespace
}  // namespace reuseblocks::test
