// SPDX-License-Identifier: MIT
#include "win32/file_identity.h"

#include "platform/file_identity.h"
#include "win32/wide_path.h"

namespace reuseblocks::detail::platform {

namespace {

// A handle that asks for no access, only the file's identity; a folder opens too.
HANDLE OpenForIdentity(const std::string& path) {
    std::wstring wide;
    if (!ToWidePath(path.c_str(), wide)) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool NameOneFile(const std::string& a, const std::string& b) {
    const UniqueHandle first(OpenForIdentity(a));
    if (!first.IsOpen()) return false;
    const UniqueHandle second(OpenForIdentity(b));
    return second.IsOpen() && SameFile(first.Get(), second.Get());
}

}  // namespace reuseblocks::detail::platform
