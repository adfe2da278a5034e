// SPDX-License-Identifier: MIT
#include "field_names.h"

#include <algorithm>
#include <cctype>

namespace reuseblocks::tool {

static_assert(kPropertyNames.size() == kQorStatus + 1, "one name per property");

std::string_view PropertyName(std::uint32_t index) {
    return kPropertyNames.at(index);
}

std::string_view LayerMapColumnName(std::uint32_t column) {
    return kLayerMapColumnNames.at(column);
}

std::optional<std::uint32_t> FindProperty(std::string_view name) {
    const auto sameLetters = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    };
    for (std::uint32_t index = 0; index < kPropertyNames.size(); ++index) {
        const std::string_view candidate = kPropertyNames[index];
        if (std::equal(name.begin(), name.end(), candidate.begin(), candidate.end(), sameLetters)) {
            return index;
        }
    }
    return std::nullopt;
}

std::string PropertyNameList() {
    std::string list;
    for (const std::string_view name : kPropertyNames) {
        if (!list.empty()) list += ' ';
        list += name;
    }
    return list;
}

}  // namespace reuseblocks::tool
