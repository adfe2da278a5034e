// SPDX-License-Identifier: MIT
#include "whole_file.h"

#include "platform/file_system.h"

namespace reuseblocks::tool {

std::optional<WholeFileText> ReadWholeFile(const std::string& path) {
    detail::platform::FileReader file;
    if (file.Open(path.c_str()) != 0) return std::nullopt;
    WholeFileText text;
    if (text.ReadAll(file) != 0) return std::nullopt;
    return text;
}

}  // namespace reuseblocks::tool
