// SPDX-License-Identifier: MIT
#include "record_lines.h"

#include <fstream>
#include <string_view>

#include "text/words.h"

namespace reuseblocks::tool {

std::vector<RecordLines> FindRecordLines(const std::string& path) {
    std::vector<RecordLines> records;
    std::ifstream in(path, std::ios::binary);
    std::string raw;
    for (unsigned long number = 1; std::getline(in, raw); ++number) {
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.front() == '#') continue;
        if (line.find("map_block_host") == std::string_view::npos) {
            records.push_back(RecordLines{number, {}});
        } else if (!records.empty()) {  // the loader ignores those before the first block
            records.back().layerMaps.push_back(number);
        }
    }
    if (in.bad()) records.clear();
    return records;
}

}  // namespace reuseblocks::tool
