// SPDX-License-Identifier: MIT
// `list` as a query: conditions, chosen columns, and JSON that stays byte for byte what it was
// when it was built as one tree, whatever bytes the values hold.
#include <gtest/gtest.h>
#include <reuseblocks/reuseblocks.h>

#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

using Json = nlohmann::ordered_json;

const std::string kSample = REUSEBLOCKS_SAMPLE;

// The shape `list --json` has always had, built the way it used to be built.
Json BlockTree(CReuseBlock& block) {
    static const char* const kFields[] = {
        "BLOCK_HIER_NAME", "BLOCK_PATH", "BLOCK_TYPE", "BLOCK_STATUS", "XLOC",      "YLOC", "SIDE",
        "ROTATION",        "UNITS",      "INT_XLOC",   "INT_YLOC",     "QOR_STATUS"};
    static const char* const kColumns[] = {"BLOCK_LAYER_ORDER", "BLOCK_LAYER_NAME", "DESIGN_ORDER",
                                           "DESIGN_LAYER_NAME"};
    Json properties = Json::object();
    for (std::uint32_t i = 0; i < 12; ++i) {
        properties[kFields[i]] = std::string(block.GetProperty(i).GetView());
    }
    Json rows = Json::array();
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        Json columns = Json::object();
        for (std::uint32_t c = 0; c < 4; ++c) {
            columns[kColumns[c]] = std::string(block.GetLayerMap(row, c).GetView());
        }
        rows.push_back(std::move(columns));
    }
    Json tree = Json::object();
    tree["symbol"] = std::string(block.GetBlockSymbolName().GetView());
    tree["properties"] = std::move(properties);
    tree["layer_maps"] = std::move(rows);
    return tree;
}

std::string Dump(const Json& value) {
    return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

TEST(ListQuery, JsonKeepsItsBytesWhateverTheValuesHold) {
    TempDir dir;
    const std::string file = dir / "odd.blocks";
    // Control characters, a backslash, a comma, UTF-8, bytes that are not UTF-8 and a sequence
    // cut short: every path through the escaping.
    WriteText(file,
              "/TOP/A\x01 $R/a\\b\x7f Smashed Placed 1,5 \xe5\x9b\xbe \xff\xfe x\x1f\x08 mils "
              "\xc3 \xe2\x82 Processed\n"
              "map_block_host /TOP/A\x01 1 \xf0\x9f\x98\x80 \x0c\t2 TOP\n"
              "/TOP/B $R/b Replica Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n");
    CReuseBlockFile blocks;
    ASSERT_EQ(blocks.LoadFile(file.c_str()), 0);
    Json expected = Json::array();
    for (POSITION position = blocks.GetStartPosition(); position;) {
        expected.push_back(BlockTree(*blocks.GetNext(position)));
    }

    const ToolRun json = RunTool({"list", "--json", file});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, Dump(expected));

    const ToolRun lines = RunTool({"list", "--format", "jsonl", file});
    ASSERT_EQ(lines.status, 0) << lines.err;
    std::istringstream in(lines.out);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line); ++count) {
        ASSERT_LT(count, expected.size());
        EXPECT_EQ(line, expected[count].dump(-1, ' ', false, Json::error_handler_t::replace));
    }
    EXPECT_EQ(count, expected.size());

    const ToolRun csv = RunTool({"list", file, "--fields", "xloc,ID", "--format", "csv"});
    EXPECT_EQ(csv.out, "XLOC,ID\n\"1,5\",/TOP/A\x01\n0,/TOP/B\n");
    EXPECT_EQ(RunTool({"list", "--json", dir / "none.blocks"}).out, "");

    WriteText(file, "");
    EXPECT_EQ(RunTool({"list", "--json", file}).out, "[]\n");
}

