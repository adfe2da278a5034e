// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_FIELD_NAMES_H
#define REUSEBLOCKS_TOOLS_FIELD_NAMES_H

#include <reuseblocks/fields.h>

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

// The property called `name` on the command line; case does not matter, so "xloc" finds XLOC.
inline std::optional<std::uint32_t> FindProperty(std::string_view name) {
    const std::optional<Property> property = reuseblocks::FindProperty(name, NameCase::kIgnored);
    if (!property) return std::nullopt;
    return *property;
}

// All property names, blank-separated, for error messages.
std::string PropertyNameList();

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_FIELD_NAMES_H
