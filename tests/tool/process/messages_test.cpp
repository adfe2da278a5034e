// SPDX-License-Identifier: MIT
// What the tool says and what its documents promise: diff's quiet and colored forms, `help
// COMMAND`, the messages of a mistyped command line, each the tool's own, and the example CSV.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;

TEST(ToolMessages, DiffSaysOnlyWhetherOrInColorWhenAsked) {
    TempDir dir;
    const std::string moved = dir / "moved.blocks";
    ASSERT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "XLOC=450", "-o", moved}).status, 0);
    const ToolRun quiet = RunTool({"diff", "-q", kSample, moved});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "Files " + kSample + " and " + moved + " differ\n");
    EXPECT_EQ(RunTool({"diff", "-q", kSample, kSample}).out, "");

    // Not a terminal: auto is plain, as is never; always colors the values that changed.
    const ToolRun plain = RunTool({"diff", kSample, moved});
    EXPECT_EQ(RunTool({"diff", "--color=auto", kSample, moved}).out, plain.out);
    EXPECT_EQ(RunTool({"diff", "--color", "never", kSample, moved}).out, plain.out);
    const ToolRun color = RunTool({"diff", "--color=always", kSample, moved});
    EXPECT_NE(color.out.find("  XLOC: \x1b[31m300\x1b[m -> \x1b[32m450\x1b[m\n"), std::string::npos)
        << color.out;
}

TEST(ToolMessages, WhatCannotBeReadOrWrittenSaysWhy) {
    TempDir dir;
    const auto error = [&](const std::vector<std::string>& args) {
        return RunTool(args, dir.Path()).err;
    };
    EXPECT_EQ(error({"--verison"}),
              "reuseblocks: error: unknown option \"--verison\"; did you mean \"--version\"?\n");
    EXPECT_EQ(error({"show", kSample, "/TOP/PSU"}), "reuseblocks: error: " + kSample +
                                                        " has no block \"/TOP/PSU\"; did you mean "
                                                        "\"/TOP/PSU1\"?\n");
    EXPECT_NE(error({"import", dir.Path().string(), "--format", "csv", "-o", "-"})
                  .find(": error: cannot read it: it is a directory\n"),
              std::string::npos);
    EXPECT_NE(error({"set", kSample, "--from", "nope.csv", "-o", "-"})
                  .find("nope.csv: error: cannot open it: No such file or directory\n"),
              std::string::npos);
    EXPECT_EQ(error({"format", kSample, "--app", "a\nb", "-o", "-"}),
              "reuseblocks: error: cannot write to standard output: the application name (--app) "
              "holds a line break, which would end the header line early\n");
}

// The three sides are read side by side; what cannot be opened is still named in their order,
// and CURRENT is left as it was. A merge of readable sides takes the other side's change.
TEST(ToolMessages, MergeFileNamesTheFirstSideItCannotOpen) {
    TempDir dir;
    const std::string current = dir / "current.blocks";
    const std::string other = dir / "other.blocks";
    WriteText(current, ReadText(kSample));
    const ToolRun missing =
        RunTool({"merge-file", current, dir / "no-base.blocks", dir / "no-other.blocks"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("no-base.blocks"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find("no-other.blocks"), std::string::npos) << missing.err;
    EXPECT_EQ(ReadText(current), ReadText(kSample));

    ASSERT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "XLOC=450", "-o", other}).status, 0);
    const ToolRun merged = RunTool({"merge-file", current, kSample, other});
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(ReadText(current), ReadText(other));
}

TEST(ToolMessages, TheExampleCsvIsOneImportReads) {
    TempDir dir;
    const std::string csv = (std::filesystem::path(kSample).parent_path() / "leds.csv").string();
    const ToolRun run = RunTool({"import", csv, "-o", "-"}, dir.Path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("/TOP/LED/D2 $REUSE/indicators/led_0603 Primitive Unplaced 90 50 "),
              std::string::npos)
        << run.out;
}

TEST(ToolMessages, HelpCommandIsTheHelpOfTheCommand) {
    EXPECT_EQ(RunTool({"help", "map", "add"}).out, RunTool({"map", "add", "--help"}).out);
    EXPECT_EQ(RunTool({"help"}).out, RunTool({"--help"}).out);
    const ToolRun typo = RunTool({"help", "lsit"});
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err, "reuseblocks: error: unknown command \"lsit\"; did you mean \"list\"?\n");
}

// The lines of `text` after the line `heading`, up to an empty line.
std::vector<std::string> Section(const std::string& text, const std::string& heading) {
    std::istringstream in(text.substr(text.find(heading + "\n") + heading.size() + 1));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line) && !line.empty();) lines.push_back(line);
    return lines;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Every command of the table as --help lists it: "check", ..., "map add", "map remove".
std::vector<std::string> Commands(const std::string& prefix = {}) {
    std::vector<std::string> commands;
    for (const std::string& line :
         Section(RunTool(Words(prefix + " --help")).out, "Subcommands:")) {
        const std::string name =
            prefix + (prefix.empty() ? "" : " ") + line.substr(2, line.find(' ', 2) - 2);
        const std::vector<std::string> below =
            name == "map" ? Commands(name) : std::vector<std::string>{};
        if (name != "help") commands.push_back(name);
        commands.insert(commands.end(), below.begin(), below.end());
    }
    return commands;
}

