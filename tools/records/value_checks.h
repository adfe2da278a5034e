// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_VALUE_CHECKS_H
#define REUSEBLOCKS_TOOLS_RECORDS_VALUE_CHECKS_H

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

ValuePlace PlaceOfProperty(std::uint32_t index);
ValuePlace PlaceOfLayerMapColumn(std::uint32_t column);

// Why `value` cannot be stored as `field` ("SIDE value "top side" holds white space, which a
// blocks file cannot hold"), or empty when a written file would give it back unchanged. Every
// command that takes values from people or scripts checks them here, before anything changes.
std::string UnwritableValue(std::string_view field, const std::string& value, ValuePlace place);

// Whether UnwritableValue finds nothing, without wording it.
bool IsWritable(std::string_view value, ValuePlace place);

// The names of the properties a new block needs but was not `given`, blank-separated; empty
// when none is missing. Init supplies BLOCK_TYPE, BLOCK_STATUS and QOR_STATUS, and the ID is
// given by whoever creates the block; every other value left empty would vanish on reading and
// shift the rest of the line.
std::string MissingProperties(const std::array<bool, CReuseBlock::kPropertyCount>& given);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_VALUE_CHECKS_H
