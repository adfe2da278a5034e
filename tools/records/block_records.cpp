// SPDX-License-Identifier: MIT
#include "block_records.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
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

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Collects the values of one record, checking each as `set` does.
class RecordBuilder {
  public:
    RecordBuilder(BlockRecord& record, std::vector<InputProblem>& problems)
        : m_record(record), m_problems(problems) {}

    // `text` is empty when the input held something other than text, such as a JSON object.
    void Add(const std::string& name, const std::optional<std::string>& text) {
        const std::optional<int> field = FieldNamedByUser(name);
        if (!field) return Fail(UnknownField(name, KnownFields::kPropertiesSymbolAndMaps));
        if (!text) return Fail(name + " must be a string or a number");
        const std::string& value = *text;
        if (*field == kBlockHierName) {
            if (m_record.id) return Fail("BLOCK_HIER_NAME is given twice");
            Check("BLOCK_HIER_NAME", value, ValuePlace::kBlockID);
            m_record.id = value;
        } else if (*field == kSymbolField) {
            // derived from BLOCK_PATH
        } else if (*field == kMapsField) {
            if (value != "0")
                Fail("layer maps can be imported only from JSON (MAPS is " + value + ")");
        } else {
            const auto index = static_cast<std::uint32_t>(*field);
            if (m_given[index]) return Fail(std::string(PropertyName(index)) + " is given twice");
            m_given[index] = true;
            Check(PropertyName(index), value, PlaceOfProperty(index));
            m_record.properties.emplace_back(index, value);
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

// A JSON value as field text. The reader turns every number into its text as written.
std::optional<std::string> JsonText(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
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
            while (column < given.size() &&
                   !ascii::EqualsIgnoringCase(name, kLayerMapColumnNames[column])) {
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

// Thrown once the problems reach kMostProblems: the rest of the input goes unread.
struct TooManyProblems {};

void StopAtTooManyProblems(const std::vector<InputProblem>& problems) {
    if (problems.size() >= kMostProblems) throw TooManyProblems{};
}

// Builds JSON values with each number as the text it was written in (a string, which the
// fields take alike) and refuses a key an object holds already. Each block object of a top
// array goes to `sink` as soon as it is complete and is then dropped, so memory holds one block
// of the input at a time, however long the array is.
class BlockReader {
  public:
    // `lines` before the input, and the line feeds the parser has consumed, name each line.
    BlockReader(unsigned long lines, const unsigned long& lineFeeds, bool topArray,
                const RecordSink& sink, std::vector<InputProblem>& problems)
        : m_lines(lines),
          m_lineFeeds(lineFeeds),
          m_topArray(topArray),
          m_sink(sink),
          m_problems(problems) {}

    bool null() { return Value(Json()); }
    bool boolean(bool value) { return Value(Json(value)); }
    bool number_integer(Json::number_integer_t value) { return Value(std::to_string(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return Value(std::to_string(value)); }
    bool number_float(Json::number_float_t, const std::string& text) { return Value(text); }
    bool string(std::string& value) { return Value(std::move(value)); }
    bool binary(Json::binary_t&) { return Value(Json()); }  // JSON text has none
    bool start_object(std::size_t) { return Open(Json::object()); }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool key(std::string& name) {
        Level& level = m_levels.back();
        level.keep = !level.value.contains(name);
        if (!level.keep) Problem(name + " is given twice");
        level.key = std::move(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception& error) {
        Problem(JsonError(error));
        return false;
    }

    // After the parse: what the top of the input was.
    void Finish() {
        if (!m_sawTop) Problem("expected an array of block objects, as list --json prints");
    }

  private:
    struct Level {
        Json value;
        std::string key;  // of an object's next member
        bool keep = true;
    };

    unsigned long Line() const { return m_lines + m_lineFeeds + 1; }
    void Problem(std::string message) {
        m_problems.push_back({Line(), std::move(message)});
        StopAtTooManyProblems(m_problems);
    }
    bool AtBlock() const { return m_levels.size() == 1 && m_levels[0].value.is_array(); }

    bool Open(Json container) {
        if (m_levels.empty()) {
            if (container.is_array() && !m_topArray) return Fail("expected a block object");
            m_sawTop = true;
            m_blockLine = Line();
        }
        if (AtBlock()) m_blockLine = Line();
        m_levels.push_back({std::move(container), std::string(), true});
        return true;
    }
    bool Close() {
        Json done = std::move(m_levels.back().value);
        m_levels.pop_back();
        if (m_levels.empty()) {
            if (done.is_object()) Block(done);
            return true;
        }
        return Value(std::move(done));
    }
    bool Value(Json value) {
        if (m_levels.empty())
            return Fail(m_topArray ? "expected an array of block objects, as list --json prints"
                                   : "expected a block object");
        if (AtBlock()) {
            if (!value.is_object()) {
                Problem("expected a block object");
                return true;
            }
            Block(value);
            return true;
        }
        Level& level = m_levels.back();
        if (level.value.is_array()) {
            level.value.push_back(std::move(value));
        } else if (level.keep) {
            level.value[level.key] = std::move(value);
        }
        return true;
    }
    bool Fail(std::string message) {
        m_sawTop = true;
        Problem(std::move(message));
        return false;
    }
    void Block(const Json& object) {
        AddRecordFromJson(object, m_blockLine, m_sink, m_problems);
        StopAtTooManyProblems(m_problems);
    }

    unsigned long m_lines;
    const unsigned long& m_lineFeeds;
    bool m_topArray;
    const RecordSink& m_sink;
    std::vector<InputProblem>& m_problems;
    std::vector<Level> m_levels;
    unsigned long m_blockLine = 0;
    bool m_sawTop = false;
};

void ReadJson(std::istream& in, const RecordSink& sink, std::vector<InputProblem>& problems) {
    unsigned long lineFeeds = 0;
    BlockReader reader(0, lineFeeds, true, sink, problems);
    if (Json::sax_parse(LineCountingIterator(std::istreambuf_iterator<char>(in), &lineFeeds),
                        LineCountingIterator(std::istreambuf_iterator<char>(), &lineFeeds),
                        &reader)) {
        reader.Finish();
    }
}

void ReadJsonLines(std::istream& in, const RecordSink& sink, std::vector<InputProblem>& problems) {
    std::string text;
    const unsigned long noLineFeeds = 0;
    for (unsigned long line = 1; std::getline(in, text); ++line) {
        if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
        BlockReader reader(line - 1, noLineFeeds, false, sink, problems);
        Json::sax_parse(text, &reader);
    }
}

void ReadCsv(std::istream& in, char separator, const RecordSink& sink,
             std::vector<InputProblem>& problems) {
    CsvReader reader(in, separator);
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
            StopAtTooManyProblems(problems);
            continue;
        }
        BlockRecord record;
        record.line = line;
        RecordBuilder builder(record, problems);
        for (std::size_t column = 0; column < header.size(); ++column) {
            builder.Add(header[column], fields[column]);
        }
        sink(record);
        StopAtTooManyProblems(problems);
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
    if (line.rfind(kByteOrderMark, 0) == 0) line.erase(0, kByteOrderMark.size());
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '[') return RecordFormat::kJson;
    if (line[start] != '{') return RecordFormat::kCsv;
    return Json::accept(line) ? RecordFormat::kJsonLines : RecordFormat::kJson;
}

}  // namespace

RecordFormat ChooseRecordFormat(const std::string& argument, const std::string& name) {
    if (!name.empty()) {
        if (ascii::EqualsIgnoringCase(name, "json")) return RecordFormat::kJson;
        if (ascii::EqualsIgnoringCase(name, "jsonl")) return RecordFormat::kJsonLines;
        if (ascii::EqualsIgnoringCase(name, "csv")) return RecordFormat::kCsv;
        if (ascii::EqualsIgnoringCase(name, "tsv")) return RecordFormat::kTsv;
        throw UsageError("unknown format " + Quoted(name) + "; formats are json jsonl csv tsv");
    }
    if (EndsWithLetters(argument, ".jsonl") || EndsWithLetters(argument, ".ndjson")) {
        return RecordFormat::kJsonLines;
    }
    if (EndsWithLetters(argument, ".json")) return RecordFormat::kJson;
    if (EndsWithLetters(argument, ".csv")) return RecordFormat::kCsv;
    if (EndsWithLetters(argument, ".tsv")) return RecordFormat::kTsv;
    if (IsStandardStream(argument)) return SniffRecordFormat(ReadablePath(argument));
    throw UsageError("cannot tell the format of " + Quoted(argument) +
                     " from its name; add --format json, jsonl, csv or tsv");
}

void ReadBlockRecords(const std::string& path, RecordFormat format, const RecordSink& sink,
                      std::vector<InputProblem>& problems) {
    // A directory opens as a stream and fails only once read.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return problems.push_back({0, "cannot read it: it is a directory"});
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return problems.push_back(
            {0, "cannot open it" + (errno ? ": " + std::string(std::strerror(errno)) : "")});
    }
    // A failed read is a problem of the input; running out of memory goes on to say so.
    in.exceptions(std::ios::badbit);
    try {
        switch (format) {
            case RecordFormat::kJson:
                ReadJson(in, sink, problems);
                break;
            case RecordFormat::kJsonLines:
                ReadJsonLines(in, sink, problems);
                break;
            case RecordFormat::kCsv:
                ReadCsv(in, ',', sink, problems);
                break;
            case RecordFormat::kTsv:
                ReadCsv(in, '\t', sink, problems);
                break;
        }
    } catch (const TooManyProblems&) {
        problems.resize(kMostProblems);
        problems.push_back(
            {0, "stopped reading after " + std::to_string(kMostProblems) + " problems"});
    } catch (const std::ios_base::failure&) {
        problems.push_back({0, "cannot read the file"});
    }
}

}  // namespace reuseblocks::tool
