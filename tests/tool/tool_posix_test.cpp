// SPDX-License-Identifier: MIT
// What only a POSIX system can set up for the tool: a full device and a named pipe.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace reuseblocks::test
