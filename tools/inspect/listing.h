// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_LISTING_H
#define REUSEBLOCKS_TOOLS_INSPECT_LISTING_H

#include <reuseblocks/reuseblocks.h>

#include <vector>

#include "inspect/block_query.h"

namespace reuseblocks::tool {

enum class ListFormat { kTable, kCsv, kTsv, kJson, kJsonLines };

// Prints on standard output, in file order, the blocks that meet every condition of `where`:
// a table of `fields` (none: the usual columns) shown as a terminal shows text; CSV or TSV of
// `fields` (none: every property, what `import` reads back); JSON or JSON Lines of `fields`
// (none: whole blocks). Output goes out in pieces as it grows, and a listing whose output is
// lost stops. Returns how many blocks it printed.
std::size_t PrintListing(const CReuseBlockFile& blocks, const std::vector<QueryCondition>& where,
                         std::vector<QueryField> fields, ListFormat format, bool header);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_LISTING_H
