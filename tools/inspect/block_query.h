// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H
#define REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H

#include <reuseblocks/reuseblocks.h>

#include <string>
#include <string_view>
#include <vector>

#include "records/fields.h"

namespace reuseblocks::tool {

// A column `list` can print or test: a property, or one of the two values derived from a block,
// SYMBOL (the last part of BLOCK_PATH) and MAPS (the number of layer maps).
struct QueryField {
    static constexpr int kSymbol = kSymbolField;
    static constexpr int kMaps = kMapsField;

    std::string name;  // as the column header shows it
    int property = 0;  // a property index, kSymbol or kMaps

    std::string ValueOf(const CReuseBlock& block) const;
    // The same without a copy where the block holds it: a view into the block, or into `scratch`.
    std::string_view ViewOf(const CReuseBlock& block, std::string& scratch) const;
};

// The fields named in comma-separated `lists` (FieldNamedByUser); an unknown name is a usage
// error.
std::vector<QueryField> ParseFields(const std::vector<std::string>& lists);

// One test of a field: FIELD=A,B (any of the values), FIELD!=A,B (none of them), or FIELD<N,
// FIELD<=N, FIELD>N, FIELD>=N (a number; a value that is not one never passes). A value with * or
// ? is a glob; a backslash takes the next character as it is ("\,", "\*", "\|", "\\").
struct QueryTest {
    enum class Op { kEqual, kDiffer, kLess, kLessOrEqual, kGreater, kGreaterOrEqual };

    QueryField field;
    Op op = Op::kEqual;
    std::vector<std::string> values;  // escapes resolved, but a glob's kept for GlobMatches
    std::vector<bool> globs;          // per value: holds an unescaped * or ?
    double number = 0;                // for the comparisons
    bool ignoreCase = false;

    bool Passes(const CReuseBlock& block) const;
};

// What `--where` takes, one argument: tests joined by "|", any of which may pass.
struct QueryCondition {
    std::vector<QueryTest> anyOf;
};

// One condition per text; all of them must hold. -i (`ignoreCase`) compares letters of = and !=
// values without their ASCII case. A malformed text is a usage error that shows where it goes
// wrong, with a did-you-mean for a misspelt field.
std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts,
                                            bool ignoreCase = false);

// The same, and `literals` (--where-literal FIELD=VALUE, one each): the field is VALUE, every
// character as it is, none special.
std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts,
                                            const std::vector<std::string>& literals,
                                            bool ignoreCase);

// True when `block` meets every condition.
bool Matches(const CReuseBlock& block, const std::vector<QueryCondition>& conditions);

// True when `text` matches `pattern`: '*' any run of bytes, '?' one character (UTF-8), '\' takes
// the next byte as it is. Iterative, without recursion, O(pattern * text) at worst.
bool GlobMatches(std::string_view pattern, std::string_view text, bool ignoreCase);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_BLOCK_QUERY_H
