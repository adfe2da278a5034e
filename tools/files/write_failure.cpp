// SPDX-License-Identifier: MIT
#include "write_failure.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace fs = std::filesystem;

std::string WhyWriteFailed(const std::string& path, int error) {
    std::error_code ignored;
    const fs::path target(path);
    if (fs::is_directory(target, ignored)) return std::strerror(EISDIR);
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::exists(folder, ignored))
        return "directory " + Quoted(folder.string()) + " does not exist";
    if (!fs::is_directory(folder, ignored)) return Quoted(folder.string()) + " is not a directory";
    switch (error) {
        case ENOSPC:
        case EROFS:
        case EACCES:
        case EPERM:
        case EFBIG:
        case ENAMETOOLONG:
        case EIO:
            return std::strerror(error);
        default:
            break;
    }
    // No telling errno: a target that nobody may write is still worth naming.
    constexpr fs::perms kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const fs::file_status status = fs::status(target, ignored);
    if (fs::is_regular_file(status) && (status.permissions() & kWrite) == fs::perms::none) {
        return std::strerror(EACCES);
    }
    return {};
}

ToolError CannotWrite(const std::string& path, int error) {
    const std::string why = WhyWriteFailed(path, error);
    return Failure("cannot write " + Quoted(path) + (why.empty() ? "" : ": " + why));
}

}  // namespace reuseblocks::tool
