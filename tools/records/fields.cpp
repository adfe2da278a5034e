// SPDX-License-Identifier: MIT
#include "fields.h"

#include <vector>

#include "cli/near_miss.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

std::optional<std::uint32_t> FindProperty(std::string_view name) {
    const std::optional<Property> property = reuseblocks::FindProperty(name, NameCase::kIgnored);
    if (!property) return std::nullopt;
    return *property;
}

std::string PropertyNameList() {
    std::string list;
    for (const std::string_view name : kPropertyNames) {
        if (!list.empty()) list += ' ';
        list += name;
    }
    return list;
}

std::string UnknownField(std::string_view name) {
    const std::string nearest = NearestName(
        name, std::vector<std::string_view>(kPropertyNames.begin(), kPropertyNames.end()));
    const std::string message = "unknown field " + Quoted(name);
    if (!nearest.empty()) return message + "; did you mean " + Quoted(nearest) + "?";
    return message + "; fields are " + PropertyNameList();
}

std::string Text(const CString& value) {
    return std::string(value.GetView());
}

std::string PropertyText(const CReuseBlock& block, std::uint32_t index) {
    return Text(block.GetProperty(index));
}

std::string LayerMapText(const CReuseBlock& block, std::uint32_t row, std::uint32_t column) {
    return Text(block.GetLayerMap(row, column));
}

}  // namespace reuseblocks::tool
