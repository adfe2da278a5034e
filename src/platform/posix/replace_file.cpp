// SPDX-License-Identifier: MIT
// Replacing a regular file: the text goes to a new file beside it, which takes the target's name
// in one rename once it is complete and on disk.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "posix/output_target_state.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

// The name under which /proc shows an open descriptor.
struct DescriptorLink {
    explicit DescriptorLink(int fd) noexcept {
        std::snprintf(text, sizeof text, "/proc/self/fd/%d", fd);
    }
    char text[32];
};

}  // namespace

// A new file in `directory`: unnamed where the system allows, so that a crash leaves nothing
// behind; else under a fresh temporary name. The descriptor, or -1 with errno set.
int OutputTarget::State::CreateTemporary(mode_t fileMode) {
#if defined(O_TMPFILE)
    const int made = sys::OpenAt(directory.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, fileMode);
    if (made >= 0) {
        // Naming it later goes through /proc; without /proc it could never be named.
        if (sys::Access(DescriptorLink(made).text, F_OK) == 0) {
            unnamed = true;
            return made;
        }
        sys::Close(made);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
        return -1;  // not a file system without unnamed files: the directory refused
    }
#endif
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        MakeTemporaryName(temporary);
        const int named =
            sys::OpenAt(directory.Get(), temporary,
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode);
        if (named >= 0) return named;
        temporary[0] = '\0';
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// Gives the complete unnamed file a temporary name, ready for the rename.
bool OutputTarget::State::NameUnnamed() {
    const DescriptorLink link(fd.Get());
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        MakeTemporaryName(temporary);
        if (sys::LinkAt(AT_FDCWD, link.text, directory.Get(), temporary, AT_SYMLINK_FOLLOW) == 0) {
            unnamed = false;
            return true;
        }
        temporary[0] = '\0';
        if (errno != EEXIST) return false;
    }
    return false;
}

// Renames the complete, closed new file over the target.
bool OutputTarget::State::PutInPlace() noexcept {
    if (sys::RenameAt(directory.Get(), temporary, directory.Get(), name.c_str()) != 0) return false;
    temporary[0] = '\0';
    createdThroughLink = false;
    // Makes the rename durable. Best effort: not every file system can sync a directory.
    UniqueFd synced(sys::OpenAt(directory.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (synced.IsOpen()) static_cast<void>(FlushToDisk(synced.Get()));
    return true;
}

void OutputTarget::State::RemoveTemporary() noexcept {
    if (temporary[0]) sys::UnlinkAt(directory.Get(), temporary, 0);
    temporary[0] = '\0';
    unnamed = false;
}

}  // namespace reuseblocks::detail::platform
