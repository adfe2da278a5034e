// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_LISTING_H
#define REUSEBLOCKS_TOOLS_INSPECT_LISTING_H

#include <reuseblocks/reuseblocks.h>

#include <optional>
#include <vector>

#include "inspect/block_query.h"

namespace reuseblocks::tool {

enum class ListFormat { kTable, kCsv, kTsv, kJson, kJsonLines };

// Which blocks a listing shows and in what order.
struct ListingQuery {
    std::vector<QueryCondition> where;  // all must hold
    std::vector<QueryField> sortBy;     // empty: file order
    std::optional<QueryField> countBy;  // each value of this field and how many blocks have it
};

// Prints on standard output, in file order or by `sortBy`, the blocks that meet `where`:
// a table of `fields` (none: the usual columns) shown as a terminal shows text; CSV or TSV of
// `fields` (none: every property, what `import` reads back); JSON or JSON Lines of `fields`
// (none: whole blocks). Output goes out in pieces as it grows, and a listing whose output is
// lost stops. With `countBy`, each value and its count instead, most frequent first, in the
// same formats. Returns how many blocks matched.
std::size_t PrintListing(const CReuseBlockFile& blocks, const ListingQuery& query,
                         std::vector<QueryField> fields, ListFormat format, bool header);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_LISTING_H
