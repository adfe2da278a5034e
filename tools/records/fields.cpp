// SPDX-License-Identifier: MIT
#include "fields.h"

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
