// SPDX-License-Identifier: MIT
// The tool through its process: exit statuses, what edits write and what they leave alone, and
// JSON that agrees with the library's own reading of a file.
#include <gtest/gtest.h>
#include <reuseblocks/reuseblocks.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSample = REUSEBLOCKS_SAMPLE;
const char* const kFieldNames[] = {
    "BLOCK_HIER_NAME", "BLOCK_PATH", "BLOCK_TYPE", "BLOCK_STATUS", "XLOC",      "YLOC", "SIDE",
    "ROTATION",        "UNITS",      "INT_XLOC",   "INT_YLOC",     "QOR_STATUS"};
const char* const kColumnNames[] = {"BLOCK_LAYER_ORDER", "BLOCK_LAYER_NAME", "DESIGN_ORDER",
                                    "DESIGN_LAYER_NAME"};

std::vector<std::string> NewBlockArgs(const std::string& file, const std::string& id) {
    return {"add",
            file,
            id,
            "BLOCK_PATH=$REUSE/power/buck_5v0",
            "XLOC=1",
            "YLOC=2",
            "SIDE=TOP",
            "ROTATION=0",
            "UNITS=mils",
            "INT_XLOC=254",
            "INT_YLOC=508"};
}

std::vector<CReuseBlock*> Walk(const CReuseBlockFile& blocks) {
    std::vector<CReuseBlock*> ordered;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        ordered.push_back(blocks.GetNext(position));
    }
    return ordered;
}

TEST(Tool, ExitStatusSaysSuccessRejectedFileOrUsageError) {
    EXPECT_EQ(RunTool({"--version"}).out, "reuseblocks " REUSEBLOCKS_VERSION_STRING "\n");
    EXPECT_EQ(RunTool({"map", "add", "--help"}).status, 0);

    const ToolRun sample = RunTool({"check", "--strict", kSample});
    EXPECT_EQ(sample.status, 0) << sample.err;
    EXPECT_EQ(sample.out, kSample + ": 12 blocks, 30 layer maps\n");

    const ToolRun mixed = RunTool({"check", kSample, "missing.blocks"});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, sample.out) << "files after a rejected one are still checked";
    EXPECT_EQ(RunTool({"list", "missing.blocks"}).status, 1);

    const std::vector<std::vector<std::string>> usage = {
        {},
        {"frobnicate"},
        {"chek", kSample},
        {"map", "ad"},
        {"list", kSample, "--where", "NOPE=1"},
        {"list", kSample, "--fields", "ID,,XLOC"},
        {"list", kSample, "--json", "--format", "csv"},
        {"check"},
        {"list", kSample, "--bogus"},
        {"show", kSample},
        {"map", "remove", kSample, "/TOP/PSU1", "first"},
        {"merge", kSample, kSample},
        {"set", kSample, "/TOP/PSU1"},
    };
    for (const std::vector<std::string>& args : usage) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_FALSE(run.err.empty()) << testing::PrintToString(args);
    }
    EXPECT_EQ(RunTool({"show", kSample, "/TOP/NOPE"}).status, 2);
    EXPECT_EQ(RunTool({"chek", kSample}).err,
              "reuseblocks: error: unknown command \"chek\"; did you mean \"check\"?\n");
    // Whatever a value holds, a message shows it escaped, on one line.
    EXPECT_EQ(RunTool({"show", kSample, "/TOP/\r\x1b[2J\xff"}).err,
              "reuseblocks: error: " + kSample + " has no block \"/TOP/\\r\\x1b[2J\\xff\"\n");
}

