// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_HELD_STREAM_H
#define REUSEBLOCKS_PLATFORM_POSIX_HELD_STREAM_H

#include <string>

namespace reuseblocks::detail::platform {

// A path that names a file a process holds open rather than a file of its own: /dev/stdin,
// /dev/stdout, /dev/stderr, /dev/fd/N, and on Linux /proc/PID/fd/N. Replacing what such a name
// leads to would destroy what the holder wrote there; it is written through the open file.
struct HeldStream {
    enum Kind { kNone, kOwn, kOtherProcess } kind = kNone;
    int descriptor = -1;     // kOwn: this process's descriptor
    bool appending = false;  // kOtherProcess: the holder's open file appends
};

// Judges `path` by its text, and by its directory's real path for the same names reached
// another way (a relative name, "/dev/./stdout"). Throws std::bad_alloc only.
HeldStream FindHeldStream(const std::string& path);

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_HELD_STREAM_H
