// SPDX-License-Identifier: MIT
#include "fields.h"

#include <vector>

#include "cli/near_miss.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

std::optional<int> FieldNamedByUser(std::string_view name) {
    if (const std::optional<Property> property = FindProperty(name, NameCase::kIgnored)) {
        return static_cast<int>(*property);
    }
    for (const FieldAlias& alias : kFieldAliases) {
        if (ascii::EqualsIgnoringCase(name, alias.name)) return alias.field;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> PropertyNamedByUser(std::string_view name) {
    const std::optional<int> field = FieldNamedByUser(name);
    if (!field || *field < 0) return std::nullopt;
    return static_cast<std::uint32_t>(*field);
}

std::string UnknownField(std::string_view name, KnownFields known) {
    const bool derived = known == KnownFields::kPropertiesSymbolAndMaps;
    std::vector<std::string_view> names(kPropertyNames.begin(), kPropertyNames.end());
    for (const FieldAlias& alias : kFieldAliases) {
        if (alias.field >= 0 || derived) names.push_back(alias.name);
    }
    const std::string nearest = NearestName(name, names);
    const std::string message = "unknown field " + Quoted(name);
    if (!nearest.empty()) return message + DidYouMean(nearest);
    std::string list;
    for (const std::string_view field : kPropertyNames) list += " " + std::string(field);
    if (derived) list += " SYMBOL MAPS";
    return message + "; fields are" + list;
}

std::string Text(const CString& value) {
    return std::string(value.GetView());
}

std::string PropertyText(const CReuseBlock& block, std::uint32_t index) {
    return Text(block.GetPropertyRef(index));
}

std::string LayerMapText(const CReuseBlock& block, std::uint32_t row, std::uint32_t column) {
    return Text(block.GetLayerMapRef(row, column));
}

}  // namespace reuseblocks::tool
