// SPDX-License-Identifier: MIT
// JSON and JSON Lines records: blocks as `list --json` prints them come the quick way, and
// everything else must read exactly as the general reader words it, wherever in the input it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/block_records.h"
#include "records/fields.h"
#include "temporary_directory.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {
namespace {

// Each record as "LINE: FIELD=text ... | maps" and each problem as "LINE! message".
std::vector<std::string> Read(const std::string& text, RecordFormat format) {
    const std::filesystem::path dir =
        test::MakeUniqueDirectory(std::filesystem::temp_directory_path(), "json-records-");
    const std::string path = (dir / "input").string();
    std::ofstream(path, std::ios::binary) << text;
    std::vector<std::string> seen;
    std::vector<InputProblem> problems;
    ReadBlockRecords(
        path, format,
        [&](const BlockRecord& record) {
            std::string line = std::to_string(record.line) + ":";
            if (record.id) line += " ID=" + *record.id;
            for (const auto& [index, value] : record.properties) {
                line += " " + std::string(PropertyName(index)) + "=" + value;
            }
            if (record.layerMaps) {
                line += " |";
                for (const auto& row : *record.layerMaps) {
                    for (const std::string& cell : row) line += " " + cell;
                    line += ";";
                }
            }
            seen.push_back(line);
        },
        problems);
    for (const InputProblem& problem : problems) {
        seen.push_back(std::to_string(problem.line) + "! " + problem.message);
    }
    std::filesystem::remove_all(dir);
    return seen;
}

using Lines = std::vector<std::string>;

// One block object of `list --json`, pretty-printed over 10 lines with one layer map, its ID
// "/B<n>".
std::string Block(int n, int maps = 1) {
    std::string text = "  {\n    \"symbol\": \"s\",\n    \"properties\": {\n";
    text += "      \"BLOCK_HIER_NAME\": \"/B" + std::to_string(n) + "\",\n";
    text += "      \"XLOC\": \"" + std::to_string(n) + "\"\n    },\n    \"layer_maps\": [";
    for (int row = 0; row < maps; ++row) {
        text += std::string(row ? "," : "") +
                "\n      {\"BLOCK_LAYER_ORDER\": \"1\", \"BLOCK_LAYER_NAME\": \"TOP\", "
                "\"DESIGN_ORDER\": 2, \"DESIGN_LAYER_NAME\": \"L" +
                std::to_string(row) + "\"}";
    }
    return text + "\n    ]\n  }";
}

std::string Blocks(int count, int maps = 1) {
    std::string text = "[\n";
    for (int n = 0; n < count; ++n) text += (n ? ",\n" : "") + Block(n, maps);
    return text + "\n]\n";
}

std::string Record(int n, int line) {
    return std::to_string(line) + ": ID=/B" + std::to_string(n) + " XLOC=" + std::to_string(n) +
           " | 1 TOP 2 L0;";
}

TEST(JsonRecords, BlocksAcrossEveryReadArriveWholeAndOnceWithTheirLines) {
    // About 3 MB: blocks straddle the reads, and one of 20,000 layer maps is larger than one.
    std::string text = Blocks(9000);
    text.insert(text.size() - 3, ",\n" + Block(9000, 20000));
    const Lines seen = Read(text, RecordFormat::kJson);
    ASSERT_EQ(seen.size(), 9001u);
    for (int n = 0; n < 9000; n += 997) {
        EXPECT_EQ(seen[static_cast<std::size_t>(n)], Record(n, 2 + 10 * n)) << n;
    }
    EXPECT_EQ(seen[9000].substr(0, 26), "90002: ID=/B9000 XLOC=9000");
    EXPECT_EQ(seen[9000].substr(seen[9000].size() - 17), "; 1 TOP 2 L19999;");

    std::string lines;
    for (int n = 0; n < 9000; ++n)
        lines += "{\"BLOCK_HIER_NAME\":\"/B" + std::to_string(n) + "\"}\n";
    const Lines fromLines = Read(lines, RecordFormat::kJsonLines);
    ASSERT_EQ(fromLines.size(), 9000u);
    EXPECT_EQ(fromLines[8999], "9000: ID=/B8999");
}

TEST(JsonRecords, AFaultAfterManyBlocksIsWordedAsAlwaysAndNoBlockComesTwice) {
    const std::string many = Blocks(3000);
    // The general reader reads again from the top: what it last read reaches back into the
    // block before.
    Lines seen = Read(many.substr(0, many.size() - 3) + "\n  x\n]\n", RecordFormat::kJson);
    ASSERT_EQ(seen.size(), 3001u);
    EXPECT_EQ(seen[2999], Record(2999, 2 + 10 * 2999));
    EXPECT_EQ(seen[3000],
              "30002! not valid JSON: syntax error while parsing array - invalid literal; last "
              "read: '\"L0\"}<U+000A>    ]<U+000A>  }<U+000A>  x'; expected ']'");

    // A block of its own fault in the middle: every block still comes once, in order.
    std::string middle = many;
    middle.insert(middle.find("\"BLOCK_HIER_NAME\": \"/B1500\""), "\"XLOCC\": 1, ");
    seen = Read(middle, RecordFormat::kJson);
    ASSERT_EQ(seen.size(), 3001u);
    EXPECT_EQ(seen[1500], "15002: ID=/B1500 XLOC=1500 | 1 TOP 2 L0;");
    EXPECT_EQ(seen[1501], Record(1501, 2 + 10 * 1501));
    EXPECT_EQ(seen[3000], "15002! unknown field \"XLOCC\"; did you mean \"XLOC\"?");

    EXPECT_EQ(Read("[\n" + Block(0) + ",\n]", RecordFormat::kJson),
              (Lines{Record(0, 2),
                     "12! not valid JSON: syntax error while parsing value - unexpected ']'; "
                     "expected '[', '{', or a literal"}));
    EXPECT_EQ(Read(Blocks(1) + "[]", RecordFormat::kJson),
              (Lines{Record(0, 2),
                     "13! not valid JSON: syntax error while parsing value - unexpected '['; "
                     "expected end of input"}));
}

TEST(JsonRecords, RepeatedKeysAreRefusedAtEveryDepth) {
    EXPECT_EQ(Read(R"([{"symbol": "a", "symbol": "b"}])", RecordFormat::kJson),
              (Lines{"1:", "1! symbol is given twice"}));
    EXPECT_EQ(Read("{\"properties\": {}, \"properties\": {}}\n", RecordFormat::kJsonLines),
              (Lines{"1:", "1! properties is given twice"}));
    EXPECT_EQ(Read(R"([{"properties": {"SYMBOL": "a", "SYMBOL": "a", "MAPS": 0, "MAPS": 0}}])",
                   RecordFormat::kJson),
              (Lines{"1:", "1! SYMBOL is given twice", "1! MAPS is given twice"}));
    EXPECT_EQ(
        Read("[{\"symbol\": [[{\"k\": 1,\n\"k\": {\"j\": 1, \"j\": 2}}]]}]", RecordFormat::kJson),
        (Lines{"1:", "2! k is given twice", "2! j is given twice"}));
    EXPECT_EQ(
        Read(R"([{"layer_maps": [{"DESIGN_ORDER": 1, "DESIGN_ORDER": 1}]}])", RecordFormat::kJson),
        (Lines{"1: |", "1! DESIGN_ORDER is given twice",
               "1! a layer map lacks BLOCK_LAYER_ORDER"}));
}

TEST(JsonRecords, AByteOrderMarkIsSkippedOnlyAtTheStart) {
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(Read(mark + Blocks(1), RecordFormat::kJson), (Lines{Record(0, 2)}));
    EXPECT_EQ(
        Read(mark + "{\"ID\": \"/a\"}\n" + mark + "{\"ID\": \"/b\"}", RecordFormat::kJsonLines),
        (Lines{"1: ID=/a", "2: ID=/b"}));
    EXPECT_EQ(Read(mark + mark + "[]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid literal; "
                     "last read: '\xEF\xBB\xBF\xEF'"}));
    EXPECT_EQ(Read("\xEF\xBB[]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid BOM; must be "
                     "0xEF 0xBB 0xBF if given; last read: '\xEF\xBB['"}));
}

