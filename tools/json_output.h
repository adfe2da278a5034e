// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_JSON_OUTPUT_H
#define REUSEBLOCKS_TOOLS_JSON_OUTPUT_H

#include <reuseblocks/reuseblocks.h>

#include <iosfwd>
#include <nlohmann/json.hpp>

namespace reuseblocks::tool {

// Keys keep the order they were added in, the order of the file's fields.
using Json = nlohmann::ordered_json;

// {"BLOCK_LAYER_ORDER": ..., "BLOCK_LAYER_NAME": ..., "DESIGN_ORDER": ..., "DESIGN_LAYER_NAME":
// ...}
Json LayerMapToJson(const CReuseBlock& block, std::uint32_t row);

// {"symbol": ..., "properties": {FIELD: value, ...}, "layer_maps": [{COLUMN: value, ...}, ...]}
Json BlockToJson(const CReuseBlock& block);

// Values are 8-bit text of any encoding; bytes that are not UTF-8 print as U+FFFD.
void PrintJson(const Json& value, std::ostream& out);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_JSON_OUTPUT_H
