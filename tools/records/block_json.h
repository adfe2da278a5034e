// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_BLOCK_JSON_H
#define REUSEBLOCKS_TOOLS_RECORDS_BLOCK_JSON_H

#include <reuseblocks/reuseblocks.h>

#include <cstdint>

#include "records/json_writer.h"

namespace reuseblocks::tool {

// {"BLOCK_LAYER_ORDER": ..., "BLOCK_LAYER_NAME": ..., "DESIGN_ORDER": ..., "DESIGN_LAYER_NAME":
// ...}, the columns in the file's order.
void WriteLayerMapJson(JsonWriter& json, const CReuseBlock& block, std::uint32_t row);

// {"symbol": ..., "properties": {FIELD: value, ...}, "layer_maps": [{COLUMN: value, ...}, ...]}:
// what `list --json` and `show --json` print and `import` reads back.
void WriteBlockJson(JsonWriter& json, const CReuseBlock& block);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_BLOCK_JSON_H
