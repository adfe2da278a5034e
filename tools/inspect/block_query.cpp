// SPDX-License-Identifier: MIT
#include "block_query.h"

#include <algorithm>
#include "cli/near_miss.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

QueryField ParseField(const std::string& text) {
    const std::string name = Upper(text);
    if (name == "ID") return {name, kBlockHierName};
    if (name == "SYMBOL") return {name, QueryField::kSymbol};
    if (name == "MAPS") return {name, QueryField::kMaps};
    if (const std::optional<std::uint32_t> index = FindProperty(name)) {
        return {name, static_cast<int>(*index)};
    }
    std::vector<std::string_view> names = {"ID", "SYMBOL", "MAPS"};
    names.insert(names.end(), kPropertyNames.begin(), kPropertyNames.end());
    const std::string nearest = NearestName(text, names);
    throw UsageError("unknown field " + Quoted(text) +
                     (nearest.empty() ? "" : "; did you mean " + nearest + "?") + "; fields are " +
                     PropertyNameList() + ", ID, SYMBOL and MAPS");
}

}  // namespace

std::string QueryField::ValueOf(const CReuseBlock& block) const {
    if (property == kSymbol) return std::string(block.GetBlockSymbolName().GetView());
    if (property == kMaps) return std::to_string(block.GetLayerMapCount());
    return std::string(block.GetProperty(static_cast<std::uint32_t>(property)).GetView());
}

std::vector<QueryField> ParseFields(const std::vector<std::string>& lists) {
    std::vector<QueryField> fields;
    for (const std::string& list : lists) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            const std::string name = list.substr(start, comma - start);
            if (name.empty()) throw UsageError("empty field name in --fields " + Quoted(list));
            fields.push_back(ParseField(name));
            if (comma == list.size()) break;
            start = comma + 1;
        }
    }
    return fields;
}

std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts) {
    std::vector<QueryCondition> conditions;
    for (const std::string& text : texts) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos || equals == 0) {
            throw UsageError("expected FIELD=VALUE or FIELD!=VALUE after --where, got " +
                             Quoted(text));
        }
        const bool differs = text[equals - 1] == '!';
        conditions.push_back({ParseField(text.substr(0, differs ? equals - 1 : equals)),
                              text.substr(equals + 1), !differs});
    }
    return conditions;
}

bool Matches(const CReuseBlock& block, const std::vector<QueryCondition>& conditions) {
    return std::all_of(conditions.begin(), conditions.end(), [&](const QueryCondition& condition) {
        return (condition.field.ValueOf(block) == condition.value) == condition.equal;
    });
}

}  // namespace reuseblocks::tool
