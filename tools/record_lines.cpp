// SPDX-License-Identifier: MIT
#include "record_lines.h"

#include <fstream>
#include <string_view>

namespace reuseblocks::tool {

namespace {

std::string_view TrimWhiteSpace(std::string_view text) {
    constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

}  // namespace

std::vector<RecordLines> FindRecordLines(const std::string& path) {
    std::vector<RecordLines> records;
    std::ifstream in(path, std::ios::binary);
    std::string raw;
    for (unsigned long number = 1; std::getline(in, raw); ++number) {
        const std::string_view line = TrimWhiteSpace(raw);
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
