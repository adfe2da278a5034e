// SPDX-License-Identifier: MIT
// Blocks files in real git: edits on two branches merge, with git's own line merge where the
// changes lie apart and with merge-file as the merge driver block by block; a conflict left in a
// file is named as such by check and by the diff driver.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;
const std::string kTool = REUSEBLOCKS_TOOL;

// A repository holding the sample as board.blocks on branch "main", with the driver configured
// when `driver`; then `script`, with "$T" the tool.
ToolRun InRepository(const TempDir& dir, bool driver, const std::string& script) {
    const std::string setup =
        "set -e; T='" + kTool + "'; export GIT_CONFIG_NOSYSTEM=1 HOME=\"$PWD\"; " +
        "git init -q -b main .; git config user.name Test; git config user.email t@example.com; " +
        "git config diff.blocks.textconv \"'$T' diff --textconv\"; " +
        (driver ? "git config merge.blocks.driver \"'$T' merge-file --name %P %A %O %B\"; "
                  "echo '*.blocks diff=blocks merge=blocks' > .gitattributes; "
                : "echo '*.blocks diff=blocks' > .gitattributes; ") +
        "cp '" + kSample + "' board.blocks; git add .; git commit -qm base; ";
    return RunProgram("/bin/sh", {"-c", setup + script}, dir.Path());
}

TEST(GitMerge, EditsOfBlocksApartMergeWithGitsOwnLineMerge) {
    if (RunProgram("/bin/sh", {"-c", "command -v git"}).status != 0) GTEST_SKIP() << "no git";
    TempDir dir;
    const ToolRun merged = InRepository(
        dir, false,
        "git checkout -qb a; $T set board.blocks /TOP/U12/B3 XLOC=1300; git commit -qam a; "
        "git checkout -q main; $T set board.blocks /TOP/MCU/U1 YLOC=7; git commit -qam b; "
        "git merge -q a -m m >/dev/null; $T list board.blocks --fields ID,XLOC,YLOC --format csv "
        "--where 'ID=/TOP/U12/B3|ID=/TOP/MCU/U1'");
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, "ID,XLOC,YLOC\n/TOP/U12/B3,1300,850\n/TOP/MCU/U1,1800,7\n") << merged.out;
}

TEST(GitMerge, TheDriverMergesNeighboursAndAddedAndRemovedBlocks) {
    if (RunProgram("/bin/sh", {"-c", "command -v git"}).status != 0) GTEST_SKIP() << "no git";
    TempDir dir;
    const ToolRun merged =
        InRepository(dir, true,
                     "git checkout -qb a; $T set board.blocks /TOP/U12/B3 XLOC=1300; "
                     "$T map add board.blocks /TOP/PSU1 3 PWR 5 PWR1; "
                     "$T add board.blocks /TOP/NEW BLOCK_PATH=x XLOC=0 YLOC=0 SIDE=TOP ROTATION=0 "
                     "UNITS=mils INT_XLOC=0 INT_YLOC=0; git commit -qam a; "
                     "git checkout -q main; $T set board.blocks /TOP/U12/B4 XLOC=2500; "
                     "$T remove board.blocks /TOP/PSU2; git commit -qam b; "
                     "git merge -q a -m m >/dev/null; $T check board.blocks; "
                     "$T list board.blocks --fields ID,XLOC,MAPS --format csv --where "
                     "'ID=/TOP/U12/B3|ID=/TOP/U12/B4|ID=/TOP/PSU*|ID=/TOP/NEW'");
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out,
              "board.blocks: 12 blocks, 29 layer "
              "maps\nID,XLOC,MAPS\n/TOP/U12/B3,1300,4\n/TOP/U12/B4,2500,4\n/TOP/PSU1,300,3\n/TOP/"
              "PSU3/LDO1,0,0\n"
              "/TOP/NEW,0,0\n")
        << merged.out;
}

