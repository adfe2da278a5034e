// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_JSON_STREAM_H
#define REUSEBLOCKS_TOOLS_JSON_STREAM_H

#include <reuseblocks/reuseblocks.h>

#include <string>
#include <string_view>

namespace reuseblocks::tool {

// JSON text built block by block, so that a listing of any size needs only one block's worth of
// memory beyond the collection. The bytes are exactly those of json_output.h's PrintJson for the
// same value: strings are escaped alike and bytes that are not UTF-8 become U+FFFD alike.

// `text` as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view text);

// BlockToJson(block) as PrintJson prints it inside a top-level array (`indent` 2, the block's
// braces at that depth), or on one line without blanks when `indent` is negative.
void AppendBlockJson(std::string& out, CReuseBlock& block, int indent);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_JSON_STREAM_H
