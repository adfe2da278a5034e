// SPDX-License-Identifier: MIT
// Comparing files, bulk import and edits, standard input and output, and git's diff driver: each
// through the tool's process, with pipes made by a real shell.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

namespace fs = std::filesystem;

const std::string kSample = REUSEBLOCKS_SAMPLE;
const std::string kTool = REUSEBLOCKS_TOOL;

// Runs a shell command line in `directory`; "$T" is the tool and "$S" the sample file.
ToolRun Shell(const std::string& script, const fs::path& directory) {
    return RunProgram("/bin/sh", {"-c", "T='" + kTool + "'; S='" + kSample + "'; " + script},
                      directory);
}

std::size_t EntriesIn(const fs::path& directory) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

TEST(ToolBulk, ListJsonImportsBackToAnEqualFileThroughPipes) {
    TempDir dir;
    const ToolRun json = Shell(
        "$T list --json $S | $T import - -o copy.blocks && "
        "$T diff $S copy.blocks",
        dir.Path());
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "");

    // Standard input to standard output, and "-" never names a file.
    const ToolRun piped = Shell(
        "$T format - -o - < $S | $T set - /TOP/PSU1 XLOC=450 | $T diff --stat $S -", dir.Path());
    EXPECT_EQ(piped.status, 1) << piped.err;
    EXPECT_EQ(piped.out,
              "/TOP/PSU1  1 property changed\n"
              "1 block differs: 0 added, 0 removed, 1 changed\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    const ToolRun jsonl = Shell(
        "printf '%s\\n' '{\"ID\": \"/TOP/A\", \"BLOCK_PATH\": \"$R/a\", \"XLOC\": 1, \"YLOC\": "
        "2.5, \"SIDE\": \"TOP\", \"ROTATION\": 0, \"UNITS\": \"mm\", \"INT_XLOC\": 1, "
        "\"INT_YLOC\": 2, \"layer_maps\": [{\"BLOCK_LAYER_ORDER\": \"1\", \"BLOCK_LAYER_NAME\": "
        "\"T\", \"DESIGN_ORDER\": \"1\", \"DESIGN_LAYER_NAME\": \"T\"}]}' | $T import - "
        "-o - | grep /TOP/A",
        dir.Path());
    EXPECT_EQ(jsonl.out,
              "/TOP/A $R/a Smashed Unplaced 1 2.5 TOP 0 mm 1 2 Unprocessed \n"
              "map_block_host /TOP/A 1 T 1 T \n");
}

TEST(ToolBulk, ABatchWithOneBadRowIsRefusedWhole) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    fs::copy_file(kSample, board);
    const std::string original = ReadText(board);

    WriteText(dir / "updates.csv",
              "ID,XLOC,BLOCK_PATH\r\n"
              "/TOP/PSU1,450,\"$REUSE/a,b\"\r\n"
              "/TOP/NOPE,1,x\r\n"
              "/TOP/PSU2,\"7 5\",x\r\n");
    const ToolRun refused = RunTool({"set", "board.blocks", "--from", "updates.csv"}, dir.Path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "updates.csv:3: error: board.blocks has no block \"/TOP/NOPE\"\n"
              "updates.csv:4: error: XLOC value \"7 5\" holds white space, which a blocks file "
              "cannot hold\n"
              "reuseblocks: error: 2 problems in updates.csv; nothing written\n");
    EXPECT_EQ(ReadText(board), original);

    WriteText(dir / "updates.jsonl",
              "{\"ID\": \"/TOP/PSU1\", \"XLOCK\": \"1\"}\n{\"ID\": \"/TOP/PSU1\", \"XLOC\": "
              "\"1\\u00002\"}\n");
    const ToolRun jsonl = RunTool({"set", "board.blocks", "--from", "updates.jsonl"}, dir.Path());
    EXPECT_EQ(jsonl.status, 1);
    EXPECT_NE(jsonl.err.find("updates.jsonl:2: error: XLOC value holds a NUL byte"),
              std::string::npos)
        << jsonl.err;
    EXPECT_EQ(ReadText(board), original);

    // The good rows alone go through, in one write.
    WriteText(dir / "good.csv", "id,xloc,BLOCK_PATH\n/TOP/PSU1,450,\"$REUSE/a,b\"\n");
    ASSERT_EQ(RunTool({"set", "board.blocks", "--from", "good.csv"}, dir.Path()).status, 0);
    EXPECT_EQ(RunTool({"diff", kSample, board}).out,
              "--- " + kSample + "\n+++ " + board +
                  "\nchanged /TOP/PSU1\n  BLOCK_PATH: $REUSE/power/buck_3v3 -> $REUSE/a,b\n"
                  "  XLOC: 300 -> 450\n");

    // import writes nothing either when one record is bad.
    WriteText(dir / "new.csv",
              "ID,BLOCK_PATH,XLOC,YLOC,SIDE,ROTATION,UNITS,INT_XLOC,INT_YLOC\n"
              "/TOP/A,a,1,2,TOP,0,mils,3,4\n/TOP/A,a,1,2,TOP,0,mils,3,4\n");
    const ToolRun twice = RunTool({"import", "new.csv", "-o", "new.blocks"}, dir.Path());
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("new.csv:3: error: block ID \"/TOP/A\" is already defined"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "new.blocks"));
}

TEST(ToolBulk, MergeReplaceKeepsThePlaceOfTheReplacedBlock) {
    TempDir dir;
    WriteText(dir / "later.blocks",
              "/TOP/PSU1 $REUSE/power/buck_5v0 Replica Placed 1 2 TOP 0 mils 3 4 Processed\n");
    const ToolRun merged = Shell(
        "$T merge --replace $S later.blocks -o - | $T list - | sed -n 4p; $T merge $S later.blocks "
        "-o x.blocks",
        dir.Path());
    EXPECT_EQ(merged.status, 1);
    EXPECT_EQ(merged.out.substr(0, 26), "/TOP/PSU1       buck_5v0  ");
    EXPECT_FALSE(fs::exists(dir / "x.blocks"));
}

TEST(ToolBulk, GitDiffAndLogUseTheDiffDriver) {
    if (RunProgram("/bin/sh", {"-c", "command -v git"}).status != 0) GTEST_SKIP() << "no git";
    TempDir dir;
    const ToolRun git = Shell(
        "set -e; export GIT_CONFIG_NOSYSTEM=1 HOME=\"$PWD\"; git init -q .; "
        "git config user.name Test; git config user.email test@example.com; "
        "git config diff.blocks.command \"'$T' diff --git\"; "
        "echo '*.blocks diff=blocks' > .gitattributes; cp \"$S\" board.blocks; "
        "git add .; git commit -qm one; $T set board.blocks /TOP/PSU1 XLOC=450; "
        "git diff; git commit -qam two; git log -p --ext-diff -1 --format=%s",
        dir.Path());
    const std::string change =
        "--- a/board.blocks\n+++ b/board.blocks\nchanged /TOP/PSU1\n  XLOC: 300 -> 450\n";
    EXPECT_EQ(git.status, 0) << git.err;
    EXPECT_EQ(git.out, change + "two\n\n" + change);
}

}  // namespace
}  // namespace reuseblocks::test
