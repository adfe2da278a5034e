// SPDX-License-Identifier: MIT
#include "block_json.h"

#include "records/fields.h"

namespace reuseblocks::tool {

void WriteLayerMapJson(JsonWriter& json, const CReuseBlock& block, std::uint32_t row) {
    json.BeginObject();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        json.Key(LayerMapColumnName(column)).String(block.GetLayerMapRef(row, column).GetView());
    }
    json.EndObject();
}

void WriteBlockJson(JsonWriter& json, const CReuseBlock& block) {
    json.BeginObject().Key("symbol").String(block.GetBlockSymbolName().GetView());
    json.Key("properties").BeginObject();
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        json.Key(PropertyName(index)).String(block.GetPropertyRef(index).GetView());
    }
    json.EndObject().Key("layer_maps").BeginArray();
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        WriteLayerMapJson(json, block, row);
    }
    json.EndArray().EndObject();
}

}  // namespace reuseblocks::tool