TEST(JsonRecords, NumbersKeepTheTextTheyAreWrittenIn) {
    const std::string numbers =
        R"({"XLOC": 1e5, "YLOC": 1.50, "ROTATION": -0.0, "INT_XLOC": 18446744073709551615, )"
        R"("INT_YLOC": -9223372036854775809, "SIDE": 1E+2, "UNITS": -0})";
    const std::string kept =
        "1: XLOC=1e5 YLOC=1.50 ROTATION=-0.0 INT_XLOC=18446744073709551615 "
        "INT_YLOC=-9223372036854775809 SIDE=1E+2 UNITS=-0";
    EXPECT_EQ(Read("[" + numbers + "]", RecordFormat::kJson), (Lines{kept}));
    EXPECT_EQ(Read(numbers, RecordFormat::kJsonLines), (Lines{kept}));
    // The same when a fault elsewhere in the block leaves it to the general reader.
    EXPECT_EQ(
        Read("[{\"XLOC\": -0, \"BLOCK_STATUS\": -0, \"BLOCK_STATUS\": 1}]", RecordFormat::kJson),
        (Lines{"1: XLOC=-0 BLOCK_STATUS=-0", "1! BLOCK_STATUS is given twice"}));
    EXPECT_EQ(Read("{\"MAPS\": -0}", RecordFormat::kJsonLines),
              (Lines{"1:", "1! layer maps can be imported only from JSON (MAPS is -0)"}));
    EXPECT_EQ(Read("[{\"XLOC\": 1e999}]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: number overflow parsing '1e999'"}));
}

