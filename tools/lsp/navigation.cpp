// SPDX-License-Identifier: MIT
// textDocument/definition and textDocument/references: from a block's ID to where it is defined
// and to its mapping lines.
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

namespace {

// The block ID under the cursor: a definition line's first field or a mapping line's second.
std::optional<std::string_view> IdAt(const OpenDocument& document, const nlohmann::json& params) {
    const TextDocument& text = *document.text;
    const std::optional<std::size_t> offset = PositionParam(text, params);
    if (!offset) return std::nullopt;
    const RecordLine line = ReadRecordLine(text, text.LoaderLineAt(*offset));
    const std::optional<std::size_t> field = FieldAt(line, text, *offset);
    const std::size_t idField = line.kind == format::LineKind::kMapping ? 1 : 0;
    if (!field || *field != idField) return std::nullopt;
    return line.fields[idField];
}

}  // namespace

nlohmann::json Definition(const OpenDocument& document, const nlohmann::json& params) {
    const std::optional<std::string_view> id = IdAt(document, params);
    if (!id) return nullptr;
    const BlockIndex::Block* block = document.Blocks().Find(*id);
    if (!block) return nullptr;
    return LocationJson(document, block->id);
}

nlohmann::json References(const OpenDocument& document, const nlohmann::json& params) {
    const std::optional<std::string_view> id = IdAt(document, params);
    if (!id) return nullptr;
    const bool declaration =
        params.contains("context") && params.at("context").value("includeDeclaration", false);
    nlohmann::json locations = nlohmann::json::array();
    for (const BlockIndex::Block& block : document.Blocks().Blocks()) {
        if (block.id != *id) continue;
        if (declaration) locations.push_back(LocationJson(document, block.id));
        for (const unsigned long number : block.mappings) {
            const RecordLine line = ReadRecordLine(*document.text, number);
            if (line.fields.size() >= 2 && line.fields[1] == *id) {
                locations.push_back(LocationJson(document, line.fields[1]));
            }
        }
    }
    return locations;
}

}  // namespace reuseblocks::tool::lsp
