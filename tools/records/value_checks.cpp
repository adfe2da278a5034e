// SPDX-License-Identifier: MIT
#include "value_checks.h"

#include "records/fields.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

ValuePlace PlaceOfProperty(std::uint32_t index) {
    if (index == kBlockHierName) return ValuePlace::kBlockID;
    return index == kQorStatus ? ValuePlace::kLast : ValuePlace::kMiddle;
}

ValuePlace PlaceOfLayerMapColumn(std::uint32_t column) {
    return column + 1 == CReuseBlock::kLayerMapColumnCount ? ValuePlace::kLastColumn
                                                           : ValuePlace::kColumn;
}

std::string UnwritableValue(std::string_view field, const std::string& value, ValuePlace place) {
    // The library takes values as C strings, so a NUL byte would cut the value short.
    if (value.find('\0') != std::string::npos) {
        return std::string(field) + " value holds a NUL byte, which a blocks file cannot hold";
    }
    const std::string problems = DescribeRoundTripReasons(RoundTripReasonsOf(value, place));
    if (problems.empty()) return {};
    return std::string(field) + " value " + Quoted(value) + " " + problems +
           ", which a blocks file cannot hold";
}

bool IsWritable(std::string_view value, ValuePlace place) {
    // Values are mostly a few bytes long, which a plain loop checks quicker than a call.
    bool nul = false;
    for (const char c : value) nul |= c == '\0';
    return !nul && RoundTripReasonsOf(value, place) == 0;
}

std::string MissingProperties(const std::array<bool, CReuseBlock::kPropertyCount>& given) {
    std::string missing;
    for (std::uint32_t index = 0; index < given.size(); ++index) {
        const bool supplied = index == kBlockHierName || index == kBlockType ||
                              index == kBlockStatus || index == kQorStatus;
        if (!given[index] && !supplied) {
            missing += (missing.empty() ? "" : " ") + std::string(PropertyName(index));
        }
    }
    return missing;
}

}  // namespace reuseblocks::tool
