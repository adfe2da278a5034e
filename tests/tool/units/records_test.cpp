// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "records/block_json.h"
#include "records/block_records.h"
#include "temporary_directory.h"

#include "records/csv_reader.h"
#include "records/fields.h"
#include "records/json_writer.h"

namespace reuseblocks::tool {
namespace {

// A value with every shape the tool writes, and the same value written by the writer.
void Write(JsonWriter& json) {
    json.BeginObject()
        .Key("id")
        .String(
            "/T\x1b\"\\\n\xff\xe2\x82"
            "A")
        .Key("n")
        .Number(-3);
    json.Key("ok").Bool(false).Key("none").Null().Key("empty").BeginObject().EndObject();
    json.Key("rows").BeginArray().BeginArray().EndArray();
    json.BeginObject().Key("\xc3\xa9").Number(std::size_t{7}).EndObject().EndArray();
    json.EndObject();
}

TEST(Records, JsonWriterPrintsWhatNlohmannPrints) {
    const nlohmann::ordered_json value = {
        {"id",
         "/T\x1b\"\\\n\xff\xe2\x82"
         "A"},
        {"n", -3},
        {"ok", false},
        {"none", nullptr},
        {"empty", nlohmann::ordered_json::object()},
        {"rows", {nlohmann::ordered_json::array(), {{"\xc3\xa9", 7}}}}};
    const auto replace = nlohmann::ordered_json::error_handler_t::replace;
    for (const auto layout : {JsonWriter::Layout::kPretty, JsonWriter::Layout::kCompact}) {
        std::string out;
        JsonWriter json(out, layout);
        Write(json);
        const int indent = layout == JsonWriter::Layout::kPretty ? 2 : -1;
        EXPECT_EQ(out, value.dump(indent, ' ', false, replace));
    }
}

TEST(Records, JsonOfOneHugeBlockGoesOutInPiecesAsItIsWritten) {
    // A block's layer maps can be millions: the writer must hand its text on as it goes, in the
    // very bytes it writes when it keeps everything.
    CReuseBlockFile blocks;
    CReuseBlock& block = *blocks.NewBlock("/TOP/BIG");
    block.Init();
    for (int row = 0; row < 20000; ++row) {
        const std::uint32_t index = block.NewLayerMap();
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            block.GetLayerMap(index, column) = ("L" + std::to_string(row)).c_str();
        }
    }
    for (const auto layout : {JsonWriter::Layout::kPretty, JsonWriter::Layout::kCompact}) {
        std::string whole;
        JsonWriter all(whole, layout);
        WriteBlockJson(all, block);

        std::string sent;
        std::string out;
        std::size_t pieces = 0;
        std::size_t largest = 0;
        JsonWriter streamed(out, layout, [&](std::string& text) {
            largest = std::max(largest, text.size());
            sent += text;
            text.clear();
            ++pieces;
        });
        WriteBlockJson(streamed, block);
        sent += out;
        EXPECT_EQ(sent, whole);
        EXPECT_GT(pieces, whole.size() / JsonWriter::kDrainSize / 2);
        EXPECT_LT(largest, JsonWriter::kDrainSize + 200);
    }
}

TEST(Records, CsvReaderTakesWhatSpreadsheetsWrite) {
    std::istringstream in("\xEF\xBB\xBFID,X\r\n\r\n\"a,\"\"b\"\"\nc\",2\nd,\n");
    CsvReader reader(in);
    std::vector<std::string> fields;
    unsigned long line = 0;
    ASSERT_TRUE(reader.Next(fields, line));
    EXPECT_EQ(fields, (std::vector<std::string>{"ID", "X"}));
    ASSERT_TRUE(reader.Next(fields, line));
    EXPECT_EQ(line, 3u);
    EXPECT_EQ(fields, (std::vector<std::string>{"a,\"b\"\nc", "2"}));
    ASSERT_TRUE(reader.Next(fields, line));
    EXPECT_EQ(fields, (std::vector<std::string>{"d", ""}));
    EXPECT_FALSE(reader.Next(fields, line));
    EXPECT_EQ(reader.Error(), "");

    std::istringstream open("\"never closed\n");
    CsvReader broken(open);
    EXPECT_FALSE(broken.Next(fields, line));
    EXPECT_EQ(broken.Error(), "a quoted field is not closed");
}

// Each record's values as "FIELD=text" and each problem as "LINE: message".
std::vector<std::string> Read(const std::string& text, RecordFormat format) {
    const std::filesystem::path dir =
        test::MakeUniqueDirectory(std::filesystem::temp_directory_path(), "records-");
    const std::string path = (dir / "input").string();
    std::ofstream(path, std::ios::binary) << text;
    std::vector<std::string> seen;
    std::vector<InputProblem> problems;
    ReadBlockRecords(
        path, format,
        [&](const BlockRecord& record) {
            for (const auto& [index, value] : record.properties) {
                seen.push_back(std::string(PropertyName(index)) + "=" + value);
            }
            if (record.layerMaps)
                seen.push_back("maps=" + std::to_string(record.layerMaps->size()));
        },
        problems);
    for (const InputProblem& problem : problems) {
        seen.push_back(std::to_string(problem.line) + ": " + problem.message);
    }
    std::filesystem::remove_all(dir);
    return seen;
}

TEST(Records, JsonNumbersKeepTheirTextAndRepeatedKeysAreRefused) {
    const std::string numbers =
        R"({"XLOC":123456789012345678901234567890,"YLOC":1e2,"ROTATION":1.5e-400,)"
        R"("INT_XLOC":2500,"INT_YLOC":2.5e3})";
    const std::vector<std::string> kept = {"XLOC=123456789012345678901234567890", "YLOC=1e2",
                                           "ROTATION=1.5e-400", "INT_XLOC=2500", "INT_YLOC=2.5e3"};
    EXPECT_EQ(Read("[" + numbers + "]", RecordFormat::kJson), kept);
    EXPECT_EQ(Read(numbers + "\n", RecordFormat::kJsonLines), kept);

    const std::string maps = R"("layer_maps":[])";
    EXPECT_EQ(Read("[{\"XLOC\":1,\n\"XLOC\":999, \"ID\":\"/a\", \"ID\":\"/b\",\n" + maps + "," +
                       maps + "}]",
                   RecordFormat::kJson),
              (std::vector<std::string>{"XLOC=1", "maps=0", "2: XLOC is given twice",
                                        "2: ID is given twice", "3: layer_maps is given twice"}));
}

TEST(Records, TsvIsReadAsCsvWithTabs) {
    EXPECT_EQ(Read("XLOC\tYLOC\n\"1,5\"\t2\n", RecordFormat::kTsv),
              (std::vector<std::string>{"XLOC=1,5", "YLOC=2"}));
    EXPECT_EQ(ChooseRecordFormat("a.TSV", ""), RecordFormat::kTsv);
    EXPECT_EQ(ChooseRecordFormat("a", "tsv"), RecordFormat::kTsv);
}

TEST(Records, FieldNamesAndListsHeadersAreFoundWhateverTheirCase) {
    EXPECT_EQ(PropertyNamedByUser("xloc"), std::optional<std::uint32_t>(kXLoc));
    EXPECT_EQ(PropertyNamedByUser("x"), std::optional<std::uint32_t>(kXLoc));
    EXPECT_EQ(PropertyNamedByUser("Id"), std::optional<std::uint32_t>(kBlockHierName));
    EXPECT_EQ(PropertyNamedByUser("qor"), std::optional<std::uint32_t>(kQorStatus));
    EXPECT_EQ(PropertyNamedByUser("SYMBOL"), std::nullopt);  // derived: no property to set
    EXPECT_EQ(FieldNamedByUser("symbol"), std::optional<int>(kSymbolField));
    EXPECT_EQ(FieldNamedByUser("XLOCC"), std::nullopt);
    EXPECT_EQ(FieldNamedByUser(std::string("X\0", 2)), std::nullopt);

    EXPECT_EQ(UnknownField("XLOCC"), "unknown field \"XLOCC\"; did you mean \"XLOC\"?");
    EXPECT_EQ(UnknownField("STATSU"), "unknown field \"STATSU\"; did you mean \"STATUS\"?");
    // SYMBOL and MAPS are guessed and listed only where they can be given.
    EXPECT_EQ(UnknownField("SYMBL", KnownFields::kPropertiesSymbolAndMaps),
              "unknown field \"SYMBL\"; did you mean \"SYMBOL\"?");
    EXPECT_EQ(UnknownField("SYMBL").find("SYMBOL"), std::string::npos);
    EXPECT_EQ(UnknownField("PLACED"),
              "unknown field \"PLACED\"; fields are BLOCK_HIER_NAME BLOCK_PATH BLOCK_TYPE "
              "BLOCK_STATUS XLOC YLOC SIDE ROTATION UNITS INT_XLOC INT_YLOC QOR_STATUS");
}

TEST(Records, ImportTakesListsHeadersAsFieldNames) {
    EXPECT_EQ(Read("ID,TYPE,Status,x,Y,qor\n/a,Replica,Placed,1,2,Processed\n", RecordFormat::kCsv),
              (std::vector<std::string>{"BLOCK_TYPE=Replica", "BLOCK_STATUS=Placed", "XLOC=1",
                                        "YLOC=2", "QOR_STATUS=Processed"}));
    EXPECT_EQ(
        Read("ID,BLOCK_HIER_NAME,X,XLOC\n/a,/a,1,1\n", RecordFormat::kCsv),
        (std::vector<std::string>{"1: BLOCK_HIER_NAME is given twice", "1: XLOC is given twice"}));
}

}  // namespace
}  // namespace reuseblocks::tool
