// SPDX-License-Identifier: MIT
// Edits that would lose blocks are refused, and edits of one file by several processes at once
// take turns instead of losing each other's changes.
#include <gtest/gtest.h>

#include <reuseblocks/reuseblocks.h>

#include <algorithm>

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
    // Nothing is written when nothing changes, so nothing needs refusing.
    const ToolRun same = RunTool({"set", file, "/TOP/B", "XLOC=1"});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(ReadText(file), text);
    EXPECT_EQ(RunTool({"format", file, "-o", dir / "out.blocks"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.blocks"));

    EXPECT_EQ(RunTool({"set", file, "/TOP/B", "XLOC=5", "--force"}).status, 0);
    // The edit leaves the line it did not change as it was, so nothing is lost after all.
    EXPECT_EQ(ReadText(file),
              "(#HASH $R/x Smashed Placed 1 2 TOP 0 mils 1 2 Processed)\n"
              "/TOP/B $R/b Replica Placed 5 2 TOP 0 mils 1 2 Processed \n");
}

// A vertical tab or form feed inside a value, or blanks between closed quotes, read back as
// written: set takes them. At the end of the line's last value the line's trim would take it.
TEST(EditSafety, ValuesThatReadBackAreWrittenAndOnlyThose) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    EXPECT_EQ(RunTool({"set", file, "/TOP/B", "BLOCK_PATH='a b'\vb\fc"}).status, 0);
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(file.c_str()), 0);
    CReuseBlock* block = nullptr;
    ASSERT_EQ(blocks.GetBlock("/TOP/B", block), 1);
    EXPECT_EQ(block->GetProperty(1).GetView(), "'a b'\vb\fc");
    EXPECT_EQ(RunTool({"set", file, "/TOP/B", "QOR_STATUS=Processed\v"}).status, 2);
}

TEST(EditSafety, NoWaitFailsAtOnceWhileAnotherEditHoldsTheLock) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    ToolRun busy;
    {
        const EditLock held(file);
        busy = RunTool({"remove", file, "/TOP/B", "--no-wait"});
    }
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(busy.err, "reuseblocks: error: \"" + file +
                            "\" is being edited by another process (--no-wait)\n");
    EXPECT_EQ(RunTool({"remove", file, "/TOP/B", "--no-wait"}).status, 0);
}

// The lock belongs to the file a command writes over, whatever name leads there and whatever it
// reads: every command that writes over a file someone is editing waits for, or with --no-wait
// refuses, that edit.
TEST(EditSafety, EveryWriteOverAnEditedFileTakesItsLock) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string other = dir / "other.blocks";
    const std::string rows = dir / "rows.csv";
    const std::string otherBlock = "/TOP/O $R/o Replica Placed 3 4 TOP 0 mils 3 4 Processed\n";
    WriteText(file, kBlock);
    WriteText(other, otherBlock);
    WriteText(rows,
              "BLOCK_HIER_NAME,BLOCK_PATH,XLOC,YLOC,SIDE,ROTATION,UNITS,INT_XLOC,INT_YLOC\n"
              "/TOP/I,p,0,0,TOP,0,mils,0,0\n");
    const std::string viaDot = (dir.Path() / "." / "board.blocks").generic_string();
    const std::vector<std::vector<std::string>> writes = {
        {"set", file, "/TOP/B", "XLOC=7", "-o", viaDot},
        {"set", viaDot, "/TOP/B", "XLOC=7", "-o", file},
        {"set", "board.blocks", "/TOP/B", "XLOC=7", "-o", "./board.blocks"},
        {"set", other, "/TOP/O", "XLOC=7", "-o", file},
        {"remove", other, "/TOP/O", "-o", file},
        {"format", other, "-o", file},
        {"merge", "--replace", file, other, "-o", file},
        {"merge", other, other, "--replace", "-o", viaDot},
        {"import", rows, "-o", file},
    };
    std::vector<ToolRun> runs;
    {
        const EditLock held(file);
        for (const auto& args : writes) {
            std::vector<std::string> noWait = args;
            noWait.push_back("--no-wait");
            runs.push_back(RunTool(noWait, dir.Path()));
        }
    }
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(runs[i].status, 1) << testing::PrintToString(writes[i]);
        EXPECT_NE(runs[i].err.find("is being edited by another process (--no-wait)"),
                  std::string::npos)
            << testing::PrintToString(writes[i]) << runs[i].err;
    }
    // merge-file leaves CURRENT as it was, which is its trouble.
    const std::string base = dir / "base.blocks";
    WriteText(base, kBlock);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"merge-file", file, base, other, "--no-wait"},
          std::vector<std::string>{"merge-file", "--resolve", file, "--no-wait"}}) {
        const EditLock held(file);
        const ToolRun busy = RunTool(args);
        EXPECT_EQ(busy.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(busy.err, "reuseblocks: error: \"" + file +
                                "\" is being edited by another process (--no-wait)\n");
    }
    EXPECT_EQ(ReadText(file), kBlock);
    // Free again, each goes through.
    for (const auto& args : writes) {
        std::vector<std::string> noWait = args;
        noWait.push_back("--no-wait");
        EXPECT_EQ(RunTool(noWait, dir.Path()).status, 0) << testing::PrintToString(args);
    }
}

// Which input merge writes over, and so whose text it keeps, is the file, not the name.
TEST(EditSafety, MergeKeepsTheTextOfTheInputItReplacesWhateverItsName) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, "# placed by hand\n" + kBlock);
    WriteText(dir / "new.blocks", "/TOP/N $R/n Replica Placed 5 6 TOP 0 mils 5 6 Processed\n");
    const ToolRun merged =
        RunTool({"merge", "--replace", "./board.blocks", "new.blocks", "-o", file}, dir.Path());
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.err, "");
    EXPECT_EQ(ReadText(file).rfind("# placed by hand\n" + kBlock, 0), 0u) << ReadText(file);
}

