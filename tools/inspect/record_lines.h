// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
#define REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H

#include <vector>

#include "platform/huge_page_allocator.h"

namespace reuseblocks::tool {

// The 1-based physical lines a block and its layer maps were read from.
struct RecordLines {
    unsigned long definition = 0;
    std::vector<unsigned long> layerMaps;
};

// Those of every block of a file, in load order: one per block of a large file, on huge pages.
using RecordLinesList = detail::platform::HugePageVector<RecordLines>;

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