// The parser's own texts, which name neither the command nor what was meant, and the tool's
// scratch directory.
void ExpectOwnMessage(const std::vector<std::string>& args, const ToolRun& run,
                      bool mayPass = false) {
    if (mayPass && run.status == 0) return;
    static const std::regex kRaw(
        "following arguments? (was|were) not expected|Could not convert|not in \\{|is "
        "required|required but received| excludes |basic_filebuf|reuseblocks-[0-9a-f]{6}");
    EXPECT_NE(run.status, 0) << testing::PrintToString(args);
    EXPECT_FALSE(std::regex_search(run.err, kRaw)) << testing::PrintToString(args) << run.err;
    EXPECT_EQ(run.err.rfind("reuseblocks: error: ", 0) == 0 ||
                  run.err.find(": error: ") != std::string::npos,
              true)
        << testing::PrintToString(args) << run.err;
}

TEST(ToolMessages, EveryCommandSaysWhatIsWrongInItsOwnWords) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    WriteText(board, ReadText(kSample));
    const std::string manual = ReadText(REUSEBLOCKS_MAN_PAGE);
    const std::vector<std::string> commands = Commands();
    ASSERT_GE(commands.size(), 13u);
    for (const std::string& command : commands) {
        std::vector<std::string> base = Words(command);
        const std::string help = RunTool([&] {
                                     auto a = base;
                                     a.push_back("--help");
                                     return a;
                                 }())
                                     .out;
        ExpectOwnMessage(base, RunTool(base, dir.Path()));
        for (const std::string& line : Section(help, "Options:")) {
            const std::vector<std::string> words = Words(line);
            if (words.empty() || words[0][0] != '-') continue;
            const std::string name = words[0].substr(words[0].rfind(',') + 1);
            const bool takesValue =
                words.size() > 1 && std::regex_search(words[1], std::regex("^[A-Z][A-Z_=]+"));
            if (name == "--help") continue;
            const std::string roff = std::regex_replace(name, std::regex("-"), "\\-");
            EXPECT_NE(manual.find(roff), std::string::npos)
                << command << " " << name << " in the man page";
            // Misspelled: one letter left out.
            std::vector<std::string> args = base;
            args.insert(args.end(), {board, name.substr(0, 3) + name.substr(4), "x"});
            const ToolRun typo = RunTool(args, dir.Path());
            ExpectOwnMessage(args, typo);
            EXPECT_NE(typo.err.find("did you mean \"" + name + "\"?"), std::string::npos)
                << typo.err;
            // A bad value, or a value for a flag, then the option with nothing after it.
            args = base;
            args.insert(args.end(),
                        {board, takesValue ? name : name + "=x", takesValue ? "x\nb" : "y"});
            ExpectOwnMessage(args, RunTool(args, dir.Path()), true);
            if (takesValue) {
                args = base;
                args.insert(args.end(), {board, name});
                ExpectOwnMessage(args, RunTool(args, dir.Path()));
            }
        }
        // Too many arguments, for the commands that do not take any number of them.
        base.insert(base.end(),
                    {board, board, board, board, board, board, board, board, board, board});
        ExpectOwnMessage(base, RunTool(base, dir.Path()), true);
    }
}

// A misspelt field gets the same answer from every command that takes field names, and a guess
// reads the same whatever was guessed.
TEST(ToolMessages, EveryCommandGuessesAFieldInOneWording) {
    TempDir dir;
    const std::string csv = dir / "typo.csv";
    WriteText(csv, "ID,XLOCC\n/TOP/A,1\n");
    const std::string guess = "unknown field \"XLOCC\"; did you mean \"XLOC\"?\n";
    const std::string error = "reuseblocks: error: " + guess;
    EXPECT_EQ(RunTool({"list", kSample, "--fields", "XLOCC"}).err, error);
    EXPECT_EQ(RunTool({"list", kSample, "--where", "XLOCC=1"}).err, error);
    EXPECT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "XLOCC=1", "-o", "-"}).err, error);
    EXPECT_EQ(RunTool({"add", kSample, "/TOP/NEW", "XLOCC=1", "-o", "-"}).err, error);
    EXPECT_EQ(RunTool({"plot", kSample, "--highlight", "XLOCC=1", "-o", "-"}).err, error);
    EXPECT_EQ(RunTool({"plot", kSample, "--color-by", "XLOCC", "-o", "-"}).err,
              "reuseblocks: error: --color-by: " + guess);
    EXPECT_NE(RunTool({"import", csv, "-o", "-"}).err.find("typo.csv:1: error: " + guess),
              std::string::npos);
    EXPECT_EQ(RunTool({"show", kSample, "/TOP/PSU"}).err,
              "reuseblocks: error: " + kSample +
                  " has no block \"/TOP/PSU\"; did you mean \"/TOP/PSU1\"?\n");

    // Far from every name: the fields are listed instead, those list derives only where taken.
    const ToolRun where = RunTool({"list", kSample, "--where", "PLACED=1"});
    EXPECT_EQ(where.err,
              "reuseblocks: error: unknown field \"PLACED\"; fields are BLOCK_HIER_NAME BLOCK_PATH "
              "BLOCK_TYPE BLOCK_STATUS XLOC YLOC SIDE ROTATION UNITS INT_XLOC INT_YLOC QOR_STATUS "
              "SYMBOL MAPS\n");
    EXPECT_EQ(RunTool({"list", kSample, "--fields", "PLACED"}).err, where.err);
    EXPECT_EQ(RunTool({"set", kSample, "/TOP/PSU1", "PLACED=1", "-o", "-"}).err,
              where.err.substr(0, where.err.size() - std::string(" SYMBOL MAPS\n").size()) + "\n");
}

}  // namespace
}  // namespace reuseblocks::test
