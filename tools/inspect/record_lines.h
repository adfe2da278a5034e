// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
#define REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H

#include <vector>

namespace reuseblocks::tool {

// The 1-based physical lines a block and its layer maps were read from.
struct RecordLines {
    unsigned long definition = 0;
    std::vector<unsigned long> layerMaps;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
