// SPDX-License-Identifier: MIT
#include "diff_report.h"

#include <algorithm>
#include <ostream>

#include "records/block_json.h"
#include "records/fields.h"
#include "terminal/standard_output.h"
#include "terminal/table.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

std::string RowText(const CReuseBlock& block, long row) {
    std::string text;
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        if (column > 0) text += ' ';
        text += Cell(LayerMapText(block, static_cast<std::uint32_t>(row), column));
    }
    return text;
}

// In the order of ChangeKind.
const char* KindName(ChangeKind kind) {
    static constexpr const char* kNames[] = {"added", "removed", "changed"};
    return kNames[static_cast<std::size_t>(kind)];
}

constexpr ChangeKind kKinds[] = {ChangeKind::kAdded, ChangeKind::kRemoved, ChangeKind::kChanged};

std::size_t CountOf(const std::vector<BlockChange>& changes, ChangeKind kind) {
    return static_cast<std::size_t>(std::count_if(
        changes.begin(), changes.end(), [&](const BlockChange& c) { return c.kind == kind; }));
}

// `text` in `color`, when there is one.
std::string Paint(const std::string& text, const std::string& color, const DiffColors& colors) {
    return color.empty() ? text : color + text + colors.reset;
}

void PrintWholeBlock(const CReuseBlock& block, const std::string& color, const DiffColors& colors,
                     std::ostream& out) {
    std::string values;
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        values += (index > 1 ? " " : "") + Cell(PropertyText(block, index));
    }
    out << Paint("  " + values, color, colors) << '\n';
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        const std::string text =
            "  layer map " + std::to_string(row) + ": " + RowText(block, static_cast<long>(row));
        out << Paint(text, color, colors) << '\n';
    }
}

void PrintChangedRow(const BlockChange& change, const LayerMapChange& row, const DiffColors& colors,
                     std::ostream& out) {
    if (row.kind == ChangeKind::kRemoved) {
        out << Paint("  layer map " + std::to_string(row.oldRow) +
                         " removed: " + RowText(*change.before, row.oldRow),
                     colors.removed, colors);
    } else if (row.kind == ChangeKind::kAdded) {
        out << Paint("  layer map " + std::to_string(row.newRow) +
                         " added: " + RowText(*change.after, row.newRow),
                     colors.added, colors);
    } else {
        out << "  layer map " << row.newRow << ":";
        const char* separator = " ";
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            const auto oldRow = static_cast<std::uint32_t>(row.oldRow);
            const auto newRow = static_cast<std::uint32_t>(row.newRow);
            const std::string old = LayerMapText(*change.before, oldRow, column);
            const std::string now = LayerMapText(*change.after, newRow, column);
            if (old == now) continue;
            out << separator << LayerMapColumnName(column) << ' '
                << Paint(Cell(old), colors.removed, colors) << " -> "
                << Paint(Cell(now), colors.added, colors);
            separator = ", ";
        }
    }
    out << '\n';
}

void WriteChangeJson(JsonWriter& json, const BlockChange& change) {
    json.BeginObject().Key("id").String(change.id).Key("change").String(KindName(change.kind));
    if (change.kind != ChangeKind::kChanged) {
        json.Key("block");
        WriteBlockJson(json, change.after ? *change.after : *change.before);
        json.EndObject();
        return;
    }
    json.Key("properties").BeginArray();
    for (const PropertyChange& property : change.properties) {
        json.BeginObject().Key("field").String(PropertyName(property.index));
        json.Key("old").String(property.before).Key("new").String(property.after).EndObject();
    }
    json.EndArray().Key("layer_maps").BeginArray();
    for (const LayerMapChange& row : change.layerMaps) {
        json.BeginObject().Key("change").String(KindName(row.kind));
        if (row.oldRow >= 0) json.Key("old_row").Number(row.oldRow);
        if (row.newRow >= 0) json.Key("new_row").Number(row.newRow);
        if (row.oldRow >= 0) {
            json.Key("old");
            WriteLayerMapJson(json, *change.before, static_cast<std::uint32_t>(row.oldRow));
        }
        if (row.newRow >= 0) {
            json.Key("new");
            WriteLayerMapJson(json, *change.after, static_cast<std::uint32_t>(row.newRow));
        }
        json.EndObject();
    }
    json.EndArray().EndObject();
}

}  // namespace

