// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_TEMPORARY_NAME_H
#define REUSEBLOCKS_PLATFORM_POSIX_TEMPORARY_NAME_H

#include <cstddef>

namespace reuseblocks::detail::platform {

// ".reuseblocks-", 8 hex digits and a NUL: short and of one length whatever the target's name, so
// that it always fits the system's name limit.
inline constexpr std::size_t kTemporaryNameSize = 22;
// How many fresh names to try before giving up on a directory full of clashes.
inline constexpr int kMaxNameAttempts = 64;

// A fresh name for a new file beside the target. The digits come from the system's random source,
// so that nobody can create the name first; O_EXCL settles what chance leaves.
void MakeTemporaryName(char (&name)[kTemporaryNameSize]) noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_TEMPORARY_NAME_H
