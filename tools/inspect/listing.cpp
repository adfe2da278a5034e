// SPDX-License-Identifier: MIT
#include "listing.h"

#include <iostream>

#include "platform/console.h"
#include "records/block_json.h"
#include "records/fields.h"
#include "terminal/standard_output.h"
#include "terminal/table.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// What is gathered before it goes out in one write.
constexpr std::size_t kChunk = 1 << 16;

// Its headers are names every command takes (kFieldAliases), so that what a user copies from
// the table works in --fields, --where and set.
std::vector<QueryField> TableFields() {
    return ParseFields({"ID,SYMBOL,TYPE,STATUS,X,Y,SIDE,ROTATION,UNITS,QOR,MAPS"});
}

// Every property under its field name: what `import` reads back.
std::vector<QueryField> PropertyFields() {
    std::vector<QueryField> fields;
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        fields.push_back({std::string(PropertyName(index)), static_cast<int>(index)});
    }
    return fields;
}

void AppendCsv(std::string& out, const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        out += value;
        return;
    }
    out += '"';
    for (const char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendTsv(std::string& out, const std::string& value) {
    AppendReplacing(out, value, {{'\\', "\\\\"}, {'\t', "\\t"}, {'\n', "\\n"}, {'\r', "\\r"}});
}

// Sends `out` on once it is large, and stops a listing whose output is lost.
void Emit(std::string& out, bool force = false) {
    if (out.size() >= kChunk || force) SendToStandardOutput(out);
}

// Returns how many blocks matched.
template <typename Each>
std::size_t ForEachMatch(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                         Each each) {
    std::size_t matched = 0;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock& block = *blocks.GetNext(position);
        if (Matches(block, where)) each(block), ++matched;
    }
    return matched;
}

std::size_t PrintTable(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                       const std::vector<QueryField>& fields, bool header) {
    AlignedTable table;
    if (header) {
        std::vector<std::string> names;
        for (const QueryField& field : fields) names.push_back(field.name);
        table.AddRow(names);
    }
    const std::size_t matched = ForEachMatch(blocks, where, [&](const CReuseBlock& block) {
        std::vector<std::string> cells;
        for (const QueryField& field : fields) cells.push_back(field.ValueOf(block));
        table.AddRow(cells);
    });
    table.Print(std::cout);
    return matched;
}

std::size_t PrintSeparated(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                           const std::vector<QueryField>& fields, bool header, bool csv) {
    const char separator = csv ? ',' : '\t';
    // Data, byte for byte, for a program; on a terminal every cell is shown as a terminal cell.
    const bool terminal = detail::platform::StandardOutputIsTerminal();
    std::string out;
    std::string text;
    const auto append = [&](const std::string& value) {
        text.clear();
        if (csv) {
            AppendCsv(text, terminal ? EscapeForDisplay(value) : value);
        } else {
            AppendTsv(text, value);
        }
        out += terminal && !csv ? EscapeForDisplay(text) : text;
    };
    const auto row = [&](auto cell) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) out += separator;
            append(cell(fields[i]));
        }
        out += '\n';
        Emit(out);
    };
    if (header) row([](const QueryField& field) { return field.name; });
    const std::size_t matched = ForEachMatch(blocks, where, [&](const CReuseBlock& block) {
        row([&](const QueryField& field) { return field.ValueOf(block); });
    });
    Emit(out, true);
    return matched;
}

// One object of the chosen fields; MAPS is a number.
void WriteFieldsJson(JsonWriter& json, const CReuseBlock& block,
                     const std::vector<QueryField>& fields) {
    json.BeginObject();
    for (const QueryField& field : fields) {
        json.Key(field.name);
        if (field.property == QueryField::kMaps) {
            json.Number(block.GetLayerMapCount());
        } else {
            json.String(field.ValueOf(block));
        }
    }
    json.EndObject();
}

std::size_t PrintJson(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                      const std::vector<QueryField>& fields, bool lines) {
    std::string out;
    JsonWriter json(out, lines ? JsonWriter::Layout::kCompact : JsonWriter::Layout::kPretty,
                    SendToStandardOutput);
    if (!lines) json.BeginArray();
    const std::size_t matched = ForEachMatch(blocks, where, [&](CReuseBlock& block) {
        if (fields.empty()) {
            WriteBlockJson(json, block);
        } else {
            WriteFieldsJson(json, block, fields);
        }
        if (lines) out += '\n';
        Emit(out);
    });
    if (!lines) json.EndArray(), out += '\n';
    Emit(out, true);
    return matched;
}

}  // namespace

std::size_t PrintListing(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                         std::vector<QueryField> fields, ListFormat format, bool header) {
    switch (format) {
        case ListFormat::kJson:
        case ListFormat::kJsonLines:
            return PrintJson(blocks, where, fields, format == ListFormat::kJsonLines);
        case ListFormat::kTable:
            return PrintTable(blocks, where, fields.empty() ? TableFields() : fields, header);
        case ListFormat::kCsv:
        case ListFormat::kTsv:
            break;
    }
    if (fields.empty()) fields = PropertyFields();
    return PrintSeparated(blocks, where, fields, header, format == ListFormat::kCsv);
}

}  // namespace reuseblocks::tool