TEST(JsonRecords, EscapesDecodeAndBrokenTextIsRefused) {
    EXPECT_EQ(Read(R"([{"BLOCK_PATH": "\u00e9\/\ud83d\ude00\u0041\\"}])", RecordFormat::kJson),
              (Lines{"1: BLOCK_PATH=\xC3\xA9/\xF0\x9F\x98\x80"
                     "A\\"}));
    EXPECT_EQ(Read(R"([{"BLOCK_PATH": "\ud83d"}])", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid string: "
                     "surrogate U+D800..U+DBFF must be followed by U+DC00..U+DFFF; last read: "
                     "'\"\\ud83d\"'"}));
    EXPECT_EQ(Read(R"({"BLOCK_PATH": "\ude00"})", RecordFormat::kJsonLines),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid string: "
                     "surrogate U+DC00..U+DFFF must follow U+D800..U+DBFF; last read: "
                     "'\"\\ude00'"}));
    EXPECT_EQ(Read("[{\"BLOCK_PATH\": \"a\xC3(\"}]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid string: "
                     "ill-formed UTF-8 byte; last read: '\"a\xC3('"}));
    EXPECT_EQ(Read("[{\"BLOCK_PATH\": \"\xED\xA0\x80\"}]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid string: "
                     "ill-formed UTF-8 byte; last read: '\"\xED\xA0'"}));
    EXPECT_EQ(Read("[{\"BLOCK_PATH\": \"a\tb\"}]", RecordFormat::kJson),
              (Lines{"1! not valid JSON: syntax error while parsing value - invalid string: "
                     "control character U+0009 (HT) must be escaped to \\u0009 or \\t; last "
                     "read: '\"a<U+0009>'"}));
    EXPECT_EQ(Read(R"([{"BLOCK_PATH": "a\u0000b"}])", RecordFormat::kJson),
              (Lines{std::string("1: BLOCK_PATH=a\0b", 17),
                     "1! BLOCK_PATH value holds a NUL byte, which a blocks file cannot hold"}));
}

