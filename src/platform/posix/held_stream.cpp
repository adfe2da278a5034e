// SPDX-License-Identifier: MIT
#include "posix/held_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "posix/unique_fd.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

bool Consume(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A whole decimal number below INT_MAX, nothing else.
bool Number(std::string_view text, long& number) {
    if (text.empty() || text.size() > 9) return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

HeldStream Own(long descriptor) {
    HeldStream held;
    held.kind = HeldStream::kOwn;
    held.descriptor = static_cast<int>(descriptor);
    return held;
}

#if defined(__linux__)
// The path segment up to the next slash, consumed with the slash.
std::string_view Segment(std::string_view& text) {
    const std::size_t slash = text.find('/');
    const std::string_view segment = text.substr(0, slash);
    text.remove_prefix(slash == std::string_view::npos ? text.size() : slash + 1);
    return segment;
}

// Whether the open file behind /proc/PID/fd/N appends: the "flags:" line of its fdinfo, octal.
bool Appends(long pid, long descriptor) {
    const std::string path =
        "/proc/" + std::to_string(pid) + "/fdinfo/" + std::to_string(descriptor);
    UniqueFd fd(sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char text[512];
    const ssize_t got = fd.IsOpen() ? sys::Read(fd.Get(), text, sizeof text - 1) : -1;
    if (got <= 0) return false;
    text[got] = '\0';
    const char* flags = std::strstr(text, "flags:");
    return flags && (std::strtol(flags + 6, nullptr, 8) & O_APPEND) != 0;
}
#endif

HeldStream Match(std::string_view path) {
    long number = 0;
    if (path == "/dev/stdin") return Own(0);
    if (path == "/dev/stdout") return Own(1);
    if (path == "/dev/stderr") return Own(2);
    std::string_view rest = path;
    if (Consume(rest, "/dev/fd/") && Number(rest, number)) return Own(number);
#if defined(__linux__)
    rest = path;
    if (!Consume(rest, "/proc/")) return {};
    const std::string_view process = Segment(rest);
    long pid = 0;
    const bool self = process == "self" || process == "thread-self" ||
                      (Number(process, pid) && pid == static_cast<long>(::getpid()));
    if (!self && pid == 0) return {};
    if (Consume(rest, "task/") && Segment(rest).empty()) return {};  // /proc/PID/task/TID/fd/N
    if (!Consume(rest, "fd/") || !Number(rest, number)) return {};
    if (self) return Own(number);
    HeldStream held;
    held.kind = HeldStream::kOtherProcess;
    held.appending = Appends(pid, number);
    return held;
#else
    return {};
#endif
}

}  // namespace

HeldStream FindHeldStream(const std::string& path) {
    const HeldStream held = Match(path);
    if (held.kind != HeldStream::kNone) return held;
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::unique_ptr<char, decltype(&std::free)> real(sys::Realpath(directory.c_str()), &std::free);
    if (!real) return {};
    return Match(std::string(real.get()) + "/" +
                 (slash == std::string::npos ? path : path.substr(slash + 1)));
}

}  // namespace reuseblocks::detail::platform
