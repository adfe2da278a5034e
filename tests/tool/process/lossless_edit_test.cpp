// SPDX-License-Identifier: MIT
// Every command that edits a blocks file keeps the file's own text: only the lines of what it
// changed are written anew, and an edit that changes nothing writes nothing.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

// Someone else's header, notes, blank lines, parentheses, spacing and CR LF line ends.
const std::string kHeader =
    "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\r\n"
    "# Application: placer 7.2\r\n"
    "# Date: Sun Dec  6 07:32:38 2026\r\n"
    "\r\n"
    "# power: ask Ana before moving\r\n";
const std::string kPsu =
    "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 25400 50800 Processed)\r\n"
    "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n";
const std::string kMcu =
    "\r\n"
    "/TOP/U2 $R/mcu Smashed Unplaced 0 0 TOP 90 mils 0 0 Unprocessed\r\n"
    "# trailing note\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(LosslessEdit, EveryEditingCommandKeepsTheLinesItDidNotChange) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string original = kHeader + kPsu + kMcu;
    const std::string psuLine =
        "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 25400 50800 Processed)\r\n";
    const auto run = [&](const std::vector<std::string>& args) {
        const ToolRun edit = RunTool(args);
        EXPECT_EQ(edit.status, 0) << edit.err;
        EXPECT_EQ(edit.err, "");
        return ReadText(file);
    };

    WriteText(file, original);
    EXPECT_EQ(run({"set", file, "/TOP/U2", "XLOC=5"}),
              Replaced(original, "Unplaced 0 0 TOP 90 mils 0 0 Unprocessed\r\n",
                       "Unplaced 5 0 TOP 90 mils 0 0 Unprocessed \r\n"));

    WriteText(file, original);
    WriteText(dir / "rows.csv", "BLOCK_HIER_NAME,XLOC\n/TOP/PSU1,101\n");
    EXPECT_EQ(run({"set", file, "--from", dir / "rows.csv"}),
              Replaced(original, psuLine,
                       "/TOP/PSU1 $R/psu Replica Placed 101 200 TOP 0 mils 25400 50800 "
                       "Processed \r\n"));

    WriteText(file, original);
    EXPECT_EQ(run({"set", file, "/TOP/U2", "XLOC=10", "--sync-int"}),
              Replaced(original, "Unplaced 0 0 TOP 90 mils 0 0 Unprocessed\r\n",
                       "Unplaced 10 0 TOP 90 mils 2540 0 Unprocessed \r\n"));

    WriteText(file, original);
    EXPECT_EQ(run({"map", "add", file, "/TOP/PSU1", "2", "GND", "2", "GND"}),
              Replaced(original, "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n",
                       "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n"
                       "map_block_host /TOP/PSU1 2 GND 2 GND \r\n"));
    EXPECT_EQ(run({"map", "remove", file, "/TOP/PSU1", "1"}), original);

    WriteText(file, original);
    EXPECT_EQ(run({"remove", file, "/TOP/PSU1"}), Replaced(original, kPsu, ""));

    WriteText(file, original);
    EXPECT_EQ(run({"add", file, "/TOP/NEW", "BLOCK_PATH=$R/x", "XLOC=0", "YLOC=0", "SIDE=TOP",
                   "ROTATION=0", "UNITS=mils", "INT_XLOC=0", "INT_YLOC=0"}),
              Replaced(original, "Unprocessed\r\n",
                       "Unprocessed\r\n/TOP/NEW $R/x Smashed Unplaced 0 0 TOP 0 mils 0 0 "
                       "Unprocessed \r\n"));

    // merge into one of its inputs keeps that input's text; the other's blocks go last.
    WriteText(file, original);
    WriteText(dir / "more.blocks", "# theirs\n/TOP/M m t s 1 1 TOP 0 mils 1 1 q\n");
    const ToolRun merged = RunTool({"merge", file, dir / "more.blocks", "-o", file});
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.err, "reuseblocks: note: " + dir / "more.blocks" +
                              " has 1 comment line of its own; the written file keeps only its "
                              "blocks\n");
    EXPECT_EQ(ReadText(file), Replaced(original, "Unprocessed\r\n",
                                       "Unprocessed\r\n/TOP/M m t s 1 1 TOP 0 mils 1 1 q \r\n"));

    // -o elsewhere and standard output carry the same text. Standard output is compared without
    // its carriage returns: a test on Windows reads it through a text-mode pipe.
    WriteText(file, original);
    const ToolRun out = RunTool({"set", file, "/TOP/U2", "XLOC=5", "-o", "-"});
    EXPECT_EQ(out.status, 0) << out.err;
    const auto withoutReturns = [](std::string text) {
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    };
    EXPECT_EQ(
        withoutReturns(out.out),
        withoutReturns(Replaced(original, "Unplaced 0 0 TOP", "Unplaced 5 0 TOP")
                           .replace(original.find(" Unprocessed\r\n"), 14, " Unprocessed \r\n")));
    EXPECT_EQ(ReadText(file), original);
}