TEST(JsonRecords, RunsOfEveryLengthEndWhereTheyShould) {
    // White space and plain string bytes are passed over sixteen at a time: runs of every length
    // up to three chunks, ended by every kind of byte.
    std::string text = "[";
    Lines expected;
    unsigned long line = 1;
    for (int n = 0; n < 48; ++n) {
        std::string space;
        for (int i = 0; i < n; ++i) {
            space += i % 7 == 3 ? '\n' : i % 5 == 1 ? '\t' : i % 11 == 4 ? '\r' : ' ';
        }
        text += (n ? "," : "") + space;
        line += static_cast<unsigned long>(std::count(space.begin(), space.end(), '\n'));
        const std::string a(static_cast<std::size_t>(n), 'a');
        const std::string b(static_cast<std::size_t>(n % 17), 'b');
        text += "{\"BLOCK_HIER_NAME\":\"/" + a + "\\u0041" + b + "\xC3\xA9" + a + "\"}";
        expected.push_back(std::to_string(line) + ": ID=/" + a + "A" + b + "\xC3\xA9" + a);
    }
    EXPECT_EQ(Read(text + "]", RecordFormat::kJson), expected);

    for (std::size_t at = 0; at < 40; ++at) {
        std::string value(40, 'v');
        value[at] = '\x01';
        const Lines seen = Read("[{\"BLOCK_PATH\": \"" + value + "\"}]", RecordFormat::kJson);
        ASSERT_EQ(seen.size(), 1u) << at;
        EXPECT_EQ(seen[0].find("1! not valid JSON: syntax error while parsing value - invalid "
                               "string: control character U+0001 (SOH)"),
                  0u)
            << at;
    }
}

TEST(JsonRecords, EachRecordHoldsOnlyWhatItsObjectGives) {
    const std::string row = R"({"BLOCK_LAYER_ORDER": "1", "BLOCK_LAYER_NAME": "T", )"
                            R"("DESIGN_ORDER": "2", "DESIGN_LAYER_NAME": "L"})";
    const std::vector<std::string> objects = {
        R"({"ID": "/a", "layer_maps": [)" + row + ", " + row + "]}",
        R"({"ID": "/b", "layer_maps": [)" + row + "]}",
        R"({"ID": "/c"})",
        R"({"ID": "/d", "layer_maps": []})",
        R"({"properties": {"XLOC": "1"}, "layer_maps": [)" + row + "]}",
        "{}",
    };
    const Lines expected = {"1: ID=/a | 1 T 2 L; 1 T 2 L;",
                            "2: ID=/b | 1 T 2 L;",
                            "3: ID=/c",
                            "4: ID=/d |",
                            "5: XLOC=1 | 1 T 2 L;",
                            "6:"};
    std::string array = "[";
    std::string lines;
    for (const std::string& object : objects) {
        array += (array.size() > 1 ? ",\n" : "") + object;
        lines += object + "\n";
    }
    EXPECT_EQ(Read(array + "]", RecordFormat::kJson), expected);
    EXPECT_EQ(Read(lines, RecordFormat::kJsonLines), expected);
}