void PrintDiffText(const std::vector<BlockChange>& changes, const std::string& oldName,
                   const std::string& newName, std::ostream& out, const DiffExtras& extras) {
    if (changes.empty() && extras.notes.empty()) return;
    const DiffColors& colors = extras.colors;
    out << Paint("--- " + Cell(oldName), colors.heading, colors) << '\n'
        << Paint("+++ " + Cell(newName), colors.heading, colors) << '\n';
    for (const std::string& note : extras.notes) out << note << '\n';
    for (const BlockChange& change : changes) {
        const std::string& color = change.kind == ChangeKind::kAdded     ? colors.added
                                   : change.kind == ChangeKind::kRemoved ? colors.removed
                                                                         : colors.changed;
        out << Paint(KindName(change.kind) + (' ' + Cell(change.id)), color, colors) << '\n';
        if (change.kind != ChangeKind::kChanged) {
            PrintWholeBlock(change.after ? *change.after : *change.before, color, colors, out);
            continue;
        }
        for (const PropertyChange& property : change.properties) {
            out << "  " << PropertyName(property.index) << ": "
                << Paint(Cell(property.before), colors.removed, colors) << " -> "
                << Paint(Cell(property.after), colors.added, colors) << '\n';
        }
        for (const LayerMapChange& row : change.layerMaps)
            PrintChangedRow(change, row, colors, out);
    }
}

void PrintBlocksAsText(const CReuseBlockFile& blocks, std::ostream& out) {
    std::vector<std::pair<std::string, const CReuseBlock*>> sorted;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock* block = blocks.GetNext(position);
        sorted.emplace_back(PropertyText(*block, 0), block);
    }
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [id, block] : sorted) {
        out << "block " << Cell(id) << '\n';
        for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
            out << "  " << PropertyName(index) << ": " << Cell(PropertyText(*block, index)) << '\n';
        }
        for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
            out << "  layer map " << row << ": " << RowText(*block, static_cast<long>(row)) << '\n';
        }
    }
}

void PrintDiffStat(const std::vector<BlockChange>& changes, std::ostream& out) {
    if (changes.empty()) return;
    AlignedTable table;
    for (const BlockChange& change : changes) {
        std::string what = KindName(change.kind);
        if (change.kind == ChangeKind::kChanged) {
            std::string parts;
            if (!change.properties.empty()) {
                parts = Counted(change.properties.size(), "property", "properties");
            }
            if (!change.layerMaps.empty()) {
                parts += (parts.empty() ? "" : ", ") +
                         Counted(change.layerMaps.size(), "layer map", "layer maps");
            }
            what = parts + " changed";
        }
        table.AddRow({change.id, what});
    }
    table.Print(out);
    out << Counted(changes.size(), "block differs", "blocks differ");
    for (const ChangeKind kind : kKinds) {
        out << (kind == kKinds[0] ? ": " : ", ") << CountOf(changes, kind) << ' ' << KindName(kind);
    }
    out << '\n';
}

void PrintDiffJson(const std::vector<BlockChange>& changes, const std::string& oldName,
                   const std::string& newName) {
    std::string out;
    JsonWriter json(out, JsonWriter::Layout::kPretty, SendToStandardOutput);
    json.BeginObject().Key("old").String(oldName).Key("new").String(newName);
    json.Key("equal").Bool(changes.empty());
    for (const ChangeKind kind : kKinds) json.Key(KindName(kind)).Number(CountOf(changes, kind));
    json.Key("blocks").BeginArray();
    for (const BlockChange& change : changes) WriteChangeJson(json, change);
    json.EndArray().EndObject();
    out += '\n';
    SendToStandardOutput(out);
}

}  // namespace reuseblocks::tool
