// SPDX-License-Identifier: MIT
// textDocument/documentSymbol: the blocks, each with its layer maps.
#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

namespace {

constexpr int kStructSymbol = 23;
constexpr int kFieldSymbol = 8;

}  // namespace

nlohmann::json DocumentSymbols(const OpenDocument& document) {
    const TextDocument& text = *document.text;
    nlohmann::json symbols = nlohmann::json::array();
    for (const BlockIndex::Block& block : document.Blocks().Blocks()) {
        nlohmann::json children = nlohmann::json::array();
        std::size_t end = text.OffsetOfView(block.values.back()) + block.values.back().size();
        for (std::size_t row = 0; row < block.mappings.size(); ++row) {
            const RecordLine line = ReadRecordLine(text, block.mappings[row]);
            if (line.trimmed.empty()) continue;
            std::string name = "layer map " + std::to_string(row);
            if (line.fields.size() >= format::kMappingFieldCount) {
                name += ": " + std::string(line.fields[2]) + " " + std::string(line.fields[3]) +
                        " -> " + std::string(line.fields[4]) + " " + std::string(line.fields[5]);
            }
            const nlohmann::json range = RangeJson(text, line.trimmed);
            children.push_back({{"name", name},
                                {"kind", kFieldSymbol},
                                {"range", range},
                                {"selectionRange", range}});
            end = text.OffsetOfView(line.trimmed) + line.trimmed.size();
        }
        const std::size_t begin = text.OffsetOfView(format::TrimLine(text.LoaderLine(block.line)));
        nlohmann::json symbol = {{"name", std::string(block.id)},
                                 {"kind", kStructSymbol},
                                 {"range", RangeJson(text, begin, end)},
                                 {"selectionRange", RangeJson(text, block.id)},
                                 {"children", std::move(children)}};
        if (block.values.size() > kBlockPath)
            symbol["detail"] = std::string(block.values[kBlockPath]);
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

}  // namespace reuseblocks::tool::lsp
