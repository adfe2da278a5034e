// SPDX-License-Identifier: MIT
// `diff`: two files compared as collections of blocks, the way a reviewer reads a change.
#include <iostream>

#include "block_diff.h"
#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "json_output.h"
#include "standard_streams.h"
#include "text_output.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

// diff(1)'s statuses: scripts and git read them so.
constexpr int kDiffEqual = 0;
constexpr int kDiffDifferent = 1;
constexpr int kDiffTrouble = 2;

std::string Text(const CString& value) {
    return std::string(value.GetView());
}

std::string RowText(const CReuseBlock& block, long row) {
    std::string text;
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        if (column > 0) text += ' ';
        text += Cell(Text(block.GetLayerMap(static_cast<std::uint32_t>(row), column)));
    }
    return text;
}

const char* KindName(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::kAdded:
            return "added";
        case ChangeKind::kRemoved:
            return "removed";
        case ChangeKind::kChanged:
            break;
    }
    return "changed";
}

void PrintWholeBlock(const CReuseBlock& block, std::ostream& out) {
    std::string values;
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        values += (index > 1 ? " " : "") + Cell(Text(block.GetProperty(index)));
    }
    out << "  " << values << '\n';
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        out << "  layer map " << row << ": " << RowText(block, static_cast<long>(row)) << '\n';
    }
}

void PrintChangedRow(const BlockChange& change, const LayerMapChange& row, std::ostream& out) {
    if (row.kind == ChangeKind::kRemoved) {
        out << "  layer map " << row.oldRow << " removed: " << RowText(*change.before, row.oldRow);
    } else if (row.kind == ChangeKind::kAdded) {
        out << "  layer map " << row.newRow << " added: " << RowText(*change.after, row.newRow);
    } else {
        out << "  layer map " << row.newRow << ":";
        const char* separator = " ";
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            const auto oldRow = static_cast<std::uint32_t>(row.oldRow);
            const auto newRow = static_cast<std::uint32_t>(row.newRow);
            const std::string old = Text(change.before->GetLayerMap(oldRow, column));
            const std::string now = Text(change.after->GetLayerMap(newRow, column));
            if (old == now) continue;
            out << separator << LayerMapColumnName(column) << ' ' << Cell(old) << " -> "
                << Cell(now);
            separator = ", ";
        }
    }
    out << '\n';
}

void PrintText(const std::vector<BlockChange>& changes, const std::string& oldName,
               const std::string& newName, std::ostream& out) {
    if (changes.empty()) return;
    out << "--- " << oldName << "\n+++ " << newName << '\n';
    for (const BlockChange& change : changes) {
        out << KindName(change.kind) << ' ' << change.id << '\n';
        if (change.kind != ChangeKind::kChanged) {
            PrintWholeBlock(change.after ? *change.after : *change.before, out);
            continue;
        }
        for (const PropertyChange& property : change.properties) {
            out << "  " << PropertyName(property.index) << ": " << Cell(property.before) << " -> "
                << Cell(property.after) << '\n';
        }
        for (const LayerMapChange& row : change.layerMaps) PrintChangedRow(change, row, out);
    }
}

std::string Tally(const std::vector<BlockChange>& changes, ChangeKind kind) {
    return std::to_string(std::count_if(changes.begin(), changes.end(),
                                        [&](const BlockChange& c) { return c.kind == kind; })) +
           " " + KindName(kind);
}

void PrintStat(const std::vector<BlockChange>& changes, std::ostream& out) {
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
    out << Counted(changes.size(), "block differs", "blocks differ") << ": "
        << Tally(changes, ChangeKind::kAdded) << ", " << Tally(changes, ChangeKind::kRemoved)
        << ", " << Tally(changes, ChangeKind::kChanged) << '\n';
}

Json ChangeJson(const BlockChange& change) {
    Json json = {{"id", change.id}, {"change", KindName(change.kind)}};
    if (change.kind != ChangeKind::kChanged) {
        json["block"] = BlockToJson(change.after ? *change.after : *change.before);
        return json;
    }
    json["properties"] = Json::array();
    for (const PropertyChange& property : change.properties) {
        json["properties"].push_back({{"field", PropertyName(property.index)},
                                      {"old", property.before},
                                      {"new", property.after}});
    }
    json["layer_maps"] = Json::array();
    for (const LayerMapChange& row : change.layerMaps) {
        Json item = {{"change", KindName(row.kind)}};
        if (row.oldRow >= 0) item["old_row"] = row.oldRow;
        if (row.newRow >= 0) item["new_row"] = row.newRow;
        if (row.oldRow >= 0)
            item["old"] = LayerMapToJson(*change.before, static_cast<std::uint32_t>(row.oldRow));
        if (row.newRow >= 0)
            item["new"] = LayerMapToJson(*change.after, static_cast<std::uint32_t>(row.newRow));
        json["layer_maps"].push_back(std::move(item));
    }
    return json;
}

Json DiffJson(const std::vector<BlockChange>& changes, const std::string& oldName,
              const std::string& newName) {
    Json json = {{"old", oldName}, {"new", newName}, {"equal", changes.empty()}};
    for (const ChangeKind kind : {ChangeKind::kAdded, ChangeKind::kRemoved, ChangeKind::kChanged}) {
        json[KindName(kind)] = std::count_if(changes.begin(), changes.end(),
                                             [&](const BlockChange& c) { return c.kind == kind; });
    }
    json["blocks"] = Json::array();
    for (const BlockChange& change : changes) json["blocks"].push_back(ChangeJson(change));
    return json;
}

// A file that does not load is trouble, status 2, as for diff(1).
void LoadForDiff(CReuseBlockFile& blocks, const std::string& path) {
    try {
        LoadOrFail(blocks, path);
    } catch (const ToolError& error) {
        throw ToolError(kDiffTrouble, error.what());
    }
}

}  // namespace

int RunDiff(const DiffOptions& options) {
    const std::vector<std::string>& args = options.files;
    std::string oldPath = args.size() == 2 ? args[0] : std::string();
    std::string newPath = args.size() == 2 ? args[1] : std::string();
    std::string oldName = DisplayName(oldPath);
    std::string newName = DisplayName(newPath);
    if (options.git) {
        // git runs a diff driver with PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE,
        // and NEW-PATH and a message after a rename; with PATH alone for an unmerged file.
        if (args.size() == 1) {
            std::cout << "* Unmerged path " << args[0] << '\n';
            return kDiffEqual;
        }
        if (args.size() != 7 && args.size() != 9) {
            throw UsageError("diff --git expects the 7 or 9 arguments git gives a diff driver");
        }
        oldPath = args[1];
        newPath = args[4];
        oldName = "a/" + args[0];
        newName = "b/" + args[args.size() == 9 ? 7 : 0];
    } else if (args.size() != 2) {
        throw UsageError("diff compares two files: reuseblocks diff OLD NEW");
    }

    CReuseBlockFile before;
    CReuseBlockFile after;
    LoadForDiff(before, oldPath);
    LoadForDiff(after, newPath);
    const std::vector<BlockChange> changes = CompareCollections(before, after);
    if (options.json) {
        PrintJson(DiffJson(changes, oldName, newName), std::cout);
    } else if (options.stat) {
        PrintStat(changes, std::cout);
    } else {
        PrintText(changes, oldName, newName, std::cout);
    }
    // git takes any status but 0 for a failed driver.
    if (options.git) return kDiffEqual;
    return changes.empty() ? kDiffEqual : kDiffDifferent;
}

}  // namespace reuseblocks::tool
