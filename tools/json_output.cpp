// SPDX-License-Identifier: MIT
#include "json_output.h"

#include <ostream>
#include <string>

#include "field_names.h"

namespace reuseblocks::tool {

namespace {

std::string Text(const CString& value) {
    return std::string(value.GetView());
}

}  // namespace

Json LayerMapToJson(const CReuseBlock& block, std::uint32_t row) {
    Json columns = Json::object();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        columns[std::string(LayerMapColumnName(column))] = Text(block.GetLayerMap(row, column));
    }
    return columns;
}

Json BlockToJson(const CReuseBlock& block) {
    Json properties = Json::object();
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        properties[std::string(PropertyName(index))] = Text(block.GetProperty(index));
    }
    Json layerMaps = Json::array();
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        layerMaps.push_back(LayerMapToJson(block, row));
    }
    Json json = Json::object();
    json["symbol"] = Text(block.GetBlockSymbolName());
    json["properties"] = std::move(properties);
    json["layer_maps"] = std::move(layerMaps);
    return json;
}

void PrintJson(const Json& value, std::ostream& out) {
    out << value.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace reuseblocks::tool
