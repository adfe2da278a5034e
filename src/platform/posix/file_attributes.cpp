// SPDX-License-Identifier: MIT
#include "posix/file_attributes.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "posix/system_calls.h"

#if defined(__linux__) || defined(__APPLE__)
#include <sys/xattr.h>
#define REUSEBLOCKS_HAVE_XATTR 1
#endif

namespace reuseblocks::detail::platform {

namespace {

#if defined(REUSEBLOCKS_HAVE_XATTR)

// Apple's calls take a position and options that Linux's lack.
#if defined(__APPLE__)
ssize_t ListNames(int fd, char* names, std::size_t size) {
    return sys::Failing(faults::SystemCall::kListXattr) ? -1 : ::flistxattr(fd, names, size, 0);
}
ssize_t GetValue(int fd, const char* name, void* value, std::size_t size) {
    return sys::Failing(faults::SystemCall::kGetXattr) ? -1
                                                       : ::fgetxattr(fd, name, value, size, 0, 0);
}
int SetValue(int fd, const char* name, const std::string& value) {
    return sys::Failing(faults::SystemCall::kSetXattr)
               ? -1
               : ::fsetxattr(fd, name, value.data(), value.size(), 0, 0);
}
int RemoveName(int fd, const char* name) {
    return sys::Failing(faults::SystemCall::kRemoveXattr) ? -1 : ::fremovexattr(fd, name, 0);
}
constexpr int kNoSuchAttribute = ENOATTR;
#else
ssize_t ListNames(int fd, char* names, std::size_t size) {
    return sys::Failing(faults::SystemCall::kListXattr) ? -1 : ::flistxattr(fd, names, size);
}
ssize_t GetValue(int fd, const char* name, void* value, std::size_t size) {
    return sys::Failing(faults::SystemCall::kGetXattr) ? -1 : ::fgetxattr(fd, name, value, size);
}
int SetValue(int fd, const char* name, const std::string& value) {
    return sys::Failing(faults::SystemCall::kSetXattr)
               ? -1
               : ::fsetxattr(fd, name, value.data(), value.size(), 0);
}
int RemoveName(int fd, const char* name) {
    return sys::Failing(faults::SystemCall::kRemoveXattr) ? -1 : ::fremovexattr(fd, name);
}
constexpr int kNoSuchAttribute = ENODATA;
#endif

// The NUL-separated names of the file's extended attributes; none where the file system has
// none. False when they cannot be read.
bool Names(int fd, std::string& names) {
    for (;;) {
        const ssize_t size = ListNames(fd, nullptr, 0);
        if (size < 0) {
            names.clear();
            return errno == ENOTSUP;
        }
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ListNames(fd, names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;  // ERANGE: it grew meanwhile
    }
}

// The value of one attribute; false when the file has none of that name or it cannot be read.
bool Value(int fd, const char* name, std::string& value) {
    for (;;) {
        const ssize_t size = GetValue(fd, name, nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = GetValue(fd, name, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
}

bool Contains(const std::string& names, std::string_view name) {
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        if (name == names.c_str() + at) return true;
    }
    return false;
}

bool CarryExtendedAttributes(int from, int to) {
    std::string fromNames;
    std::string toNames;
    if (!Names(from, fromNames) || !Names(to, toNames)) return false;
    std::string value;
    std::string current;
    for (std::size_t at = 0; at < fromNames.size(); at += std::strlen(fromNames.c_str() + at) + 1) {
        const char* name = fromNames.c_str() + at;
        if (!Value(from, name, value)) return false;
        // The new file may have it already (an ACL inherited from the directory, a label).
        if (Value(to, name, current) && current == value) continue;
        if (SetValue(to, name, value) != 0) return false;
    }
    for (std::size_t at = 0; at < toNames.size(); at += std::strlen(toNames.c_str() + at) + 1) {
        const char* name = toNames.c_str() + at;
        if (!Contains(fromNames, name) && RemoveName(to, name) != 0 && errno != kNoSuchAttribute) {
            return false;
        }
    }
    return true;
}

#else

bool CarryExtendedAttributes(int, int) {
    return true;  // no extended attributes on this system
}

#endif

}  // namespace

bool CarryAttributes(int from, const struct stat& info, int to) {
    struct stat made {};
    if (sys::Fstat(to, &made) != 0) return false;
    // Owner and group first, each only where it differs: one the process may not set must not
    // keep it from setting the other. Changing them clears the set-id bits the mode restores.
    if (made.st_uid != info.st_uid || made.st_gid != info.st_gid) {
        const uid_t owner = made.st_uid != info.st_uid ? info.st_uid : static_cast<uid_t>(-1);
        const gid_t group = made.st_gid != info.st_gid ? info.st_gid : static_cast<gid_t>(-1);
        if (sys::Fchown(to, owner, group) != 0) return false;
    }
    if (!CarryExtendedAttributes(from, to)) return false;
    // Last: with an ACL, the group bits are its mask, which the mode sets back to the old one.
    return sys::Fchmod(to, info.st_mode & 07777) == 0;
}

}  // namespace reuseblocks::detail::platform