TEST(GitMerge, AFieldChangedDifferentlyConflictsAndCheckAndDiffNameIt) {
    if (RunProgram("/bin/sh", {"-c", "command -v git"}).status != 0) GTEST_SKIP() << "no git";
    TempDir dir;
    const ToolRun merged = InRepository(
        dir, true,
        "git checkout -qb a; $T set board.blocks /TOP/PSU1 XLOC=111; git commit -qam a; "
        "git checkout -q main; $T set board.blocks /TOP/PSU1 XLOC=222; git commit -qam b; "
        "if git merge -q a -m m; then echo merged; fi; $T check board.blocks || true; "
        "git diff HEAD -- board.blocks | grep -v '^index'");
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_NE(merged.err.find("board.blocks:53: conflict: block \"/TOP/PSU1\" XLOC: 222 here, 111 "
                              "in .merge_file_"),
              std::string::npos)
        << merged.err;
    EXPECT_EQ(merged.out.find("merged"), std::string::npos);
    EXPECT_NE(merged.err.find("board.blocks:53: error: unresolved merge conflict: a conflict "
                              "marker git left\nboard.blocks:53: note:"),
              std::string::npos)
        << merged.err;
    EXPECT_NE(merged.out.find("\n+file:53: error: unresolved merge conflict: a conflict marker git "
                              "left\n"),
              std::string::npos)
        << "[" << merged.out << "]";
}

TEST(GitMerge, ResolveMergesTheConflictsGitsLineMergeLeftBlockByBlock) {
    if (RunProgram("/bin/sh", {"-c", "command -v git"}).status != 0) GTEST_SKIP() << "no git";
    // Both branches change the same line: git's line merge stops with markers.
    const std::string edits =
        "git checkout -qb a; $T set board.blocks /TOP/PSU1 XLOC=111; git commit -qam a; "
        "git checkout -q main; $T set board.blocks /TOP/PSU1 YLOC=7; git commit -qam b; "
        "if git merge -q a -m m >/dev/null 2>&1; then echo merged; fi; ";
    const std::string resolve =
        "grep -c '^<<<<<<<' board.blocks; s=0; $T merge-file --resolve board.blocks || s=$?; "
        "echo status=$s; grep -c '^<<<<<<<' board.blocks || true; "
        "$T list board.blocks --fields ID,XLOC,YLOC --format csv --where ID=/TOP/PSU1 || true";
    {
        TempDir dir;
        const ToolRun run =
            InRepository(dir, false, "git config merge.conflictStyle diff3; " + edits + resolve);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "1\nstatus=0\n0\nID,XLOC,YLOC\n/TOP/PSU1,111,7\n") << run.err;
        // Only the conflict's lines changed: the rest of the file is as git left it.
        EXPECT_EQ(RunProgram("/bin/sh", {"-c", "git diff --stat HEAD -- board.blocks | tail -n 1"},
                             dir.Path())
                      .out,
                  " 1 file changed, 1 insertion(+), 1 deletion(-)\n");
    }
    {
        // Without the base, the two sides of the line disagree on two values.
        TempDir dir;
        const ToolRun run = InRepository(dir, false, edits + resolve);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, 11), "1\nstatus=1\n") << run.out;
        EXPECT_NE(run.err.find("board.blocks:"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("conflict: block \"/TOP/PSU1\""), std::string::npos) << run.err;
    }
    {
        TempDir dir;
        WriteText(dir / "open.blocks", "<<<<<<< HEAD\n/TOP/A a b c d 0 0 TOP 0 mils 0 0 x\n");
        const ToolRun open = RunTool({"merge-file", "--resolve", dir / "open.blocks"});
        EXPECT_EQ(open.status, 2);
        EXPECT_NE(open.err.find("open.blocks:1: error: a conflict is not closed"),
                  std::string::npos)
            << open.err;
        EXPECT_EQ(RunTool({"merge-file", "--resolve", dir / "open.blocks", "a", "b", "c"}).status,
                  2);
        EXPECT_EQ(RunTool({"merge-file", dir / "open.blocks"}).status, 2);
        const std::string clean = "/TOP/A a b c d 0 0 TOP 0 mils 0 0 x\n";
        WriteText(dir / "clean.blocks", clean);
        const ToolRun printed = RunTool({"merge-file", "-p", "--resolve", dir / "clean.blocks"});
        EXPECT_EQ(printed.status, 0);
        EXPECT_EQ(printed.out, clean);
    }
}

}  // namespace
}  // namespace reuseblocks::test
