// Edits that would lose blocks are refused, and edits of one file by several processes at once
// take turns instead of losing each other's changes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <reuseblocks/reuseblocks.h>
#include <sys/file.h>
#include <unistd.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kBlock = "/TOP/B $R/b Replica Placed 1 2 TOP 0 mils 1 2 Processed\n";

TEST(EditSafety, ValuesThatWouldNotReadBackAreNotWrittenWithoutForce) {
    TempDir dir;
    const std::string file = dir / "hash.blocks";
    // The loader strips "(" and ")", so this block's ID starts with "#": written back as it is,
    // the line would read as a comment and the block would be gone.
    const std::string text = "(#HASH $R/x Smashed Placed 1 2 TOP 0 mils 1 2 Processed)\n" + kBlock;
    WriteText(file, text);
    const ToolRun refused = RunTool({"set", file, "/TOP/B", "XLOC=5"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "reuseblocks: error: block ID \"#HASH\" starts with \"#\": it would not read back "
              "the same\nreuseblocks: error: not writing \"" +
                  file + "\": 1 value would not read back the same (--force writes anyway)\n");
    EXPECT_EQ(ReadText(file), text);
    EXPECT_EQ(RunTool({"format", file, "-o", dir / "out.blocks"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.blocks"));

    EXPECT_EQ(RunTool({"set", file, "/TOP/B", "XLOC=5", "--force"}).status, 0);
    EXPECT_NE(ReadText(file).find("\n#HASH "), std::string::npos);
}

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
