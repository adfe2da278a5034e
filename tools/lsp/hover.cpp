// SPDX-License-Identifier: MIT
// textDocument/hover: what the field under the cursor is, and which block a line belongs to.
#include <string>

#include "lsp/field_meanings.h"
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

namespace {

std::string Value(const BlockIndex::Block& block, Property property) {
    return property < block.values.size() ? std::string(block.values[property]) : "?";
}

std::string Summary(const BlockIndex::Block& block) {
    std::string text = "block " + std::string(block.id) + " (line " + std::to_string(block.line) +
                       ")\n" + Value(block, kBlockPath) + "\n" + Value(block, kBlockType) + ", " +
                       Value(block, kBlockStatus) + ", " + Value(block, kQorStatus) + "\nat " +
                       Value(block, kXLoc) + ", " + Value(block, kYLoc) + " " +
                       Value(block, kUnits) + " on " + Value(block, kSide) + ", rotated " +
                       Value(block, kRotation) + "\n" + std::to_string(block.mappings.size()) +
                       (block.mappings.size() == 1 ? " layer map" : " layer maps");
    if (block.values.size() < kPropertyCount) {
        text += "\n" + std::to_string(block.values.size()) + " of " +
                std::to_string(kPropertyCount) + " fields: the loader rejects the line";
    }
    return text;
}

std::string FieldText(format::LineKind kind, std::size_t field) {
    const std::string_view name = FieldNameOf(kind, field);
    if (name.empty()) return "a field beyond the record's count: the loader ignores it";
    return std::string(name) + ": " + std::string(FieldMeaning(name));
}

}  // namespace

nlohmann::json Hover(const OpenDocument& document, const nlohmann::json& params) {
    const TextDocument& text = *document.text;
    const std::optional<std::size_t> offset = PositionParam(text, params);
    if (!offset) return nullptr;
    const RecordLine line = ReadRecordLine(text, text.LoaderLineAt(*offset));
    const std::optional<std::size_t> field = FieldAt(line, text, *offset);
    if (!field) return nullptr;
    std::string value;
    const BlockIndex::Block* owner = document.Blocks().Owner(line.number);
    if (line.kind == format::LineKind::kDefinition && *field == kBlockHierName && owner) {
        value = Summary(*owner);
        const BlockIndex::Block* first = document.Blocks().Find(owner->id);
        if (first && first != owner) {
            value += "\nthe ID was first defined at line " + std::to_string(first->line);
        }
    } else if (line.kind == format::LineKind::kMapping && *field == 1 && owner) {
        value = "a layer map of " + Summary(*owner);
    } else {
        value = FieldText(line.kind, *field);
        if (line.kind == format::LineKind::kMapping && owner) {
            value += "\na layer map of block " + std::string(owner->id) + " (line " +
                     std::to_string(owner->line) + ")";
        }
    }
    return {{"contents", {{"kind", "plaintext"}, {"value", value}}},
            {"range", RangeJson(text, line.fields[*field])}};
}

}  // namespace reuseblocks::tool::lsp
