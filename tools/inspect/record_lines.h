// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
#define REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H

#include <string>
#include <vector>

namespace reuseblocks::tool {

// The 1-based physical lines a block and its layer maps were read from.
struct RecordLines {
    unsigned long definition = 0;
    std::vector<unsigned long> layerMaps;
};

// The record lines of a file that has just loaded without error, block by block in load order.
// The library names a line only when it rejects one, so warnings about accepted values find their
// lines here, by the loader's own classification of lines. Empty when the file cannot be read.
std::vector<RecordLines> FindRecordLines(const std::string& path);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_RECORD_LINES_H
