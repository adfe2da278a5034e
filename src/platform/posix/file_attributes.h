// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_FILE_ATTRIBUTES_H
#define REUSEBLOCKS_PLATFORM_POSIX_FILE_ATTRIBUTES_H

#include <sys/stat.h>

namespace reuseblocks::detail::platform {

// Makes the new file `to` match the file `from` (described by `info`) in who may use it: owner,
// group, every extended attribute (the POSIX ACL among them) and the mode. False when any of them
// could not be made the same; `to` is then half done and must be discarded. Throws
// std::bad_alloc only.
bool CarryAttributes(int from, const struct stat& info, int to);

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_FILE_ATTRIBUTES_H
