// SPDX-License-Identifier: MIT
// What only a POSIX system can set up for the tool: a full device, a named pipe, standard input
// from a shell.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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
              "reuseblocks: error: cannot write \"/dev/full\": No space left on device (while "
              "flushing)\n");
}

// A reader that leaves after the first bytes of a long table: the rest cannot be written, and the
// tool says so rather than finishing as if it had been.
TEST(Tool, AListingWhoseReaderLeavesFailsWithTheReason) {
    TempDir dir;
    std::string blocks;
    for (int i = 0; i < 20000; ++i) {
        blocks +=
            "/TOP/B" + std::to_string(i) + " $R/s Smashed Placed 1 2 TOP 0 mils 1 2 Processed\n";
    }
    WriteText(dir / "long.blocks", blocks);
    // SIGPIPE ignored, as many hosts start a program, so that the write fails with EPIPE.
    const ToolRun run = RunProgram(
        "/bin/sh",
        {"-c", "trap '' PIPE; (\"$0\" list long.blocks; echo \"$?\" >&2) | head -c 1 >/dev/null",
         REUSEBLOCKS_TOOL},
        dir.Path());
    EXPECT_EQ(run.err, "reuseblocks: error: cannot write to standard output: Broken pipe\n1\n");
}

TEST(Tool, AFailedWriteSaysWhatTheLibraryReports) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    std::filesystem::copy_file(kSample, board);
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(board.c_str()), 0);
    for (const std::string& target :
         {std::string(dir / "none/out.blocks"), std::string(dir / ""), std::string("/dev/full"),
          std::string("/proc/self/board.blocks"), board + "/inside.blocks"}) {
        const reuseblocks::WriteReport report =
            reuseblocks::WriteFileWithReport(blocks, target.c_str(), "test");
        ASSERT_FALSE(report.Succeeded()) << target;
        EXPECT_NE(report.systemError, 0) << target;
        const ToolRun run = RunTool({"format", board, "-o", target});
        EXPECT_EQ(run.status, 1) << target;
        EXPECT_EQ(run.err, "reuseblocks: error: " + report.message + "\n");
    }
}

// A link loop, a link whose folder is missing, a path longer than the system takes: the tool
// tells the library's reason for a fresh write and for an edit written elsewhere alike, and names
// the path once.
TEST(Tool, AnOutputThatLeadsNowhereSaysWhyOnce) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    WriteText(board, "/TOP/B $R/b Replica Placed 1 2 TOP 0 mils 1 2 Processed\n");
    ASSERT_EQ(::symlink("loop-b", (dir / "loop-a").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a", (dir / "loop-b").c_str()), 0);
    ASSERT_EQ(::symlink("gone/out.blocks", (dir / "dangling").c_str()), 0);
    std::string tooLong = dir / "";
    while (tooLong.size() <= 4096) tooLong += std::string(200, 'a') + "/";
    tooLong += "out.blocks";
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(board.c_str()), 0);
    for (const std::string& target :
         {std::string(dir / "loop-a"), std::string(dir / "dangling"), tooLong}) {
        const reuseblocks::WriteReport report =
            reuseblocks::WriteFileWithReport(blocks, target.c_str(), "test");
        const std::string reason = report.message.substr(report.message.find("\": ") + 3);
        EXPECT_EQ(
            reason,
            std::string(target == tooLong ? std::strerror(ENAMETOOLONG)
                        : target == std::string(dir / "dangling")
                            ? "it links to \"gone/out.blocks\", in a folder that does not exist"
                            : std::strerror(ELOOP)) +
                " (while opening)");
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"format", board, "-o", target},
              {"set", board, "/TOP/B", "BLOCK_STATUS=Unplaced", "-o", target},
              {"plot", board, "-o", target}}) {
            const ToolRun run = RunTool(args);
            EXPECT_EQ(run.status, 1) << args[0];
            EXPECT_TRUE(run.err ==
                        "reuseblocks: error: cannot write \"" + target + "\": " + reason + "\n")
                << args[0] << ": " << run.err.substr(0, 300);
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              4);
}

