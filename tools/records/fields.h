// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H
#define REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H

#include <reuseblocks/fields.h>
#include <reuseblocks/reuseblocks.h>

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
std::optional<std::uint32_t> FindProperty(std::string_view name);

// All property names, blank-separated, for error messages.
std::string PropertyNameList();

// The text of a value, as the tool keeps it.
std::string Text(const CString& value);

// A property or a layer-map cell of a block. The const accessors return copies, so the text is
// kept rather than viewed.
std::string PropertyText(const CReuseBlock& block, std::uint32_t index);
std::string LayerMapText(const CReuseBlock& block, std::uint32_t row, std::uint32_t column);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_FIELDS_H