TEST(JsonRecords, InputsOfSeveralMegabytesReadAsSmallOnesDo) {
    // Past a few MiB the blocks are read on a thread of their own while the sink takes them.
    constexpr int kBlocks = 24000;
    std::string many = Blocks(kBlocks);
    ASSERT_GT(many.size(), std::size_t{5} << 20);
    std::string faulty = many;
    faulty.insert(faulty.find("\"BLOCK_HIER_NAME\": \"/B20000\""), "\"XLOCC\": 1, ");
    Lines seen = Read(faulty, RecordFormat::kJson);
    ASSERT_EQ(seen.size(), kBlocks + 1u);
    for (int n = 0; n < kBlocks; ++n) {
        if (n != 20000) {
            ASSERT_EQ(seen[static_cast<std::size_t>(n)], Record(n, 2 + 10 * n)) << n;
        }
    }
    EXPECT_EQ(seen[20000], "200002: ID=/B20000 XLOC=20000 | 1 TOP 2 L0;");
    EXPECT_EQ(seen[kBlocks], "200002! unknown field \"XLOCC\"; did you mean \"XLOC\"?");

    // The sink's own problems stop the reading at the limit, as on one thread.
    const std::filesystem::path dir =
        test::MakeUniqueDirectory(std::filesystem::temp_directory_path(), "json-records-");
    const std::string path = (dir / "input").string();
    std::ofstream(path, std::ios::binary) << many;
    std::vector<InputProblem> problems;
    std::size_t taken = 0;
    ReadBlockRecords(
        path, RecordFormat::kJson,
        [&](const BlockRecord& record) {
            if (++taken % 2 == 0) problems.push_back({record.line, *record.id});
        },
        problems);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(taken, 2 * kMostProblems);
    ASSERT_EQ(problems.size(), kMostProblems + 1);
    EXPECT_EQ(problems[kMostProblems - 1].message, "/B" + std::to_string(2 * kMostProblems - 1));
    EXPECT_EQ(problems[kMostProblems].message,
              "stopped reading after " + std::to_string(kMostProblems) + " problems");

    // JSON Lines whose quick way gives up on some lines far in, each judged in its turn.
    std::string lines;
    Lines expected;
    for (int n = 0; n < 40000; ++n) {
        const std::string id = "/B" + std::to_string(n);
        if (n == 20000) {
            lines += "{\"ID\": \"" + id + "\",\n";
            continue;
        }
        const std::string field = n == 25000 ? "XLOCC" : "XLOC";
        lines += "{\"ID\": \"" + id + "\", \"" + field + "\": " + std::to_string(n) +
                 ", \"layer_maps\": [{\"BLOCK_LAYER_ORDER\": 1, \"BLOCK_LAYER_NAME\": \"TOP\", "
                 "\"DESIGN_ORDER\": 2, \"DESIGN_LAYER_NAME\": \"L\"}]}\n";
        expected.push_back(std::to_string(n + 1) + ": ID=" + id +
                           (n == 25000 ? "" : " XLOC=" + std::to_string(n)) + " | 1 TOP 2 L;");
    }
    ASSERT_GT(lines.size(), std::size_t{5} << 20);
    // Read lists the records, then the problems.
    expected.push_back(
        "20001! not valid JSON: syntax error while parsing object key - unexpected end of "
        "input; expected string literal");
    expected.push_back("25001! unknown field \"XLOCC\"; did you mean \"XLOC\"?");
    EXPECT_EQ(Read(lines, RecordFormat::kJsonLines), expected);
}

TEST(JsonRecords, InputCutAnywhereIsRefusedAndNestingOfAnyDepthIsSafe) {
    const std::string whole = Blocks(2, 2);
    const std::string end = whole.substr(0, whole.find_last_not_of('\n') + 1);
    for (std::size_t size = 0; size < end.size(); ++size) {
        const Lines seen = Read(whole.substr(0, size), RecordFormat::kJson);
        ASSERT_FALSE(seen.empty()) << size;
        EXPECT_NE(seen.back().find("! "), std::string::npos) << size;
    }
    EXPECT_EQ(Read(end, RecordFormat::kJson).size(), 2u);

    const std::string deep(200000, '[');
    EXPECT_EQ(Read("[{\"symbol\": " + deep + std::string(200000, ']') + "}]", RecordFormat::kJson),
              (Lines{"1:"}));
    EXPECT_EQ(Read("{\"symbol\": " + deep, RecordFormat::kJsonLines),
              (Lines{"1! not valid JSON: syntax error while parsing value - unexpected end of "
                     "input; expected '[', '{', or a literal"}));
}

}  // namespace
}  // namespace reuseblocks::tool
