// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H
#define REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H

#include <reuseblocks/fields.h>
#include <reuseblocks/reuseblocks.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

using reuseblocks::kLayerMapColumnNames;
using reuseblocks::kPropertyNames;
using reuseblocks::LayerMapColumnName;
using reuseblocks::Property;
using reuseblocks::PropertyName;

// The two fields that are no property but what `list` derives from a block.
inline constexpr int kSymbolField = -1;  // the last part of BLOCK_PATH
inline constexpr int kMapsField = -2;    // how many layer maps it has

// Another name of a field: the column headers of `list`'s table, which is what a user copies.
struct FieldAlias {
    std::string_view name;
    int field;  // a property index, kSymbolField or kMapsField
};
inline constexpr std::array<FieldAlias, 8> kFieldAliases = {{
    {"ID", kBlockHierName},
    {"SYMBOL", kSymbolField},
    {"TYPE", kBlockType},
    {"STATUS", kBlockStatus},
    {"X", kXLoc},
    {"Y", kYLoc},
    {"QOR", kQorStatus},
    {"MAPS", kMapsField},
}};

// The tool's one reading of a field name, wherever one is given (--fields, --where, set, add,
// --color-by, an imported header): a property's field name or an alias, case ignored, so "x",
// "XLOC" and "xloc" are all XLOC. A property index, kSymbolField or kMapsField.
std::optional<int> FieldNamedByUser(std::string_view name);

// The same for where only a property will do: SYMBOL and MAPS are not found.
std::optional<std::uint32_t> PropertyNamedByUser(std::string_view name);

// Which fields a command takes, for its message about one it does not know.
enum class KnownFields { kProperties, kPropertiesSymbolAndMaps };

// 'unknown field "XLOCC"; did you mean "XLOC"?', or the list of fields when none is near: the
// one message for a field name no command knows.
std::string UnknownField(std::string_view name, KnownFields known = KnownFields::kProperties);

// The text of a value, as the tool keeps it.
std::string Text(const CString& value);

// A property or a layer-map cell of a block. The const accessors return copies, so the text is
// kept rather than viewed.
std::string PropertyText(const CReuseBlock& block, std::uint32_t index);
std::string LayerMapText(const CReuseBlock& block, std::uint32_t row, std::uint32_t column);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H
