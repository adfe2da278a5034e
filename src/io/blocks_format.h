// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_BLOCKS_FORMAT_H
#define REUSEBLOCKS_IO_BLOCKS_FORMAT_H

#include <string_view>

namespace reuseblocks::detail {

// Marks a layer-mapping line wherever it stands in the line; the reader and the writer must agree.
inline constexpr std::string_view kMappingKeyword = "map_block_host";

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_BLOCKS_FORMAT_H