TEST(EditSafety, DryRunShowsTheChangeAsDiffDoesAndWritesNothing) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    const ToolRun changes = RunTool({"set", file, "/TOP/B", "XLOC=5", "--dry-run"});
    EXPECT_EQ(changes.status, 1);
    EXPECT_EQ(changes.out,
              "--- " + file + "\n+++ " + file + " (dry run)\nchanged /TOP/B\n  XLOC: 1 -> 5\n");
    EXPECT_EQ(ReadText(file), kBlock);
    EXPECT_EQ(RunTool({"set", file, "/TOP/B", "XLOC=1", "--dry-run"}).status, 0);
    // A failure is trouble, as for diff, and a new file is not made.
    EXPECT_EQ(RunTool({"set", file, "/TOP/NONE", "XLOC=1", "--dry-run"}).status, 2);
    EXPECT_EQ(RunTool({"merge", file, file, "-o", dir / "m.blocks", "--dry-run"}).status, 2);
    EXPECT_EQ(RunTool({"remove", file, "/TOP/B", "-o", dir / "new.blocks", "--dry-run"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "new.blocks"));
}

TEST(EditSafety, FormatSaysFirstThatItDropsTheFilesOwnComments) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, "# placed by hand, ask Ana\n" + kBlock + "  # one more\n");
    const ToolRun edit = RunTool({"format", file});
    EXPECT_EQ(edit.status, 0);
    EXPECT_EQ(edit.err, "reuseblocks: note: " + file +
                            " has 2 comment lines of its own; a written file keeps none, only its "
                            "blocks under a fresh header\n");
    // The header the tool wrote is no comment of the file's own.
    EXPECT_EQ(RunTool({"format", file, "--app", "other"}).err, "");
}

// Text the loader skips would go on meaning nothing after an edit, or go with the line the edit
// rewrites: such a file is refused at the line, and --force edits it anyway.
TEST(EditSafety, TextTheLoaderIgnoresIsRefusedAtItsLine) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string crOnly =
        "/TOP/A $R/a Replica Placed 1 2 TOP 0 mils 1 2 Processed\r"
        "map_block_host /TOP/A 1 L1 1 TOP\r";
    WriteText(file, crOnly);
    const std::vector<std::string> add = {"add",        file,         "/TOP/N",    "BLOCK_PATH=p",
                                          "XLOC=0",     "YLOC=0",     "SIDE=TOP",  "ROTATION=0",
                                          "UNITS=mils", "INT_XLOC=0", "INT_YLOC=0"};
    const ToolRun refused = RunTool(add);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, file +
                               ":1: error: mapping line before the first block definition: the "
                               "loader ignores it; the file's lines end in a carriage return "
                               "alone, which ends no line for the loader\n"
                               "reuseblocks: error: not editing " +
                               file +
                               ": the loader ignores text in it, which an edit would not keep "
                               "meaning anything (--force edits anyway)\n");
    EXPECT_EQ(ReadText(file), crOnly);
    // check says so too, without --strict, and fails.
    const ToolRun check = RunTool({"check", file});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.err, file +
                             ":1: warning: mapping line before the first block definition: the "
                             "loader ignores it; the file's lines end in a carriage return "
                             "alone, which ends no line for the loader\n");
    EXPECT_EQ(check.out,
              file + ": 0 blocks, 0 layer maps, 1 warning (MappingBeforeDefinition 1)\n");
    std::vector<std::string> forced = add;
    forced.push_back("--force");
    EXPECT_EQ(RunTool(forced).status, 0);

    const std::string extra = "/TOP/A $R/a Replica Placed 1 2 TOP 0 mils 1 2 Processed by Ana\n";
    WriteText(file, extra);
    const ToolRun set = RunTool({"set", file, "/TOP/A", "XLOC=5"});
    EXPECT_EQ(set.status, 1);
    EXPECT_EQ(set.err.substr(0, file.size() + 9), file + ":1: error");
    EXPECT_EQ(RunTool({"format", file}).status, 1);
    EXPECT_EQ(ReadText(file), extra);

    // A large file is walked beside its load; what the load rejects is still said first.
    std::string large;
    for (int i = 0; large.size() < (std::size_t{1} << 20); ++i) {
        large +=
            "/TOP/B" + std::to_string(i) + " $R/a Replica Placed 1 2 TOP 0 mils 1 2 Processed\n";
    }
    const unsigned long extraLine =
        static_cast<unsigned long>(std::count(large.begin(), large.end(), '\n') + 1);
    large += extra;
    WriteText(file, large);
    const ToolRun refusedLarge = RunTool({"set", file, "/TOP/B0", "XLOC=5"});
    EXPECT_EQ(refusedLarge.status, 1);
    EXPECT_EQ(refusedLarge.err.substr(0, refusedLarge.err.find(": error")),
              file + ":" + std::to_string(extraLine));
    EXPECT_EQ(ReadText(file), large);
    WriteText(file, large + "/TOP/SHORT p\n");
    const ToolRun rejected = RunTool({"set", file, "/TOP/B0", "XLOC=5"});
    EXPECT_EQ(rejected.status, 1);
    EXPECT_EQ(rejected.err, file + ":" + std::to_string(extraLine + 1) +
                                ": error: definition line has 2 fields, 12 expected\n");
}

}  // namespace
}  // namespace reuseblocks::test
