// SPDX-License-Identifier: MIT
#include "listing.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>

#include "platform/console.h"
#include "platform/side_by_side.h"
#include "plot/units.h"  // numbers read as --where reads them
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

void AppendCsv(std::string& out, std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
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

void AppendTsv(std::string& out, std::string_view value) {
    AppendReplacing(out, value, {{'\\', "\\\\"}, {'\t', "\\t"}, {'\n', "\\n"}, {'\r', "\\r"}});
}

// Sends `out` on once it is large, and stops a listing whose output is lost.
void Emit(std::string& out, bool force = false) {
    if (out.size() >= kChunk || force) SendToStandardOutput(out);
}

// A value as --sort compares it: numbers as numbers, before any text; text byte by byte.
struct SortKey {
    std::optional<double> number;
    std::string text;

    bool operator<(const SortKey& other) const {
        if (number && other.number) return *number < *other.number;
        if (number || other.number) return number.has_value();
        return text < other.text;
    }
};

// The blocks that meet `where`, in file order or, with `sortBy`, in the order of those fields
// (stable: equal keys keep file order).
std::vector<CReuseBlock*> MatchesInOrder(const CReuseBlockFile& blocks,
                                         const std::vector<QueryCondition>& where,
                                         const std::vector<QueryField>& sortBy) {
    std::vector<CReuseBlock*> matched;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock* block = blocks.GetNext(position);
        if (Matches(*block, where)) matched.push_back(block);
    }
    if (sortBy.empty()) return matched;
    // Each key made once, not once per comparison.
    std::vector<std::pair<std::vector<SortKey>, CReuseBlock*>> keyed;
    keyed.reserve(matched.size());
    for (CReuseBlock* block : matched) {
        std::vector<SortKey> keys;
        for (const QueryField& field : sortBy) {
            std::string value = field.ValueOf(*block);
            const std::optional<double> number = ParseNumber(value);
            keys.push_back({number, std::move(value)});
        }
        keyed.emplace_back(std::move(keys), block);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) matched[i] = keyed[i].second;
    return matched;
}

// Returns how many blocks matched.
template <typename Each>
std::size_t ForEachMatch(const CReuseBlockFile& blocks, const ListingQuery& query, Each each) {
    const std::vector<CReuseBlock*> matched = MatchesInOrder(blocks, query.where, query.sortBy);
    for (CReuseBlock* block : matched) each(*block);
    return matched.size();
}

// From this many rows on, the widths of the two halves are found side by side.
constexpr std::size_t kRowsFittedInHalves = 4096;

// Two passes over the matches, the widths first, so that no row is held: the rows of a large
// file would take more memory than the file itself.
std::size_t PrintTable(const CReuseBlockFile& blocks, const ListingQuery& query,
                       const std::vector<QueryField>& fields, bool header) {
    const std::vector<CReuseBlock*> matched = MatchesInOrder(blocks, query.where, query.sortBy);
    TableWidths widths;
    std::string scratch;
    if (header) {
        for (std::size_t i = 0; i < fields.size(); ++i) widths.Fit(i, fields[i].name);
    }
    // The widths are the largest of each half's: found side by side for a large file.
    const auto halves = detail::platform::InHalves(
        matched.size(), kRowsFittedInHalves, [&](int, std::size_t first, std::size_t last) {
            TableWidths half;
            std::string value;
            for (std::size_t row = first; row < last; ++row) {
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    half.Fit(i, fields[i].ViewOf(*matched[row], value));
                }
            }
            return half;
        });
    for (const TableWidths& half : halves) widths.Widen(half);
    std::string out;
    TableRow row(widths, out);
    if (header) {
        for (const QueryField& field : fields) row.Add(field.name);
        row.End();
    }
    for (const CReuseBlock* block : matched) {
        for (const QueryField& field : fields) row.Add(field.ViewOf(*block, scratch));
        row.End();
        Emit(out);
    }
    Emit(out, true);
    return matched.size();
}

