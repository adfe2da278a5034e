// SPDX-License-Identifier: MIT
// `show`: one block of a loaded file.
#include <iostream>

#include "blocks_io.h"
#include "commands.h"
#include "field_names.h"
#include "json_output.h"
#include "text_output.h"
#include "tool_error.h"

namespace reuseblocks::tool {

namespace {

std::string Value(const CReuseBlock& block, std::uint32_t index) {
    return Cell(std::string(block.GetProperty(index).GetView()));
}

}  // namespace

int RunShow(const ShowOptions& options) {
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const CReuseBlock& block = BlockOrFail(blocks, options.file, options.id);
    if (options.json) {
        PrintJson(BlockToJson(block), std::cout);
        return kExitSuccess;
    }
    AlignedTable properties;
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        properties.AddRow({std::string(PropertyName(index)), Value(block, index)});
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
    layerMaps.AddRow(std::move(header));
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        std::vector<std::string> cells = {std::to_string(row)};
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            cells.push_back(Cell(std::string(block.GetLayerMap(row, column).GetView())));
        }
        layerMaps.AddRow(std::move(cells));
    }
    layerMaps.Print(std::cout);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
