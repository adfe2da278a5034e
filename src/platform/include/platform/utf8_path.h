// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_UTF8_PATH_H
#define REUSEBLOCKS_PLATFORM_UTF8_PATH_H

#include <string>

namespace reuseblocks::detail::platform {

// A UTF-8 path (the C interface's) as the loader and the writer take paths. POSIX systems take the
// bytes as they are. Windows takes 8-bit paths in the ANSI code page, so there the path is marked
// as UTF-8 with a leading byte no Windows path may hold, which the wide conversion looks for.
// Throws std::bad_alloc.
std::string PathFromUtf8(const char* path);

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_UTF8_PATH_H