TEST(LosslessEdit, OnlyAnExplicitAppRewritesTheHeaderAndFormatStillWritesAFreshFile) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kHeader + kPsu + kMcu);
    EXPECT_EQ(RunTool({"set", file, "/TOP/U2", "XLOC=5", "--app", "planner"}).status, 0);
    const std::string text = ReadText(file);
    EXPECT_EQ(text.substr(0, 69),
              "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\r\n# Application: planner\r\n# Date:");
    EXPECT_NE(text.find("\r\n\r\n# power: ask Ana before moving\r\n(/TOP/PSU1   $R/psu"),
              std::string::npos);

    const ToolRun formatted = RunTool({"format", file});
    EXPECT_EQ(formatted.status, 0);
    EXPECT_EQ(formatted.err, "reuseblocks: note: " + file +
                                 " has 2 comment lines of its own; a written file keeps none, "
                                 "only its blocks under a fresh header\n");
    EXPECT_EQ(ReadText(file).find("# power"), std::string::npos);
}

// Sets an environment variable the tool inherits, for the life of the object.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) { Set(value); }
    ~ScopedEnvironment() { Set(""); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    void Set(const char* value) {
#ifdef _WIN32
        _putenv_s(m_name, value);
#else
        if (*value) {
            setenv(m_name, value, 1);
        } else {
            unsetenv(m_name);
        }
#endif
    }
    const char* m_name;
};

TEST(LosslessEdit, SourceDateEpochDatesEveryFreshHeaderAndAMalformedOneIsAnError) {
    TempDir dir;
    const std::string sample = REUSEBLOCKS_SAMPLE;
    const std::string csv = (std::filesystem::path(sample).parent_path() / "leds.csv").string();
    WriteText(dir / "board.blocks", kHeader + kPsu + kMcu);
    WriteText(dir / "extra.blocks",
              "/TOP/FAN/U40 $R/fan Primitive Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n");
    const std::vector<std::vector<std::string>> commands = {
        {"format", dir / "board.blocks", "-o", dir / "out.blocks"},
        {"import", csv, "-o", dir / "out.blocks"},
        {"merge", dir / "board.blocks", dir / "extra.blocks", "-o", dir / "out.blocks"},
        {"format", dir / "board.blocks", "-o", "-"},
    };
    const std::string date = "# Date: Thu Jan  1 00:00:00 1970";
    {
        ScopedEnvironment epoch("SOURCE_DATE_EPOCH", "0");
        for (const std::vector<std::string>& command : commands) {
            const ToolRun first = RunTool(command);
            ASSERT_EQ(first.status, 0) << command[0] << ": " << first.err;
            const std::string text =
                command.back() == "-" ? first.out : ReadText(dir / "out.blocks");
            std::filesystem::remove(dir / "out.blocks");
            EXPECT_NE(text.find(date), std::string::npos) << command[0] << ": " << text;
            const ToolRun second = RunTool(command);
            EXPECT_EQ(command.back() == "-" ? second.out : ReadText(dir / "out.blocks"), text)
                << command[0];
        }
    }
    {
        ScopedEnvironment epoch("SOURCE_DATE_EPOCH", "1796538758");
        ASSERT_EQ(RunTool({"set", dir / "board.blocks", "/TOP/U2", "XLOC=5", "--app", "p"}).status,
                  0);
        EXPECT_NE(ReadText(dir / "board.blocks").find("# Date: Sun Dec  6 06:32:38 2026\r\n"),
                  std::string::npos);
    }
    for (const char* malformed : {"soon", " 1", "+1", "1.5", "99999999999999999999"}) {
        ScopedEnvironment epoch("SOURCE_DATE_EPOCH", malformed);
        const ToolRun refused = RunTool({"format", dir / "board.blocks", "-o", dir / "bad.blocks"});
        EXPECT_EQ(refused.status, 2) << malformed;
        EXPECT_NE(refused.err.find("SOURCE_DATE_EPOCH"), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "bad.blocks"));
    }
}

TEST(LosslessEdit, AnEditThatChangesNothingWritesNothing) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    const std::string original = kHeader + kPsu + kMcu;
    WriteText(file, original);
    const auto before = std::filesystem::last_write_time(file);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set", file, "/TOP/PSU1", "XLOC=100"},
          std::vector<std::string>{"set", file, "--sync-int"},
          std::vector<std::string>{"merge", file, file + ".none", "-o", file}}) {
        if (args[0] == "merge") {
            WriteText(file + ".none", "# nothing\n");
        }
        const ToolRun same = RunTool(args);
        EXPECT_EQ(same.status, 0) << same.err;
        EXPECT_NE(same.err.find("reuseblocks: note: " + file + " is unchanged; nothing written\n"),
                  std::string::npos)
            << same.err;
    }
    EXPECT_EQ(ReadText(file), original);
    EXPECT_EQ(std::filesystem::last_write_time(file), before);

    // Unchanged blocks still go where they are sent, and --app still renews the header.
    const std::string copy = dir / "copy.blocks";
    ASSERT_EQ(RunTool({"set", file, "/TOP/PSU1", "XLOC=100", "-o", copy}).status, 0);
    EXPECT_EQ(ReadText(copy), original);
    ScopedEnvironment epoch("SOURCE_DATE_EPOCH", "0");
    ASSERT_EQ(RunTool({"set", copy, "/TOP/PSU1", "XLOC=100", "--app", "planner"}).status, 0);
    EXPECT_EQ(ReadText(copy), Replaced(Replaced(original, "placer 7.2", "planner"),
                                       "Sun Dec  6 07:32:38 2026", "Thu Jan  1 00:00:00 1970"));
    // A value set and set back is no change.
    const ToolRun back = RunTool({"set", file, "/TOP/U2", "XLOC=7", "XLOC=0"});
    EXPECT_NE(back.err.find(" is unchanged; nothing written\n"), std::string::npos) << back.err;
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

}  // namespace
}  // namespace reuseblocks::test
