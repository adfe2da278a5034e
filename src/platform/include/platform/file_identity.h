// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_FILE_IDENTITY_H
#define REUSEBLOCKS_PLATFORM_FILE_IDENTITY_H

#include <string>

namespace reuseblocks::detail::platform {

// Whether `a` and `b` name one existing file, by the system's identity of the file (device and
// inode; volume and file index on Windows), whatever names lead there: "./f" and "/abs/f", links,
// a letter case the file system ignores. False when either names nothing or cannot be looked at.
// Throws std::bad_alloc only.
bool NameOneFile(const std::string& a, const std::string& b);

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_FILE_IDENTITY_H
