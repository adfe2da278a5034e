// SPDX-License-Identifier: MIT
// `show`: one block of a loaded file.
#include <iostream>

#include "commands/commands.h"
#include "edit/loading.h"
#include "records/block_json.h"
#include "records/fields.h"
#include "terminal/standard_output.h"
#include "terminal/table.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

namespace {

void PrintJson(const CReuseBlock& block) {
    std::string out;
    JsonWriter json(out, JsonWriter::Layout::kPretty, SendToStandardOutput);
    WriteBlockJson(json, block);
    out += '\n';
    SendToStandardOutput(out);
}

}  // namespace

int RunShow(const ShowOptions& options) {
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const CReuseBlock& block = BlockOrFail(blocks, options.file, options.id);
    if (options.json) {
        PrintJson(block);
        return kExitSuccess;
    }
    AlignedTable properties;
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        properties.AddRow({std::string(PropertyName(index)), PropertyText(block, index)});
    }
    properties.Print(std::cout);
    std::cout << '\n';
    if (block.GetLayerMapCount() == 0) {
        std::cout << "no layer maps\n";
        return kExitSuccess;
    }
    AlignedTable layerMaps;
    std::vector<std::string> header = {"ROW"};
    for (const std::string_view name : kLayerMapColumnNames) header.emplace_back(name);
    layerMaps.AddRow(header);
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        std::vector<std::string> cells = {std::to_string(row)};
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            cells.push_back(LayerMapText(block, row, column));
        }
        layerMaps.AddRow(cells);
    }
    layerMaps.Print(std::cout);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
