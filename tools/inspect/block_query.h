// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H
#define REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H

#include <reuseblocks/reuseblocks.h>

#include <string>
#include <vector>

namespace reuseblocks::tool {

// A column `list` can print or test: a property by its field name (or ID for BLOCK_HIER_NAME),
// or one of the two values derived from a block, SYMBOL (the last part of BLOCK_PATH) and MAPS
// (the number of layer maps).
struct QueryField {
    static constexpr int kSymbol = -1;
    static constexpr int kMaps = -2;

    std::string name;  // as the column header shows it
    int property = 0;  // a property index, kSymbol or kMaps

    std::string ValueOf(const CReuseBlock& block) const;
};

// The fields named in comma-separated `lists`, case ignored; an unknown name is a usage error.
std::vector<QueryField> ParseFields(const std::vector<std::string>& lists);

// FIELD=VALUE or FIELD!=VALUE: the field's value equals VALUE, or differs from it, exactly.
struct QueryCondition {
    QueryField field;
    std::string value;
    bool equal = true;
};
std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts);

// True when `block` meets every condition.
bool Matches(const CReuseBlock& block, const std::vector<QueryCondition>& conditions);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H