TEST(ListQuery, WhereKeepsTheBlocksThatMeetEveryCondition) {
    const ToolRun csv = RunTool({"list", kSample, "--where", "BLOCK_STATUS!=Placed", "--where",
                                 "side=TOP", "--fields", "ID,MAPS", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "ID,MAPS\n/TOP/PSU2,2\n/TOP/PSU3/LDO1,0\n/TOP/ETH/PHY0,3\n/TOP/SENS/U21,1\n");

    const ToolRun tsv =
        RunTool({"list", kSample, "--where", "SYMBOL=optics", "--where", "MAPS=4", "--format",
                 "tsv", "--no-header", "--fields", "ID", "--fields", "XLOC"});
    EXPECT_EQ(tsv.out, "/TOP/U12/B3\t1200\n/TOP/U12/B4\t2400\n");

    const ToolRun json = RunTool(
        {"list", kSample, "--where", "ID=/TOP/PSU1", "--fields", "ID,MAPS", "--format", "jsonl"});
    EXPECT_EQ(json.out, "{\"ID\":\"/TOP/PSU1\",\"MAPS\":2}\n");
    EXPECT_EQ(RunTool({"list", kSample, "--where", "ID=/TOP/NONE", "--no-header"}).out, "");
}

// What a user copies from the default table is a field name wherever fields are named.
TEST(ListQuery, TheTablesHeadersAreFieldNamesForEveryCommand) {
    const ToolRun table = RunTool({"list", kSample});
    ASSERT_EQ(table.status, 0) << table.err;
    std::istringstream headerLine(table.out.substr(0, table.out.find('\n')));
    const std::vector<std::string> headers = {std::istream_iterator<std::string>(headerLine),
                                              std::istream_iterator<std::string>()};
    ASSERT_EQ(headers.size(), 11u);
    for (const std::string& header : headers) {
        for (const std::string& name :
             {header, std::string(1, static_cast<char>(header[0] + 32)) + header.substr(1)}) {
            const ToolRun column = RunTool({"list", kSample, "--fields", name, "--no-header"});
            EXPECT_EQ(column.status, 0) << name << column.err;
            EXPECT_NE(column.out, "") << name;
            const ToolRun where = RunTool({"list", kSample, "--where", name + "=*", "--no-header"});
            EXPECT_EQ(where.status, 0) << name << where.err;
            EXPECT_EQ(where.out, RunTool({"list", kSample, "--no-header"}).out) << name;
        }
    }

    // An alias and the field it stands for give the same column and the same answer.
    const std::vector<std::pair<std::string, std::string>> aliases = {{"ID", "BLOCK_HIER_NAME"},
                                                                      {"TYPE", "BLOCK_TYPE"},
                                                                      {"STATUS", "BLOCK_STATUS"},
                                                                      {"X", "XLOC"},
                                                                      {"Y", "YLOC"},
                                                                      {"QOR", "QOR_STATUS"}};
    for (const auto& [alias, field] : aliases) {
        EXPECT_EQ(RunTool({"list", kSample, "--fields", alias, "--no-header"}).out,
                  RunTool({"list", kSample, "--fields", field, "--no-header"}).out)
            << alias;
        const std::string value =
            RunTool({"list", kSample, "--where", "ID=/TOP/PSU2", "--fields", field, "--no-header"})
                .out;
        ASSERT_GT(value.size(), 1u) << alias;
        const std::string test = "=" + value.substr(0, value.size() - 1);
        EXPECT_EQ(RunTool({"list", kSample, "--where", alias + test, "--fields", "ID"}).out,
                  RunTool({"list", kSample, "--where", field + test, "--fields", "ID"}).out)
            << alias;
    }

    // set takes the aliases of properties; SYMBOL and MAPS are what list derives, nothing to set.
    const std::vector<std::string> setByAlias = {"TYPE=Replica", "status=Planned", "X=7", "y=8",
                                                 "QOR=Processed"};
    const std::vector<std::string> setByField = {"BLOCK_TYPE=Replica", "BLOCK_STATUS=Planned",
                                                 "XLOC=7", "YLOC=8", "QOR_STATUS=Processed"};
    const auto set = [](const std::vector<std::string>& assignments) {
        std::vector<std::string> args = {"set", kSample, "/TOP/PSU1"};
        args.insert(args.end(), assignments.begin(), assignments.end());
        args.insert(args.end(), {"-o", "-"});
        ToolRun run = RunTool(args);
        // The header's date may move on a second between two runs.
        const std::size_t date = run.out.find("# Date: ");
        if (date != std::string::npos) run.out.erase(date, run.out.find('\n', date) - date);
        return run;
    };
    const ToolRun byAlias = set(setByAlias);
    EXPECT_EQ(byAlias.status, 0) << byAlias.err;
    EXPECT_NE(byAlias.out.find("/TOP/PSU1 $REUSE/power/buck_3v3 Replica Planned 7 8 "),
              std::string::npos)
        << byAlias.out;
    EXPECT_EQ(byAlias.out, set(setByField).out);
    EXPECT_EQ(set({"X=1", "XLOC=2"}).out, set({"XLOC=2"}).out);  // the later one wins, as before
    EXPECT_NE(set({"ID=/TOP/NEW"}).err.find("BLOCK_HIER_NAME is the block ID and cannot be set"),
              std::string::npos);
    for (const std::string derived : {"SYMBOL=x", "MAPS=0"}) {
        const ToolRun refused = set({derived});
        EXPECT_EQ(refused.status, 2) << derived;
        EXPECT_NE(refused.err.find("unknown field"), std::string::npos) << refused.err;
    }
}

}  // namespace
}  // namespace reuseblocks::test

