// SPDX-License-Identifier: MIT
// textDocument/completion: the conventional values of the field at the cursor, as check holds a
// value to them, and block IDs on mapping lines.
#include <algorithm>

#include "inspect/lint.h"
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

namespace {

constexpr int kValueItem = 12;
constexpr int kReferenceItem = 18;
// Enough IDs to pick from; the block the line belongs to comes first.
constexpr std::size_t kMostIds = 200;

nlohmann::json Item(const TextDocument& text, std::string_view label, int kind,
                    std::string_view detail, std::size_t begin, std::size_t end) {
    return {
        {"label", std::string(label)},
        {"kind", kind},
        {"detail", std::string(detail)},
        {"textEdit", {{"range", RangeJson(text, begin, end)}, {"newText", std::string(label)}}}};
}

}  // namespace

nlohmann::json Completion(const OpenDocument& document, const nlohmann::json& params) {
    const TextDocument& text = *document.text;
    nlohmann::json items = nlohmann::json::array();
    const auto list = [&items](bool incomplete) {
        return nlohmann::json{{"isIncomplete", incomplete}, {"items", std::move(items)}};
    };
    const std::optional<std::size_t> offset = PositionParam(text, params);
    if (!offset) return list(false);
    const RecordLine line = ReadRecordLine(text, text.LoaderLineAt(*offset));
    if (line.kind != format::LineKind::kDefinition && line.kind != format::LineKind::kMapping) {
        return list(false);
    }
    // The field being typed over, or the new one the cursor starts.
    std::size_t field = 0;
    std::size_t begin = *offset;
    std::size_t end = *offset;
    if (const std::optional<std::size_t> at = FieldAt(line, text, *offset)) {
        field = *at;
        begin = text.OffsetOfView(line.fields[field]);
        end = begin + line.fields[field].size();
    } else {
        while (field < line.fields.size() && text.OffsetOfView(line.fields[field]) < *offset) {
            ++field;
        }
    }
    const std::string_view name = FieldNameOf(line.kind, field);
    if (line.kind == format::LineKind::kDefinition) {
        if (const auto* values = ConventionalValues(static_cast<Property>(field))) {
            for (const std::string_view value : *values) {
                items.push_back(Item(text, value, kValueItem, name, begin, end));
            }
        }
        return list(false);
    }
    if (field != 1) return list(false);
    const BlockIndex::Block* owner = document.Blocks().Owner(line.number);
    if (owner)
        items.push_back(
            Item(text, owner->id, kReferenceItem, "the block defined last", begin, end));
    const std::string_view typed = std::string_view(text.Text()).substr(begin, *offset - begin);
    for (const BlockIndex::Block& block : document.Blocks().Blocks()) {
        if (items.size() >= kMostIds) break;
        if (&block == owner || block.id.substr(0, typed.size()) != typed) continue;
        if (document.Blocks().Find(block.id) != &block) continue;  // a repeated ID once
        items.push_back(Item(text, block.id, kReferenceItem, "block ID", begin, end));
    }
    return list(items.size() >= kMostIds);
}

}  // namespace reuseblocks::tool::lsp
