// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FIELDS_H
#define REUSEBLOCKS_FIELDS_H

// The vocabulary of the blocks file: its fields by index and by name, and the texts the format
// fixes. Header-only and constexpr, so that a host, the tool and the Python module share one list
// without linking anything and without touching the library's ABI.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "reuseblocks/ascii.h"

namespace reuseblocks {

// The properties of a block, in the order of a definition line. Unscoped, so that an enumerator
// goes wherever the library takes a property index: block->GetProperty(reuseblocks::kXLoc).
enum Property : std::uint32_t {
    kBlockHierName = 0,  // the block ID, and its key in the collection when it was created
    kBlockPath = 1,      // path of the block symbol, e.g. "$REUSE/other_libs/optics"
    kBlockType = 2,      // "Smashed", "Primitive" or "Replica"
    kBlockStatus = 3,    // "Unplaced", "Placed" or "Planned"
    kXLoc = 4,
    kYLoc = 5,
    kSide = 6,
    kRotation = 7,
    kUnits = 8,
    kIntXLoc = 9,  // the location in database units
    kIntYLoc = 10,
    kQorStatus = 11,  // "Processed" or "Unprocessed"
};
inline constexpr std::uint32_t kPropertyCount = 12;

// The columns of a layer-map row, in the order of a mapping line after the block ID.
enum LayerMapColumn : std::uint32_t {
    kBlockLayerOrder = 0,  // physical layer order number in the block design
    kBlockLayerName = 1,
    kDesignOrder = 2,  // physical layer order number in the host design
    kDesignLayerName = 3,
};
inline constexpr std::uint32_t kLayerMapColumnCount = 4;

inline constexpr std::array<std::string_view, kPropertyCount> kPropertyNames = {
    "BLOCK_HIER_NAME", "BLOCK_PATH", "BLOCK_TYPE", "BLOCK_STATUS", "XLOC",       "YLOC", "SIDE",
    "ROTATION",        "UNITS",      "INT_XLOC",   "INT_YLOC",     "QOR_STATUS",
};

inline constexpr std::array<std::string_view, kLayerMapColumnCount> kLayerMapColumnNames = {
    "BLOCK_LAYER_ORDER",
    "BLOCK_LAYER_NAME",
    "DESIGN_ORDER",
    "DESIGN_LAYER_NAME",
};

// Marks a layer-mapping line wherever it stands in a line; matched case-sensitively.
inline constexpr std::string_view kMappingKeyword = "map_block_host";
// The first line of every written file. Readers do not look at it.
inline constexpr std::string_view kFormatLine = "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0";
// A line whose first character after white space is this one is a comment.
inline constexpr char kCommentMark = '#';

// What CReuseBlock::Init sets; every other property is left as it is.
struct PropertyDefault {
    Property property;
    std::string_view value;
};
inline constexpr std::array<PropertyDefault, 3> kInitDefaults = {{
    {kBlockType, "Smashed"},
    {kBlockStatus, "Unplaced"},
    {kQorStatus, "Unprocessed"},
}};

// The values the header comment names for the properties that have conventions. The library
// never checks them; tools that lint a file do.
inline constexpr std::array<std::string_view, 3> kBlockTypes = {"Smashed", "Primitive", "Replica"};
inline constexpr std::array<std::string_view, 3> kBlockStatuses = {"Unplaced", "Placed", "Planned"};
inline constexpr std::array<std::string_view, 2> kQorStatuses = {"Processed", "Unprocessed"};

// The field name of a property or column; empty for an index out of range.
constexpr std::string_view PropertyName(std::uint32_t property) noexcept {
    return property < kPropertyCount ? kPropertyNames[property] : std::string_view();
}
constexpr std::string_view LayerMapColumnName(std::uint32_t column) noexcept {
    return column < kLayerMapColumnCount ? kLayerMapColumnNames[column] : std::string_view();
}

namespace detail {
template <std::size_t N>
constexpr std::optional<std::uint32_t> IndexOfName(const std::array<std::string_view, N>& names,
                                                   std::string_view name,
                                                   bool ignoreCase) noexcept {
    for (std::uint32_t index = 0; index < N; ++index) {
        const std::string_view candidate = names[index];
        bool same = candidate.size() == name.size();
        for (std::size_t i = 0; same && i < name.size(); ++i) {
            same = ignoreCase ? ascii::ToUpper(name[i]) == candidate[i] : name[i] == candidate[i];
        }
        if (same) return index;
    }
    return std::nullopt;
}
}  // namespace detail

// Letter case in a name given to a lookup.
enum class NameCase { kExact, kIgnored };

// The property whose field name is `name` ("XLOC"; with NameCase::kIgnored also "xloc").
constexpr std::optional<Property> FindProperty(std::string_view name,
                                               NameCase letterCase = NameCase::kExact) noexcept {
    const auto index = detail::IndexOfName(kPropertyNames, name, letterCase == NameCase::kIgnored);
    if (!index) return std::nullopt;
    return static_cast<Property>(*index);
}
constexpr std::optional<LayerMapColumn> FindLayerMapColumn(
    std::string_view name, NameCase letterCase = NameCase::kExact) noexcept {
    const auto index =
        detail::IndexOfName(kLayerMapColumnNames, name, letterCase == NameCase::kIgnored);
    if (!index) return std::nullopt;
    return static_cast<LayerMapColumn>(*index);
}

}  // namespace reuseblocks

#endif  // REUSEBLOCKS_FIELDS_H
