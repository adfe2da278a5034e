// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_WIN32_FILE_IDENTITY_H
#define REUSEBLOCKS_PLATFORM_WIN32_FILE_IDENTITY_H

#include <windows.h>

namespace reuseblocks::detail::platform {

// Whether two open handles reach the same file, whatever names led there.
inline bool SameFile(HANDLE a, HANDLE b) noexcept {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_WIN32_FILE_IDENTITY_H
