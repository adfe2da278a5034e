// SPDX-License-Identifier: MIT
#include "block_records.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "files/standard_streams.h"
#include "records/csv_reader.h"
#include "records/fields.h"
#include "records/value_checks.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

using Json = nlohmann::ordered_json;

// Collects the values of one record, checking each as `set` does.
class RecordBuilder {
  public:
    RecordBuilder(BlockRecord& record, std::vector<InputProblem>& problems)
        : m_record(record), m_problems(problems) {}

    // `text` is empty when the input held something other than text, such as a JSON object.
    void Add(const std::string& name, const std::optional<std::string>& text) {
        const bool known = SameLetters(name, "ID") || SameLetters(name, "SYMBOL") ||
                           SameLetters(name, "MAPS") || FindProperty(name);
        if (!known)
            return Fail("unknown field " + Quoted(name) + "; fields are " + PropertyNameList());
        if (!text) return Fail(name + " must be a string or a number");
        const std::string& value = *text;
        if (SameLetters(name, "ID") || SameLetters(name, "BLOCK_HIER_NAME")) {
            if (m_record.id) return Fail("BLOCK_HIER_NAME is given twice");
            Check("BLOCK_HIER_NAME", value, ValuePlace::kBlockID);
            m_record.id = value;
        } else if (SameLetters(name, "SYMBOL")) {
            // derived from BLOCK_PATH
        } else if (SameLetters(name, "MAPS")) {
            if (value != "0")
                Fail("layer maps can be imported only from JSON (MAPS is " + value + ")");
        } else if (const std::optional<std::uint32_t> index = FindProperty(name)) {
            if (m_given[*index]) return Fail(std::string(PropertyName(*index)) + " is given twice");
            m_given[*index] = true;
            Check(PropertyName(*index), value, PlaceOfProperty(*index));
            m_record.properties.emplace_back(*index, value);
        }
    }

    void Fail(const std::string& message) { m_problems.push_back({m_record.line, message}); }

  private:
    void Check(std::string_view field, const std::string& value, ValuePlace place) {
        const std::string problem = UnwritableValue(field, value, place);
        if (!problem.empty()) Fail(problem);
    }

    BlockRecord& m_record;
    std::vector<InputProblem>& m_problems;
    std::array<bool, CReuseBlock::kPropertyCount> m_given{};
};

// A JSON value as field text: strings as they are, numbers as written.
std::optional<std::string> JsonText(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    return std::nullopt;
}

void AddLayerMaps(BlockRecord& record, RecordBuilder& builder, const Json& rows) {
    if (!rows.is_array()) return builder.Fail("layer_maps must be an array");
    record.layerMaps.emplace();
    for (const Json& row : rows) {
        if (!row.is_object()) return builder.Fail("every layer map must be an object");
        std::array<std::string, CReuseBlock::kLayerMapColumnCount> columns;
        std::array<bool, CReuseBlock::kLayerMapColumnCount> given{};
        for (const auto& [name, value] : row.items()) {
            std::uint32_t column = 0;
            while (column < given.size() && !SameLetters(name, kLayerMapColumnNames[column])) {
                ++column;
            }
            const std::optional<std::string> text = JsonText(value);
            if (column == given.size() || given[column] || !text) {
                return builder.Fail(
                    "a layer map may hold only the string columns "
                    "BLOCK_LAYER_ORDER BLOCK_LAYER_NAME DESIGN_ORDER "
                    "DESIGN_LAYER_NAME, each once (not " +
                    Quoted(name) + ")");
            }
            const std::string problem =
                UnwritableValue(kLayerMapColumnNames[column], *text, PlaceOfLayerMapColumn(column));
            if (!problem.empty()) builder.Fail(problem);
            given[column] = true;
            columns[column] = *text;
        }
        for (std::uint32_t column = 0; column < given.size(); ++column) {
            if (!given[column]) {
                return builder.Fail("a layer map lacks " +
                                    std::string(kLayerMapColumnNames[column]));
            }
        }
        record.layerMaps->push_back(std::move(columns));
    }
}

void AddRecordFromJson(const Json& object, unsigned long line, const RecordSink& sink,
                       std::vector<InputProblem>& problems) {
    if (!object.is_object()) return problems.push_back({line, "expected a block object"});
    BlockRecord record;
    record.line = line;
    RecordBuilder builder(record, problems);
    for (const auto& [name, value] : object.items()) {
        if (name == "symbol") continue;
        if (name == "layer_maps") {
            AddLayerMaps(record, builder, value);
        } else if (name == "properties") {
            if (!value.is_object()) {
                builder.Fail("properties must be an object");
                continue;
            }
            for (const auto& [field, text] : value.items()) builder.Add(field, JsonText(text));
        } else {
            builder.Add(name, JsonText(value));
        }
    }
    sink(record);
}

// The reason without nlohmann's "[json.exception...] parse error at line L, column C: " prefix.
std::string JsonError(const Json::exception& error) {
    const std::string what = error.what();
    std::size_t start = what.find("syntax error");
    if (start == std::string::npos)
        start = what.find("] ") == std::string::npos ? 0 : what.find("] ") + 2;
    return "not valid JSON: " + what.substr(start);
}

// Counts the line feeds the JSON parser has consumed, so that each block is named by its line.
class LineCountingIterator {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    LineCountingIterator(std::istreambuf_iterator<char> at, unsigned long* lineFeeds)
        : m_at(at), m_lineFeeds(lineFeeds) {}
    char operator*() const { return *m_at; }
    LineCountingIterator& operator++() {
        if (*m_at == '\n') ++*m_lineFeeds;
        ++m_at;
        return *this;
    }
    bool operator==(const LineCountingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const LineCountingIterator& other) const { return !(m_at == other.m_at); }

