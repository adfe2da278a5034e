// SPDX-License-Identifier: MIT
#include "posix/file_identity.h"

#include <sys/stat.h>

#include "platform/file_identity.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

bool NameOneFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return sys::Stat(a.c_str(), &first) == 0 && sys::Stat(b.c_str(), &second) == 0 &&
           SameFile(first, second);
}

}  // namespace reuseblocks::detail::platform
