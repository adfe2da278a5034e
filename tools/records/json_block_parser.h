// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_JSON_BLOCK_PARSER_H
#define REUSEBLOCKS_TOOLS_RECORDS_JSON_BLOCK_PARSER_H

#include "records/block_records.h"

namespace reuseblocks::tool {

enum class BlockParse {
    kDone,      // a block object whose every value is fine
    kNeedMore,  // the text ended before the object did
    kUnsure,    // anything else: the general JSON reader must judge it, and word what it finds
};

// The quick way through the block objects `list --json` prints: one object of string or number
// values, "properties" and "layer_maps", each key once, read from `at` (its "{") before `end`.
// On kDone `record` holds it (its line is left as it was), `at` is past the closing brace and
// `lineFeeds` counts the line feeds inside; otherwise neither moves. It never reports a problem:
// every input that could hold one is kUnsure.
BlockParse ParseBlockObject(const char*& at, const char* end, BlockRecord& record,
                            unsigned long& lineFeeds);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_JSON_BLOCK_PARSER_H
