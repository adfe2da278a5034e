// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FIELD_NAMES_H
#define REUSEBLOCKS_TOOLS_FIELD_NAMES_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// Property indexes of CReuseBlock, by the field names of the file format.
enum Property : std::uint32_t {
    kBlockHierName,
    kBlockPath,
    kBlockType,
    kBlockStatus,
    kXLoc,
    kYLoc,
    kSide,
    kRotation,
    kUnits,
    kIntXLoc,
    kIntYLoc,
    kQorStatus,
};

inline constexpr std::array<std::string_view, 12> kPropertyNames = {
    "BLOCK_HIER_NAME", "BLOCK_PATH", "BLOCK_TYPE", "BLOCK_STATUS", "XLOC",       "YLOC", "SIDE",
    "ROTATION",        "UNITS",      "INT_XLOC",   "INT_YLOC",     "QOR_STATUS",
};

inline constexpr std::array<std::string_view, 4> kLayerMapColumnNames = {
    "BLOCK_LAYER_ORDER",
    "BLOCK_LAYER_NAME",
    "DESIGN_ORDER",
    "DESIGN_LAYER_NAME",
};

std::string_view PropertyName(std::uint32_t index);
std::string_view LayerMapColumnName(std::uint32_t column);

// The property called `name`; case does not matter, so "xloc" finds XLOC.
std::optional<std::uint32_t> FindProperty(std::string_view name);

// All property names, blank-separated, for error messages.
std::string PropertyNameList();

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FIELD_NAMES_H