  private:
    std::istreambuf_iterator<char> m_at;
    unsigned long* m_lineFeeds;
};

// Each block object of the top array goes to `sink` as soon as it is parsed and is then
// dropped, so memory holds one block of the input at a time, however long the array is.
void ReadJson(std::istream& in, const RecordSink& sink, std::vector<InputProblem>& problems) {
    unsigned long lineFeeds = 0;
    unsigned long blockLine = 0;
    bool topIsArray = false;
    const Json::parser_callback_t takeBlocks = [&](int depth, Json::parse_event_t event,
                                                   Json& parsed) {
        using Event = Json::parse_event_t;
        if (depth == 0 && event == Event::array_start) topIsArray = true;
        if (depth != 1 || !topIsArray) return true;
        if (event == Event::object_start || event == Event::array_start) {
            blockLine = lineFeeds + 1;
        } else if (event == Event::object_end || event == Event::array_end) {
            AddRecordFromJson(parsed, blockLine, sink, problems);
            return false;
        } else if (event == Event::value) {
            problems.push_back({lineFeeds + 1, "expected a block object"});
            return false;
        }
        return true;
    };
    Json document;
    try {
        document = Json::parse(LineCountingIterator(std::istreambuf_iterator<char>(in), &lineFeeds),
                               LineCountingIterator(std::istreambuf_iterator<char>(), &lineFeeds),
                               takeBlocks);
    } catch (const Json::exception& error) {
        problems.push_back({lineFeeds + 1, JsonError(error)});
        return;
    }
    if (document.is_object()) return AddRecordFromJson(document, 1, sink, problems);
    if (!topIsArray) {
        problems.push_back({1, "expected an array of block objects, as list --json prints"});
    }
}

void ReadJsonLines(std::istream& in, const RecordSink& sink, std::vector<InputProblem>& problems) {
    std::string text;
    for (unsigned long line = 1; std::getline(in, text); ++line) {
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        try {
            AddRecordFromJson(Json::parse(text), line, sink, problems);
        } catch (const Json::exception& error) {
            problems.push_back({line, JsonError(error)});
        }
    }
}

void ReadCsv(std::istream& in, const RecordSink& sink, std::vector<InputProblem>& problems) {
    CsvReader reader(in);
    std::vector<std::string> header;
    std::vector<std::string> fields;
    unsigned long line = 0;
    if (!reader.Next(header, line)) {
        problems.push_back({line, reader.Error().empty() ? "no header row" : reader.Error()});
        return;
    }
    // A wrong column name is reported once, not on every row.
    BlockRecord columns;
    columns.line = line;
    RecordBuilder headerCheck(columns, problems);
    const std::size_t before = problems.size();
    for (const std::string& name : header) headerCheck.Add(name, "0");
    if (problems.size() > before) return;

    while (reader.Next(fields, line)) {
        if (fields.size() != header.size()) {
            problems.push_back({line, "row has " + std::to_string(fields.size()) +
                                          " fields, the header " + std::to_string(header.size())});
            continue;
        }
        BlockRecord record;
        record.line = line;
        RecordBuilder builder(record, problems);
        for (std::size_t column = 0; column < header.size(); ++column) {
            builder.Add(header[column], fields[column]);
        }
        sink(record);
    }
    if (!reader.Error().empty()) problems.push_back({line, reader.Error()});
}

// A pipe has no name to go by, so its first bytes tell: "[" starts a JSON array, a line that
// is one whole object a JSON Lines stream, another "{" one pretty-printed object, anything else
// a CSV header.
RecordFormat SniffRecordFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line) && line.find_first_not_of(" \t\r") == std::string::npos) {
    }
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '[') return RecordFormat::kJson;
    if (line[start] != '{') return RecordFormat::kCsv;
    return Json::accept(line) ? RecordFormat::kJsonLines : RecordFormat::kJson;
}

}  // namespace

RecordFormat ChooseRecordFormat(const std::string& argument, const std::string& name) {
    if (!name.empty()) {
        if (SameLetters(name, "json")) return RecordFormat::kJson;
        if (SameLetters(name, "jsonl")) return RecordFormat::kJsonLines;
        if (SameLetters(name, "csv")) return RecordFormat::kCsv;
        throw UsageError("unknown format " + Quoted(name) + "; formats are json jsonl csv");
    }
    if (EndsWithLetters(argument, ".jsonl") || EndsWithLetters(argument, ".ndjson")) {
        return RecordFormat::kJsonLines;
    }
    if (EndsWithLetters(argument, ".json")) return RecordFormat::kJson;
    if (EndsWithLetters(argument, ".csv")) return RecordFormat::kCsv;
    if (IsStandardStream(argument)) return SniffRecordFormat(ReadablePath(argument));
    throw UsageError("cannot tell the format of " + Quoted(argument) +
                     " from its name; add --format json, jsonl or csv");
}

void ReadBlockRecords(const std::string& path, RecordFormat format, const RecordSink& sink,
                      std::vector<InputProblem>& problems) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return problems.push_back({0, "cannot open the file"});
    switch (format) {
        case RecordFormat::kJson:
            ReadJson(in, sink, problems);
            break;
        case RecordFormat::kJsonLines:
            ReadJsonLines(in, sink, problems);
            break;
        case RecordFormat::kCsv:
            ReadCsv(in, sink, problems);
            break;
    }
    if (in.bad()) problems.push_back({0, "cannot read the file"});
}

}  // namespace reuseblocks::tool
