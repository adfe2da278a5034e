// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_FILE_IDENTITY_H
#define REUSEBLOCKS_PLATFORM_POSIX_FILE_IDENTITY_H

#include <sys/stat.h>

namespace reuseblocks::detail::platform {

// Whether two looks at files saw the same file, whatever names led there.
inline bool SameFile(const struct stat& a, const struct stat& b) noexcept {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_FILE_IDENTITY_H