namespace reuseblocks::test {
namespace {

TEST(ListQuery, WhereLiteralTakesEveryCharacterAsItIs) {
    // The sample's path holds backslashes, which --where reads as escapes.
    const std::string path = "BLOCK_PATH=$REUSE\\mcu\\mcu_core";
    EXPECT_EQ(RunTool({"list", kSample, "--where", path, "--fields", "ID"}).out, "ID\n");
    for (const char* option : {"--where-literal", "-F"}) {
        const ToolRun run = RunTool({"list", kSample, option, path, "--fields", "ID"});
        EXPECT_EQ(run.out, "ID\n/TOP/MCU/U1\n") << run.err;
    }
    EXPECT_EQ(RunTool({"list", kSample, "-F", "ID=/TOP/DDR/*", "--fields", "ID"}).out, "ID\n");
    EXPECT_EQ(RunTool({"list", kSample, "-F", "NOPE=1"}).status, 2);
    EXPECT_EQ(RunTool({"list", kSample, "-F", "ID"}).status, 2);
}

TEST(ListQuery, AFieldAfterACommaIsRefusedWithTwoWheres) {
    const ToolRun run = RunTool({"list", kSample, "--where", "BLOCK_STATUS=Placed,SIDE=BOTTOM"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--where \"BLOCK_STATUS=Placed\" --where \"SIDE=BOTTOM\""),
              std::string::npos)
        << run.err;
    // A value holding "=" after a comma, where no field is named, reads as it always has.
    const ToolRun value =
        RunTool({"list", kSample, "--where", "BLOCK_STATUS=Placed,a=b", "--fields", "ID"});
    EXPECT_EQ(value.status, 0) << value.err;
    EXPECT_NE(value.out.find("/TOP/PSU1"), std::string::npos);
}

// The table goes out in pieces as it grows, yet its columns are as wide as their widest cells as
// a terminal shows them, whether those stand in the first rows or in the last.
TEST(ListQuery, ALongTableLinesUpByItsWidestCellsWhereverTheyStand) {
    TempDir dir;
    const std::string file = dir / "long.blocks";
    const int count = 6000;  // many times what goes out in one write
    const auto pad = [](std::string text, std::size_t width) {
        return text.append(width + 2 - text.size(), ' ');
    };
    std::string blocks;
    std::string table = pad("ID", 13) + pad("SYMBOL", 8) + "MAPS\n";
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        const std::string id = last ? "/TOP/LAST\x01" : "/TOP/B" + std::to_string(i);
        const std::string symbol = i == 7 ? "wide\x1b" : "s";
        blocks += id + " $R/" + symbol + " Smashed Placed 1 2 TOP 0 mils 1 2 Processed\n";
        table +=
            pad(last ? "/TOP/LAST\\x01" : id, 13) + pad(i == 7 ? "wide\\x1b" : symbol, 8) + "0\n";
    }
    WriteText(file, blocks);
    const ToolRun run = RunTool({"list", file, "--fields", "ID,SYMBOL,MAPS"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, table);
    const ToolRun rows = RunTool({"list", file, "--fields", "ID,SYMBOL,MAPS", "--no-header"});
    EXPECT_EQ(rows.out, table.substr(table.find('\n') + 1));
}

TEST(ListQuery, SortComparesNumbersAsNumbersAndKeepsFileOrderForTies) {
    TempDir dir;
    const std::string file = dir / "sort.blocks";
    WriteText(file,
              "/A p Smashed Placed 100 0 TOP 0 mils 0 0 Processed\n"
              "/B p Smashed Placed 20 0 BOTTOM 0 mils 0 0 Processed\n"
              "/C p Smashed Placed x 0 TOP 0 mils 0 0 Processed\n"
              "/D p Smashed Placed 3.5 0 TOP 0 mils 0 0 Processed\n"
              "/E p Smashed Placed 20 0 TOP 0 mils 0 0 Processed\n");
    EXPECT_EQ(RunTool({"list", file, "--sort", "XLOC", "--fields", "ID", "--no-header"}).out,
              "/D\n/B\n/E\n/A\n/C\n");
    EXPECT_EQ(RunTool({"list", file, "--sort", "SIDE,X", "--fields", "ID", "--format", "csv"}).out,
              "ID\n/B\n/D\n/E\n/A\n/C\n");

    EXPECT_EQ(RunTool({"list", file, "--count-by", "SIDE"}).out,
              "SIDE    COUNT\nTOP     4\nBOTTOM  1\n");
    EXPECT_EQ(
        RunTool({"list", file, "--count-by", "xloc", "--where", "SIDE=TOP", "--format", "csv"}).out,
        "XLOC,COUNT\n3.5,1\n20,1\n100,1\nx,1\n");
    const Json counts = Json::parse(RunTool({"list", file, "--count-by", "SIDE", "--json"}).out);
    EXPECT_EQ(counts,
              Json::parse(R"([{"SIDE": "TOP", "count": 4}, {"SIDE": "BOTTOM", "count": 1}])"));
    EXPECT_EQ(RunTool({"list", file, "--sort", "XLOCC"}).status, 2);
}

}  // namespace
}  // namespace reuseblocks::test
