// SPDX-License-Identifier: MIT
#include "whole_file.h"

#include <fstream>

namespace reuseblocks::tool {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    std::string text;
    // The size, when the file has one, saves growing the text as it comes; a pipe has none.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.good() ? static_cast<std::streamoff>(in.tellg()) : -1;
    in.clear();
    in.seekg(0, std::ios::beg);
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    if (size > 0) text.reserve(static_cast<std::size_t>(size) + kPiece);
    for (;;) {
        const std::size_t had = text.size();
        text.resize(had + kPiece);
        in.read(text.data() + had, static_cast<std::streamsize>(kPiece));
        text.resize(had + static_cast<std::size_t>(in.gcount()));
        if (!in) break;
    }
    if (in.bad()) return std::nullopt;
    return text;
}

}  // namespace reuseblocks::tool
