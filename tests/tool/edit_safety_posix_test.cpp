// Edits of one file by several processes at once take turns instead of losing each other's
// changes: shell loops and flock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <reuseblocks/reuseblocks.h>
#include <sys/file.h>
#include <unistd.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kBlock = "/TOP/B $R/b Replica Placed 1 2 TOP 0 mils 1 2 Processed\n";

TEST(EditSafety, ConcurrentEditsTakeTurnsAndNoWaitFailsAtOnce) {
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

    const int fd = ::open(file.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const ToolRun busy = RunTool({"remove", file, "/TOP/B", "--no-wait"});
    ::close(fd);
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(busy.err, "reuseblocks: error: \"" + file +
                            "\" is being edited by another process (--no-wait)\n");
    EXPECT_EQ(RunTool({"remove", file, "/TOP/B", "--no-wait"}).status, 0);
}

}  // namespace
}  // namespace reuseblocks::test