TEST(Tool, RefusedOrFailedEditsLeaveTheFileUntouched) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    fs::copy_file(kSample, board);
    const std::string original = ReadText(board);

    const std::vector<std::vector<std::string>> refused = {
        {"set", board, "/TOP/NOPE", "XLOC=1"},
        {"set", board, "/TOP/PSU1", "NOPE=1"},
        {"set", board, "/TOP/PSU1", "XLOC"},
        {"set", board, "/TOP/PSU1", "XLOC=7", "BLOCK_HIER_NAME=/TOP/PSU9"},
        {"set", board, "/TOP/PSU1", "XLOC="},
        {"set", board, "/TOP/PSU1", "SIDE=top side"},
        {"set", board, "/TOP/PSU1", "BLOCK_PATH='x"},
        {"set", board, "/TOP/PSU1", "UNITS=map_block_host"},
        {"set", board, "/TOP/PSU1", "QOR_STATUS=Done)"},
        NewBlockArgs(board, "/TOP/PSU1"),
        NewBlockArgs(board, "#TOP/U5"),
        NewBlockArgs(board, "(TOP/U5"),
        {"add", board, "/TOP/U5", "BLOCK_PATH=$REUSE/x", "XLOC=1"},
        {"remove", board, "/TOP/PSU1", "/TOP/NOPE"},
        {"map", "add", board, "/TOP/PSU1", "3", "SIG", "4", "SIG2)"},
        {"map", "add", board, "/TOP/NOPE", "3", "SIG", "4", "SIG2"},
        {"map", "remove", board, "/TOP/PSU3/LDO1", "0"},
    };
    for (const std::vector<std::string>& args : refused) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.err.rfind("reuseblocks: error: ", 0), 0u) << run.err;
        EXPECT_EQ(ReadText(board), original) << testing::PrintToString(args);
    }

    // The write itself fails: nothing beside the file may be left either.
    const ToolRun noDirectory =
        RunTool({"set", board, "/TOP/PSU1", "XLOC=5", "-o", dir / "none/out.blocks"});
    EXPECT_EQ(noDirectory.status, 1);
    EXPECT_NE(noDirectory.err.find("none/out.blocks\": " + std::string(std::strerror(ENOENT)) +
                                   " (while opening)\n"),
              std::string::npos)
        << noDirectory.err;
    EXPECT_NE(RunTool({"add", board, "/TOP/U5", "BLOCK_HIER_NAME=/TOP/U5"}).err.find("ID argument"),
              std::string::npos);
    EXPECT_EQ(ReadText(board), original);

    // A file that does not load is never written, in place or elsewhere.
    const std::string broken = dir / "broken.blocks";
    const std::string kept = original.substr(0, original.rfind("map_block_host"));
    const std::string brokenText = kept + "map_block_host /TOP/MCU/U1 2 BOTTOM 8\n";
    WriteText(broken, brokenText);
    const ToolRun run = RunTool({"set", broken, "/TOP/MCU/U1", "XLOC=5"});
    EXPECT_EQ(run.status, 1);
    const auto line = std::count(kept.begin(), kept.end(), '\n') + 1;
    EXPECT_EQ(run.err, broken + ":" + std::to_string(line) +
                           ": error: mapping line has 5 fields, 6 expected\n");
    EXPECT_EQ(RunTool({"format", broken, "-o", dir / "out.blocks"}).status, 1);
    EXPECT_EQ(ReadText(broken), brokenText);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

TEST(Tool, EditsAreWrittenBackAndReadBackByTheLibrary) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    fs::copy_file(kSample, board);
    const std::vector<std::vector<std::string>> edits = {
        {"set", board, "/TOP/PSU3/LDO1", "BLOCK_STATUS=Placed", "xloc=640", "--sync-int"},
        NewBlockArgs(board, "/TOP/PSU4"),
        {"map", "add", board, "/TOP/PSU4", "1", "TOP", "1", "TOP"},
        {"map", "remove", board, "/TOP/U12/B3", "1"},
        {"remove", board, "/TOP/PSU1", "/TOP/PSU2", "--app", "placer"},
    };
    for (const std::vector<std::string>& args : edits) {
        const ToolRun run = RunTool(args);
        ASSERT_EQ(run.status, 0) << testing::PrintToString(args) << run.err;
        EXPECT_EQ(run.out, "");
    }
    const std::string written = ReadText(board);  // CR LF line ends on Windows
    EXPECT_TRUE(written.find("\n# Application: placer\n") != std::string::npos ||
                written.find("\n# Application: placer\r\n") != std::string::npos);

    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(board.c_str()), 0);
    const std::vector<CReuseBlock*> ordered = Walk(blocks);
    ASSERT_EQ(ordered.size(), 11u);
    const CReuseBlock& added = *ordered.back();
    EXPECT_EQ(added.GetBlockID(), "/TOP/PSU4");
    EXPECT_EQ(added.GetProperty(2), "Smashed");
    EXPECT_EQ(added.GetProperty(11), "Unprocessed");
    EXPECT_EQ(added.GetProperty(10), "508");
    EXPECT_EQ(added.GetLayerMapCount(), 1u);
    CReuseBlock* block = nullptr;
    ASSERT_EQ(blocks.GetBlock("/TOP/PSU3/LDO1", block), 1);
    EXPECT_EQ(block->GetProperty(3), "Placed");
    EXPECT_EQ(block->GetProperty(4), "640");
    EXPECT_EQ(block->GetProperty(9), "162560");
    ASSERT_EQ(blocks.GetBlock("/TOP/U12/B3", block), 1);
    ASSERT_EQ(block->GetLayerMapCount(), 3u);
    EXPECT_EQ(block->GetLayerMap(1, 1), "PWR");
    EXPECT_EQ(blocks.GetBlock("/TOP/PSU2", block), 0);

    // -o leaves the input alone.
    const std::string before = ReadText(board);
    ASSERT_EQ(RunTool({"set", board, "/TOP/PSU4", "XLOC=9", "-o", dir / "copy.blocks"}).status, 0);
    EXPECT_EQ(ReadText(board), before);
    EXPECT_NE(ReadText(dir / "copy.blocks").find(" 9 2 TOP "), std::string::npos);
}

