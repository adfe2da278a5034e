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

// Twenty edits at once of one file, each naming it differently as the file it writes: none may
// be lost, since they all write over the same file.
TEST(EditSafety, ConcurrentEditsWritingOverTheFileByAnotherNameTakeTurns) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    std::string text;
    for (int i = 1; i <= 20; ++i) {
        text +=
            "/TOP/B" + std::to_string(i) + " $R/b Replica Placed 0 0 TOP 0 mils 0 0 Processed\n";
    }
    WriteText(file, text);
    // Odd ones write to ./board.blocks, even ones to its absolute path.
    const std::string edits =
        "for i in $(seq 1 20); do if [ $((i % 2)) = 1 ]; then out=./board.blocks; "
        "else out=\"$PWD/board.blocks\"; fi; "
        "\"$0\" set board.blocks /TOP/B$i XLOC=$i -o \"$out\" || echo failed & done; wait";
    const ToolRun all = RunProgram("/bin/sh", {"-c", edits, REUSEBLOCKS_TOOL}, dir.Path());
    EXPECT_EQ(all.out, "");
    EXPECT_EQ(all.err, "");
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(file.c_str()), 0);
    for (int i = 1; i <= 20; ++i) {
        CReuseBlock* block = nullptr;
        ASSERT_EQ(blocks.GetBlock(("/TOP/B" + std::to_string(i)).c_str(), block), 1);
        EXPECT_EQ(block->GetProperty(4).GetView(), std::to_string(i)) << i;
    }
}

// merge writing over one of its inputs is an edit of that file: it takes turns with the others.
TEST(EditSafety, MergeOverItsOwnInputTakesTurnsWithEdits) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    for (int i = 1; i <= 15; ++i) {
        WriteText(
            dir / ("m" + std::to_string(i) + ".blocks"),
            "/TOP/M" + std::to_string(i) + " $R/m Replica Placed 0 0 TOP 0 mils 0 0 Processed\n");
    }
    const std::string merges =
        "for i in $(seq 1 15); do \"$0\" merge --replace board.blocks m$i.blocks "
        "-o board.blocks || echo failed; done";
    const std::string adds =
        "for i in $(seq 1 15); do \"$0\" add board.blocks /TOP/S$i BLOCK_PATH=p XLOC=0 YLOC=0 "
        "SIDE=TOP ROTATION=0 UNITS=mils INT_XLOC=0 INT_YLOC=0 || echo failed; done";
    const ToolRun both =
        RunProgram("/bin/sh",
                   {"-c", "sh -c '" + merges + "' \"$0\" & sh -c '" + adds + "' \"$0\" & wait",
                    REUSEBLOCKS_TOOL},
                   dir.Path());
    EXPECT_EQ(both.out, "");
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(file.c_str()), 0);
    CStringArray ids;
    blocks.GetBlocksIDs(ids);
    EXPECT_EQ(ids.GetSize(), 31);
}

// Telling a file's own comments from the header a write brings needs no scratch folder, nor does
// output to standard output: with $TMPDIR a file, where no folder can be made, edits go through.
TEST(EditSafety, EditsNeedNoScratchFolder) {
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

    // Output to standard output is made in memory: a whole file (format, merge) and an edit
    // of the file's own text (set) alike.
    const ToolRun formatted = RunProgram(
        "/bin/sh", {"-c", withTmp, notAFolder, REUSEBLOCKS_TOOL, "format", other, "-o", "-"});
    EXPECT_EQ(formatted.status, 0) << formatted.err;
    EXPECT_NE(formatted.out.find("/TOP/C $R/c Replica Placed 1 2 "), std::string::npos);
    const ToolRun edited = RunProgram("/bin/sh", {"-c", withTmp, notAFolder, REUSEBLOCKS_TOOL,
                                                  "set", file, "/TOP/B", "XLOC=7", "-o", "-"});
    EXPECT_EQ(edited.status, 0) << edited.err;
    const std::string left = ReadText(file);
    EXPECT_NE(edited.out.find("/TOP/B $R/b Replica Placed 7 2 "), std::string::npos) << edited.out;
    EXPECT_EQ(left.find(" 7 "), std::string::npos);  // only standard output changed
}

}  // namespace
}  // namespace reuseblocks::test
