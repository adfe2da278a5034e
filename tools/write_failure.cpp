#include "write_failure.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "text_escape.h"

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
    const bool exists = fs::exists(target, ignored);
    if (exists ? ::access(path.c_str(), W_OK) != 0 : ::access(folder.c_str(), W_OK | X_OK) != 0) {
        return std::strerror(EACCES);
    }
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EROFS:
        case EACCES:
        case EPERM:
        case EFBIG:
        case ENAMETOOLONG:
        case EIO:
            return std::strerror(error);
        default:
            return {};
    }
}

}  // namespace reuseblocks::tool
