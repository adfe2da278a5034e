// SPDX-License-Identifier: MIT
// What the tool says: diff's quiet and coloured forms, `help COMMAND`, and the messages of a
// mistyped command line, each the tool's own.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;

TEST(ToolMessages, DiffSaysOnlyWhetherOrInColourWhenAsked) {
    TempDir dir;
    const std::string moved = dir / "moved.blocks";
    ASSERT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "XLOC=450", "-o", moved}).status, 0);
    const ToolRun quiet = RunTool({"diff", "-q", kSample, moved});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "Files " + kSample + " and " + moved + " differ\n");
    EXPECT_EQ(RunTool({"diff", "-q", kSample, kSample}).out, "");

    // Not a terminal: auto is plain, as is never; always colours the values that changed.
    const ToolRun plain = RunTool({"diff", kSample, moved});
    EXPECT_EQ(RunTool({"diff", "--color=auto", kSample, moved}).out, plain.out);
    EXPECT_EQ(RunTool({"diff", "--color", "never", kSample, moved}).out, plain.out);
    const ToolRun color = RunTool({"diff", "--color=always", kSample, moved});
    EXPECT_NE(color.out.find("  XLOC: \x1b[31m300\x1b[m -> \x1b[32m450\x1b[m\n"), std::string::npos)
        << color.out;
}

TEST(ToolMessages, HelpCommandIsTheHelpOfTheCommand) {
    EXPECT_EQ(RunTool({"help", "map", "add"}).out, RunTool({"map", "add", "--help"}).out);
    EXPECT_EQ(RunTool({"help"}).out, RunTool({"--help"}).out);
    const ToolRun typo = RunTool({"help", "lsit"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err, "reuseblocks: error: unknown command \"lsit\"; did you mean \"list\"?\n");
}

}  // namespace
}  // namespace reuseblocks::test
