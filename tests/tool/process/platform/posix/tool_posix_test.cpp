// SPDX-License-Identifier: MIT
// What only a POSIX system can set up for the tool: a full device, a named pipe, standard input
// from a shell.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;

TEST(Tool, OutputToAFullDeviceIsAFailure) {
    // Output that cannot be written is a failure, not a success.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", "--json", kSample}, {"check", kSample}}) {
        std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" > /dev/full", REUSEBLOCKS_TOOL};
        shell.insert(shell.end(), args.begin(), args.end());
        const ToolRun full = RunProgram("/bin/sh", shell);
        EXPECT_EQ(full.status, 1) << testing::PrintToString(args);
        EXPECT_EQ(full.err,
                  "reuseblocks: error: cannot write to standard output: No space left on device\n");
    }
    TempDir dir;
    const std::string board = dir / "board.blocks";
    std::filesystem::copy_file(kSample, board);
    const ToolRun full = RunTool({"format", board, "-o", "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err,
              "reuseblocks: error: cannot write \"/dev/full\": No space left on device\n");
}

TEST(Tool, StrictCheckOfAPipeReadsItOnce) {
    // Finding line numbers reads a file twice; a pipe opened again would wait for a writer.
    // The shell holds the pipe open before the tool starts, and the padding outgrows the pipe's
    // buffer, so the shell lets go only after the tool is reading: no race with a late writer.
    TempDir dir;
    const ToolRun run = RunProgram(
        "/bin/sh",
        {"-c",
         "mkfifo pipe && exec 3<>pipe && { timeout 20 \"$0\" check --strict pipe 3>&- & } && "
         "{ cat \"$1\"; yes '#' | head -c 100000; } >&3 && exec 3>&- && wait $!",
         REUSEBLOCKS_TOOL, kSample},
        dir.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "pipe: 12 blocks, 30 layer maps\n");
}

TEST(Tool, PlotReplacesThePictureInOneStepKeepingItsModeAndOtherNames) {
    // A reader of the old picture keeps all of it, as a kill or a full disk midway would leave it.
    TempDir dir;
    std::filesystem::copy_file(kSample, dir.Path() / "board.blocks");
    WriteText(dir / "board.svg", "old picture");
    ASSERT_EQ(::chmod((dir / "board.svg").c_str(), 0640), 0);
    // A second name of the old picture keeps the old picture.
    ASSERT_EQ(::link((dir / "board.svg").c_str(), (dir / "kept.svg").c_str()), 0);
    std::ifstream old(dir / "board.svg", std::ios::binary);
    struct stat before {};
    ASSERT_EQ(::stat((dir / "board.svg").c_str(), &before), 0);
    const ToolRun run = RunTool({"plot", "board.blocks", "-o", "board.svg"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    struct stat after {};
    ASSERT_EQ(::stat((dir / "board.svg").c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old picture");
    EXPECT_EQ(ReadText(dir / "kept.svg"), "old picture");
    EXPECT_EQ(ReadText(dir / "board.svg").rfind("<?xml", 0), 0u);
}

TEST(Tool, CsvOnATerminalShowsCellsEscapedAndInAPipeKeepsTheBytes) {
    if (RunProgram("/bin/sh", {"-c", "command -v script"}).status != 0) GTEST_SKIP() << "no script";
    TempDir dir;
    WriteText(dir / "esc.blocks",
              "/TOP/\x1b]0;x\x07 $R/a Smashed Placed 1 0 TOP 0 mils 0 0 Processed\n");
    const std::string list = "\"$TOOL\" list esc.blocks --format csv --fields ID";
    const std::string tool = "export TOOL=\"$0\"; ";
    const ToolRun terminal = RunProgram(
        "/bin/sh", {"-c", tool + "script -qec '" + list + "' /dev/null", REUSEBLOCKS_TOOL},
        dir.Path());
    EXPECT_EQ(terminal.out, "ID\r\n/TOP/\\x1b]0;x\\x07\r\n");
    const ToolRun pipe = RunProgram("/bin/sh", {"-c", tool + list, REUSEBLOCKS_TOOL}, dir.Path());
    EXPECT_EQ(pipe.out, "ID\n/TOP/\x1b]0;x\x07\n");
}

TEST(Tool, DashIsStandardInputAndOutputNeverAFileName) {
    TempDir dir;
    const ToolRun plot = RunProgram(
        "/bin/sh", {"-c", "exec \"$0\" plot - < \"$1\"", REUSEBLOCKS_TOOL, kSample}, dir.Path());
    EXPECT_EQ(plot.status, 0) << plot.err;
    EXPECT_EQ(plot.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(plot.out.find("&lt;stdin&gt;: 12 blocks"), std::string::npos);
    const ToolRun format = RunProgram(
        "/bin/sh", {"-c", "exec \"$0\" format - < \"$1\"", REUSEBLOCKS_TOOL, kSample}, dir.Path());
    EXPECT_EQ(format.status, 0) << format.err;
    EXPECT_NE(format.out.find("/TOP/MCU/U1"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
}  // namespace reuseblocks::test