TEST(Tool, APipeIsReadAsCatReadsItAndOtherDevicesAreRefused) {
    // The writer opens the pipe only once the tool waits on it; what it sends is seen whole,
    // by the strict check's second reading too, and by both sides of a diff.
    TempDir dir;
    const std::string strict = std::string(REUSEBLOCKS_GOLDEN_DIR) + "/strict_white_space.blocks";
    const std::string late =
        "mkfifo pipe || exit 9; { sleep 1; timeout 20 cp \"$1\" pipe; } >/dev/null 2>&1 & "
        "timeout 20 \"$0\" ";
    const ToolRun check = RunProgram(
        "/bin/sh", {"-c", late + "check --strict pipe", REUSEBLOCKS_TOOL, strict}, dir.Path());
    EXPECT_EQ(check.status, 1) << check.err;
    EXPECT_EQ(check.out, "pipe: 2 blocks, 1 layer map, 1 warning (Side 1)\n");
    EXPECT_NE(check.err.find("pipe:5: warning: SIDE"), std::string::npos) << check.err;
    std::filesystem::remove(dir.Path() / "pipe");
    const ToolRun diff = RunProgram(
        "/bin/sh", {"-c", late + "diff --stat \"$1\" pipe", REUSEBLOCKS_TOOL, kSample}, dir.Path());
    EXPECT_EQ(diff.status, 0) << diff.err;

    // Endless devices would fill the memory.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "/dev/zero"},
          {"list", "/dev/zero"},
          {"diff", kSample, "/dev/zero"},
          {"import", "/dev/urandom", "--format", "jsonl", "-o", dir / "x.blocks"}}) {
        std::vector<std::string> bounded = {"20", REUSEBLOCKS_TOOL};
        bounded.insert(bounded.end(), args.begin(), args.end());
        const ToolRun refused = RunProgram("/usr/bin/timeout", bounded);
        EXPECT_EQ(refused.status, args[0] == "diff" ? 2 : 1) << refused.err;
        EXPECT_NE(refused.err.find("is a device, neither a file, a terminal nor a pipe"),
                  std::string::npos)
            << refused.err;
    }
}

TEST(Tool, DiffIntoAFullDeviceIsTroubleAndNamesAreEscaped) {
    TempDir dir;
    const std::string changed = dir / "e\x1b[31m.blocks";
    WriteText(changed, ReadText(kSample).replace(ReadText(kSample).find(" 850 "), 5, " 851 "));
    for (const std::string git : {"", "--git x"}) {
        const std::string files =
            git.empty() ? " \"$1\" \"$2\"" : " \"$1\" 0 100644 \"$2\" 0 100644";
        const ToolRun full =
            RunProgram("/bin/sh", {"-c", "exec \"$0\" diff " + git + files + " > /dev/full",
                                   REUSEBLOCKS_TOOL, kSample, changed});
        EXPECT_EQ(full.status, 2) << git;
    }
    const ToolRun shown = RunTool({"diff", kSample, changed});
    EXPECT_EQ(shown.status, 1);
    EXPECT_NE(shown.out.find("+++ " + dir / "e\\x1b[31m.blocks\n"), std::string::npos) << shown.out;
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

TEST(Tool, ImportFromStandardInputSeesJsonAfterAByteOrderMarkAndStopsAfterSoManyProblems) {
    TempDir dir;
    const ToolRun json = RunProgram("/bin/sh",
                                    {"-c",
                                     "\"$0\" list --json \"$1\" > b.json && "
                                     "{ printf '\\357\\273\\277'; cat b.json; } | "
                                     "\"$0\" import - -o b.blocks && \"$0\" check b.blocks",
                                     REUSEBLOCKS_TOOL, kSample},
                                    dir.Path());
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "b.blocks: 12 blocks, 30 layer maps\n");

    std::string lines;
    for (int line = 0; line < 1500; ++line) lines += "{\"XLOC\":[]}\n";
    WriteText(dir / "bad.jsonl", lines);
    const ToolRun many = RunTool({"import", "bad.jsonl", "-o", "x.blocks"}, dir.Path());
    EXPECT_EQ(many.status, 1);
    EXPECT_EQ(std::count(many.err.begin(), many.err.end(), '\n'), 1002);
    EXPECT_NE(many.err.find("bad.jsonl:500: error"), std::string::npos);
    EXPECT_EQ(many.err.find("bad.jsonl:501:"), std::string::npos);
    EXPECT_NE(many.err.find("bad.jsonl: error: stopped reading after 1000 problems"),
              std::string::npos)
        << many.err.substr(many.err.size() - 300);
}

