// SPDX-License-Identifier: MIT
#include "lsp/field_meanings.h"

#include <reuseblocks/fields.h>

#include <array>
#include <utility>

namespace reuseblocks::tool::lsp {

std::string_view FieldMeaning(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kMeanings = {{
        {kPropertyNames[kBlockHierName], "the block ID: its hierarchical name, unique in the file"},
        {kPropertyNames[kBlockPath], "path of the block symbol, e.g. $REUSE/other_libs/optics"},
        {kPropertyNames[kBlockType], "Smashed, Primitive or Replica"},
        {kPropertyNames[kBlockStatus], "Unplaced, Placed or Planned"},
        {kPropertyNames[kXLoc], "X of the block's location, in UNITS"},
        {kPropertyNames[kYLoc], "Y of the block's location, in UNITS"},
        {kPropertyNames[kSide], "the board side the block sits on: TOP or BOTTOM"},
        {kPropertyNames[kRotation], "rotation of the block, in degrees"},
        {kPropertyNames[kUnits], "unit of XLOC and YLOC: mils or mm"},
        {kPropertyNames[kIntXLoc], "XLOC in database units (254 to a mil, 10000 to a millimetre)"},
        {kPropertyNames[kIntYLoc], "YLOC in database units (254 to a mil, 10000 to a millimetre)"},
        {kPropertyNames[kQorStatus], "Processed or Unprocessed"},
        {kLayerMapColumnNames[kBlockLayerOrder], "physical layer order number in the block design"},
        {kLayerMapColumnNames[kBlockLayerName], "layer name in the block design"},
        {kLayerMapColumnNames[kDesignOrder], "physical layer order number in the host design"},
        {kLayerMapColumnNames[kDesignLayerName], "layer name in the host design"},
        {kMappingKeyword, "marks a layer-map row of the block defined last"},
    }};
    for (const auto& [field, meaning] : kMeanings) {
        if (field == name) return meaning;
    }
    return {};
}

}  // namespace reuseblocks::tool::lsp