std::size_t PrintSeparated(const CReuseBlockFile& blocks, const ListingQuery& query,
                           const std::vector<QueryField>& fields, bool header, bool csv) {
    const char separator = csv ? ',' : '\t';
    // Data, byte for byte, for a program; on a terminal every cell is shown as a terminal cell.
    const bool terminal = detail::platform::StandardOutputIsTerminal();
    std::string out;
    std::string text;
    std::string scratch;
    const auto append = [&](std::string_view value) {
        text.clear();
        if (csv && terminal) {
            AppendCsv(text, EscapeForDisplay(value));
        } else if (csv) {
            AppendCsv(text, value);
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
    if (header) row([](const QueryField& field) { return std::string_view(field.name); });
    const std::size_t matched = ForEachMatch(blocks, query, [&](const CReuseBlock& block) {
        row([&](const QueryField& field) { return field.ViewOf(block, scratch); });
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

std::size_t PrintJson(const CReuseBlockFile& blocks, const ListingQuery& query,
                      const std::vector<QueryField>& fields, bool lines) {
    std::string out;
    JsonWriter json(out, lines ? JsonWriter::Layout::kCompact : JsonWriter::Layout::kPretty,
                    SendToStandardOutput);
    if (!lines) json.BeginArray();
    const std::size_t matched = ForEachMatch(blocks, query, [&](CReuseBlock& block) {
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

// --count-by: each value of the field among the matches, most frequent first (then by value as
// --sort orders it), with its count. Returns how many blocks matched.
std::size_t PrintValueCounts(const CReuseBlockFile& blocks, const ListingQuery& query,
                             ListFormat format, bool header) {
    const QueryField& field = *query.countBy;
    std::map<std::string, std::size_t> counts;  // sorted, so no crafted value set is slow
    const std::size_t matched = ForEachMatch(
        blocks, query, [&](const CReuseBlock& block) { ++counts[field.ValueOf(block)]; });
    std::vector<std::pair<SortKey, std::size_t>> rows;
    for (auto& [value, count] : counts) rows.push_back({{ParseNumber(value), value}, count});
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        if (a.second != b.second) return a.second > b.second;
        return a.first < b.first;
    });
    std::string out;
    if (format == ListFormat::kJson || format == ListFormat::kJsonLines) {
        const bool lines = format == ListFormat::kJsonLines;
        JsonWriter json(out, lines ? JsonWriter::Layout::kCompact : JsonWriter::Layout::kPretty,
                        SendToStandardOutput);
        if (!lines) json.BeginArray();
        for (const auto& [key, count] : rows) {
            json.BeginObject().Key(field.name).String(key.text).Key("count").Number(count);
            json.EndObject();
            if (lines) out += '\n';
            Emit(out);
        }
        if (!lines) json.EndArray(), out += '\n';
        Emit(out, true);
        return matched;
    }
    if (format == ListFormat::kTable) {
        AlignedTable table;
        if (header) table.AddRow({field.name, "COUNT"});
        for (const auto& [key, count] : rows) table.AddRow({key.text, std::to_string(count)});
        table.Print(std::cout);
        return matched;
    }
    const bool csv = format == ListFormat::kCsv;
    const bool terminal = detail::platform::StandardOutputIsTerminal();
    const auto append = [&](const std::string& value) {
        std::string text;
        if (csv) {
            AppendCsv(text, terminal ? EscapeForDisplay(value) : value);
        } else {
            AppendTsv(text, value);
        }
        out += terminal && !csv ? EscapeForDisplay(text) : text;
    };
    if (header) {
        append(field.name);
        out += csv ? ",COUNT\n" : "\tCOUNT\n";
    }
    for (const auto& [key, count] : rows) {
        append(key.text);
        out += (csv ? "," : "\t") + std::to_string(count) + "\n";
        Emit(out);
    }
    Emit(out, true);
    return matched;
}

}  // namespace

std::size_t PrintListing(const CReuseBlockFile& blocks, const ListingQuery& query,
                         std::vector<QueryField> fields, ListFormat format, bool header) {
    if (query.countBy) return PrintValueCounts(blocks, query, format, header);
    switch (format) {
        case ListFormat::kJson:
        case ListFormat::kJsonLines:
            return PrintJson(blocks, query, fields, format == ListFormat::kJsonLines);
        case ListFormat::kTable:
            return PrintTable(blocks, query, fields.empty() ? TableFields() : fields, header);
        case ListFormat::kCsv:
        case ListFormat::kTsv:
            break;
    }
    if (fields.empty()) fields = PropertyFields();
    return PrintSeparated(blocks, query, fields, header, format == ListFormat::kCsv);
}

}  // namespace reuseblocks::tool