TEST(Tool, SyncIntMakesEveryInternalLocationAgreeOrNamesTheBlockItCannot) {
    TempDir dir;
    const std::string board = dir / "board.blocks";
    fs::copy_file(std::string(REUSEBLOCKS_GOLDEN_DIR) + "/strict_internal_location.blocks", board);
    ASSERT_EQ(RunTool({"check", "--strict", board}).status, 1);
    ASSERT_EQ(RunTool({"set", board, "--sync-int"}).status, 0);
    EXPECT_EQ(RunTool({"check", "--strict", board}).status, 0);
    const std::string before = ReadText(board);
    const ToolRun run = RunTool({"set", board, "/TOP/U1", "UNITS=furlongs", "--sync-int"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("UNITS \"furlongs\" of block \"/TOP/U1\""), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadText(board), before);
}

TEST(Tool, JsonMatchesWhatTheLibraryReads) {
    const ToolRun list = RunTool({"list", "--json", kSample});
    ASSERT_EQ(list.status, 0) << list.err;
    const json listed = json::parse(list.out);

    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(kSample.c_str()), 0);
    const std::vector<CReuseBlock*> ordered = Walk(blocks);
    ASSERT_EQ(listed.size(), ordered.size());
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const CReuseBlock& block = *ordered[i];
        const json& item = listed[i];
        EXPECT_EQ(item["symbol"], block.GetBlockSymbolName().GetString());
        ASSERT_EQ(item["properties"].size(), 12u);
        for (std::uint32_t index = 0; index < 12; ++index) {
            EXPECT_EQ(item["properties"][kFieldNames[index]], block.GetProperty(index).GetString());
        }
        ASSERT_EQ(item["layer_maps"].size(), block.GetLayerMapCount());
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            for (std::uint32_t column = 0; column < 4; ++column) {
                EXPECT_EQ(item["layer_maps"][row][kColumnNames[column]],
                          block.GetLayerMap(row, column).GetString());
            }
        }
    }
    const ToolRun show = RunTool({"show", "--json", kSample, "/TOP/ETH/PHY0"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(json::parse(show.out), listed[8]);

    TempDir dir;
    WriteText(dir / "short.blocks", "/TOP/U1 $REUSE/x Smashed\n");
    const ToolRun check = RunTool({"check", "--json", kSample, dir / "short.blocks"});
    EXPECT_EQ(check.status, 1);
    const json checked = json::parse(check.out);
    ASSERT_EQ(checked.size(), 2u);
    EXPECT_EQ(checked[0]["result"], 0);
    EXPECT_EQ(checked[0]["blocks"], 12);
    EXPECT_EQ(checked[0]["layer_maps"], 30);
    EXPECT_EQ(checked[0]["ok"], true);
    EXPECT_EQ(checked[1]["ok"], false);
    EXPECT_EQ(checked[1]["result"], -2);
    EXPECT_EQ(checked[1]["result_name"], "DefinitionTooShort");
    EXPECT_EQ(checked[1]["problems"][0]["line"], 1);
    EXPECT_EQ(checked[1]["problems"][0]["code"], "DefinitionTooShort");
    EXPECT_EQ(check.err, "") << "with --json everything goes into the JSON";
}

TEST(Tool, MergeJoinsFilesAndRefusesAnIdFoundTwice) {
    TempDir dir;
    WriteText(dir / "extra.blocks",
              "/TOP/FAN/U40 $REUSE/thermal/fan_ctl Primitive Unplaced 0 0 TOP 0 mils 0 0 "
              "Unprocessed\nmap_block_host /TOP/FAN/U40 1 TOP 1 TOP\n");
    const ToolRun merged =
        RunTool({"merge", kSample, dir / "extra.blocks", "-o", dir / "merged.blocks"});
    ASSERT_EQ(merged.status, 0) << merged.err;
    const ToolRun check = RunTool({"check", "merged.blocks"}, dir.Path());
    EXPECT_EQ(check.out, "merged.blocks: 13 blocks, 31 layer maps\n");

    const ToolRun twice =
        RunTool({"merge", kSample, dir / "merged.blocks", "-o", dir / "x.blocks"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(
        twice.err.find("merged.blocks:43: error: block ID \"/TOP/U12/B3\" is already defined"),
        std::string::npos)
        << twice.err;
    EXPECT_FALSE(fs::exists(dir / "x.blocks"));
}

TEST(Tool, ExampleProgramWritesAFileTheToolAccepts) {
#ifdef REUSEBLOCKS_EDIT_EXAMPLE
    TempDir dir;
    const ToolRun edit = RunProgram(REUSEBLOCKS_EDIT_EXAMPLE, {kSample, dir / "edited.blocks"});
    ASSERT_EQ(edit.status, 0) << edit.err;
    const ToolRun check = RunTool({"check", "--strict", "edited.blocks"}, dir.Path());
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out, "edited.blocks: 12 blocks, 29 layer maps\n");
#else
    GTEST_SKIP() << "examples are not built";
#endif
}

}  // namespace
}  // namespace reuseblocks::test
