// SPDX-License-Identifier: MIT
// `list`: the blocks of a file that meet --where, as a table, CSV, TSV, JSON or JSON Lines.
#include <iostream>

#include "block_query.h"
#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "json_stream.h"
#include "standard_output.h"
#include "text_output.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

// What is gathered before it goes out in one write.
constexpr std::size_t kChunk = 1 << 16;

std::vector<QueryField> TableFields() {
    return {{"ID", kBlockHierName},
            {"SYMBOL", QueryField::kSymbol},
            {"TYPE", kBlockType},
            {"STATUS", kBlockStatus},
            {"X", kXLoc},
            {"Y", kYLoc},
            {"SIDE", kSide},
            {"ROTATION", kRotation},
            {"UNITS", kUnits},
            {"QOR", kQorStatus},
            {"MAPS", QueryField::kMaps}};
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
    for (const char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
}

// Sends `out` on once it is large, and stops a listing whose output is lost.
void Emit(std::string& out, bool force = false) {
    if (out.size() < kChunk && !force) return;
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    out.clear();
    ThrowIfStandardOutputFailed();
}

template <typename Each>
void ForEachMatch(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                  Each each) {
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock& block = *blocks.GetNext(position);
        if (Matches(block, where)) each(block);
    }
}

void PrintTable(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                const std::vector<QueryField>& fields, bool header) {
    AlignedTable table;
    if (header) {
        std::vector<std::string> names;
        for (const QueryField& field : fields) names.push_back(field.name);
        table.AddRow(std::move(names));
    }
    ForEachMatch(blocks, where, [&](const CReuseBlock& block) {
        std::vector<std::string> cells;
        for (const QueryField& field : fields) cells.push_back(Cell(field.ValueOf(block)));
        table.AddRow(std::move(cells));
    });
    table.Print(std::cout);
}

void PrintSeparated(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                    const std::vector<QueryField>& fields, bool header, bool csv) {
    const char separator = csv ? ',' : '\t';
    const auto append = csv ? AppendCsv : AppendTsv;
    std::string out;
    const auto row = [&](auto cell) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) out += separator;
            append(out, cell(fields[i]));
        }
        out += '\n';
        Emit(out);
    };
    if (header) row([](const QueryField& field) { return field.name; });
    ForEachMatch(blocks, where, [&](const CReuseBlock& block) {
        row([&](const QueryField& field) { return field.ValueOf(block); });
    });
    Emit(out, true);
}

// One object of the chosen fields; MAPS is a number.
void AppendFieldsJson(std::string& out, const CReuseBlock& block,
                      const std::vector<QueryField>& fields, bool pretty) {
    out += '{';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        if (pretty) out += "\n    ";
        AppendJsonString(out, fields[i].name);
        out += pretty ? ": " : ":";
        if (fields[i].property == QueryField::kMaps) {
            out += fields[i].ValueOf(block);
        } else {
            AppendJsonString(out, fields[i].ValueOf(block));
        }
    }
    out += pretty ? "\n  }" : "}";
}

void PrintJson(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
               const std::vector<QueryField>& fields, bool lines) {
    std::string out;
    bool first = true;
    if (!lines) out += '[';
    ForEachMatch(blocks, where, [&](CReuseBlock& block) {
        if (!lines) out += first ? "\n  " : ",\n  ";
        first = false;
        if (fields.empty()) {
            AppendBlockJson(out, block, lines ? -1 : 2);
        } else {
            AppendFieldsJson(out, block, fields, !lines);
        }
        if (lines) out += '\n';
        Emit(out);
    });
    if (!lines) out += first ? "]\n" : "\n]\n";
    Emit(out, true);
}

}  // namespace

int RunList(const ListOptions& options) {
    const std::vector<QueryCondition> where = ParseConditions(options.where);
    std::vector<QueryField> fields = ParseFields(options.fields);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const bool header = !options.noHeader;
    if (options.format == "json" || options.format == "jsonl") {
        PrintJson(blocks, where, fields, options.format == "jsonl");
        return kExitSuccess;
    }
    if (options.format == "table") {
        PrintTable(blocks, where, fields.empty() ? TableFields() : fields, header);
        return kExitSuccess;
    }
    if (fields.empty()) fields = PropertyFields();
    PrintSeparated(blocks, where, fields, header, options.format == "csv");
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