TEST(Tool, AFileNameWithALineFeedCannotForgeADiagnosticLine) {
    // Each message below is one line: the name's line feed must come out as "\n", or a name
    // could print a line of its own that reads as the tool's.
    TempDir dir;
    const std::string name = "a\nreuseblocks: error: forged.blocks";
    const std::string shown = "a\\nreuseblocks: error: forged.blocks";
    WriteText(dir / name, ReadText(kSample) + "# placed by hand\n");
    const auto lines = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    const auto expectOneLine = [&](const ToolRun& run, const std::string& says) {
        EXPECT_EQ(lines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(shown), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    };
    expectOneLine(RunTool({"list", name, "--where", "ID=/NOPE"}, dir.Path()), " matches --where\n");
    expectOneLine(RunTool({"plot", name, "--highlight", "ID=/NOPE", "-o", "p.svg"}, dir.Path()),
                  " matches --highlight\n");
    expectOneLine(RunTool({"format", name, "-o", "f.blocks"}, dir.Path()),
                  " comment line of its own");
    const ToolRun same = RunTool({"set", name, "/TOP/PSU1", "XLOC=450"}, dir.Path());
    EXPECT_EQ(same.status, 0) << same.err;
    expectOneLine(RunTool({"set", name, "/TOP/PSU1", "XLOC=450"}, dir.Path()),
                  " is unchanged; nothing written\n");

    const std::string updates = "u\nreuseblocks: error: forged.csv";
    WriteText(dir / updates, "ID,XLOC\n/TOP/NOPE,1\n");
    const ToolRun set = RunTool({"set", name, "--from", updates}, dir.Path());
    EXPECT_EQ(set.status, 1);
    EXPECT_EQ(lines(set.err), 2) << set.err;
    EXPECT_NE(set.err.find(shown + " has no block"), std::string::npos) << set.err;
    EXPECT_NE(set.err.find("1 problem in u\\nreuseblocks: error: forged.csv;"), std::string::npos)
        << set.err;

    const std::string merged = "m\nreuseblocks: error: forged.blocks";
    std::filesystem::copy_file(kSample, dir.Path() / merged);
    const ToolRun resolve = RunTool({"merge-file", "--resolve", merged}, dir.Path());
    EXPECT_EQ(lines(resolve.err), 1) << resolve.err;
    EXPECT_NE(resolve.err.find("m\\nreuseblocks: error: forged.blocks has no conflict markers"),
              std::string::npos)
        << resolve.err;
}

TEST(Tool, DiffColorsATerminalUnlessNoColorIsSet) {
    if (RunProgram("/bin/sh", {"-c", "command -v script"}).status != 0) GTEST_SKIP() << "no script";
    TempDir dir;
    const std::string moved = dir / "moved.blocks";
    ASSERT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "XLOC=450", "-o", moved}).status, 0);
    const std::string terminal = "script -qc \"'" + std::string(REUSEBLOCKS_TOOL) + "' diff '" +
                                 kSample + "' '" + moved + "'\" /dev/null";
    EXPECT_NE(RunProgram("/bin/sh", {"-c", terminal}).out.find("\x1b[31m300"), std::string::npos);
    EXPECT_EQ(RunProgram("/bin/sh", {"-c", "NO_COLOR=1 " + terminal}).out.find('\x1b'),
              std::string::npos);
}

}  // namespace
}  // namespace reuseblocks::test
