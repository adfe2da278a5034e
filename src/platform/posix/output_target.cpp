// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/held_stream.h"
#include "platform/posix/sigpipe_guard.h"
#include "platform/posix/unique_fd.h"

namespace reuseblocks::detail::platform {

namespace {

constexpr int kMaxNameAttempts = 64;
constexpr int kMaxOpenAttempts = 4;             // the target changed between two looks: look again
constexpr std::size_t kTemporaryNameSize = 22;  // ".reuseblocks-", 8 hex digits, a NUL

// Without O_PATH a directory the process may search but not list cannot be held open.
#if defined(O_PATH)
constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::uint64_t NameSeed(const void* salt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(ticks) ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^
           static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(salt));
}

std::uint64_t NextRandom(std::uint64_t& state) {
    // splitmix64: cheap, and good enough to make name clashes rare; O_EXCL settles the rest.
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Short and of one length whatever the target's name, so that it always fits the name limit.
void TemporaryName(std::uint64_t& state, char (&name)[kTemporaryNameSize]) {
    std::snprintf(name, sizeof name, ".reuseblocks-%08llx",
                  static_cast<unsigned long long>(NextRandom(state) & 0xffffffffULL));
}

bool ClearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags != -1 && (!(flags & O_NONBLOCK) || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0);
}

bool FlushToDisk(int fd) {
#if defined(__APPLE__)
    // fsync leaves the data in the drive's cache on Apple systems.
    if (::fcntl(fd, F_FULLFSYNC) == 0) return true;
#endif
    return ::fsync(fd) == 0;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written >= 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A stream someone else made non-blocking: wait until it takes more.
            pollfd ready{fd, POLLOUT, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct OutputTarget::State {
    enum class Mode {
        kReplace,  // a new file in `directory`, renamed over `name` by Commit
        kInPlace,  // the target itself, emptied just before the first write
        kStream,   // a device, a pipe or an open file the process holds: written as it stands
    };

    bool OpenExisting(UniqueFd target, const struct stat& info, const char* path);
    bool OpenNew(const char* path, bool& retry);
    bool LocateDirectory(const char* path, const struct stat& info);
    int CreateTemporary(mode_t mode);
    bool NameUnnamed();
    void InPlace(UniqueFd target, bool regular);

    Mode mode = Mode::kStream;
    UniqueFd fd;         // where the text goes
    UniqueFd directory;  // kReplace: the target's directory, all names relative to it
    std::string name;    // kReplace: the target's name in `directory`
    char temporary[kTemporaryNameSize] = {};  // the new file's name; empty while it has none
    bool unnamed = false;                     // an O_TMPFILE, named only when complete
    bool emptied = false;                     // kInPlace: the old content is gone
    bool pipe = false;                        // writes may raise SIGPIPE
    bool createdThroughLink = false;  // an empty file made for a dangling link, gone on failure
    struct stat created {};
    std::uint64_t random = 0;
};

OutputTarget::OutputTarget() noexcept = default;

OutputTarget::~OutputTarget() {
    Discard();
}

void OutputTarget::Discard() noexcept {
    if (!m_state) return;
    m_state->fd.Reset();
    if (m_state->temporary[0]) {
        ::unlinkat(m_state->directory.Get(), m_state->temporary, 0);
        m_state->temporary[0] = '\0';
    }
    m_state->unnamed = false;
    struct stat now {};
    if (m_state->createdThroughLink && m_state->directory.IsOpen() &&
        ::fstatat(m_state->directory.Get(), m_state->name.c_str(), &now, AT_SYMLINK_NOFOLLOW) ==
            0 &&
        SameFile(now, m_state->created) && now.st_size == 0) {
        ::unlinkat(m_state->directory.Get(), m_state->name.c_str(), 0);
    }
    m_state->createdThroughLink = false;
}

bool OutputTarget::Open(const char* path) {
    if (!path || !*path) return false;
    m_state = std::make_unique<State>();
    State& state = *m_state;
    state.random = NameSeed(this);

    const HeldStream held = FindHeldStream(path);
    if (held.kind == HeldStream::kOwn) {
        // Written through this process's own open file: its offset, its appending, its kind.
        state.fd = UniqueFd(::fcntl(held.descriptor, F_DUPFD_CLOEXEC, 3));
        struct stat info {};
        if (!state.fd.IsOpen() || ::fstat(state.fd.Get(), &info) != 0) return false;
        state.pipe = !S_ISREG(info.st_mode);
        return true;
    }
    for (int attempt = 0; attempt < kMaxOpenAttempts; ++attempt) {
        // The kernel follows links and checks permissions; without waiting for a FIFO's reader.
        const int flags =
            O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (held.appending ? O_APPEND : 0);
        UniqueFd target(::open(path, flags));
        if (target.IsOpen()) {
            struct stat info {};
            if (::fstat(target.Get(), &info) != 0 || !ClearNonBlocking(target.Get())) return false;
            if (held.kind == HeldStream::kOtherProcess) {
                state.InPlace(std::move(target), S_ISREG(info.st_mode) && !held.appending);
                return true;
            }
            return state.OpenExisting(std::move(target), info, path);
        }
        if (errno != ENOENT) return false;  // ENXIO: a FIFO nobody reads
        bool retry = false;
        if (state.OpenNew(path, retry)) return true;
        if (!retry) return false;
    }
    return false;
}

void OutputTarget::State::InPlace(UniqueFd target, bool regular) {
    fd = std::move(target);
    mode = regular ? Mode::kInPlace : Mode::kStream;
    pipe = !regular;
    directory.Reset();
}

bool OutputTarget::State::OpenExisting(UniqueFd target, const struct stat& info, const char* path) {
    // A rename would split a file several names share, and a device or a pipe is no file to
    // replace.
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        InPlace(std::move(target), S_ISREG(info.st_mode));
        return true;
    }
    if (!LocateDirectory(path, info)) return false;
    const int made = CreateTemporary(0600);
    if (made < 0) {
        // A directory the process may not add to: in place is the only way to write at all.
        if (errno != EACCES && errno != EPERM) return false;
        InPlace(std::move(target), true);
        return true;
    }
    fd = UniqueFd(made);
    if (!CarryAttributes(target.Get(), info, fd.Get())) {
        // The new file would change who may use it: leave the old one and write into it.
        fd.Reset();
        if (temporary[0]) ::unlinkat(directory.Get(), temporary, 0);
        temporary[0] = '\0';
        unnamed = false;
        InPlace(std::move(target), true);
        return true;
    }
    mode = Mode::kReplace;
    return true;
}

bool OutputTarget::State::OpenNew(const char* path, bool& retry) {
    directory = UniqueFd(::open(DirectoryOf(path).c_str(), kDirectoryFlags));
    name = BaseNameOf(path);
    struct stat info {};
    if (!directory.IsOpen() || name.empty()) return false;
    if (::fstatat(directory.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        retry = true;
        if (!S_ISLNK(info.st_mode)) return false;  // made meanwhile: open it as it is now
        // A dangling link: the kernel creates the file it names, where its rules allow that
        // (protected symlinks in shared directories). Written as an existing empty file then.
        UniqueFd made(::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
        if (!made.IsOpen() || ::fstat(made.Get(), &created) != 0) retry = false;
        createdThroughLink = retry && created.st_size == 0;
        return false;
    }
    if (errno != ENOENT) return false;
    const int made = CreateTemporary(0666);  // the usual mode less the umask
    if (made < 0) return false;
    fd = UniqueFd(made);
    mode = Mode::kReplace;
    return true;
}

// Finds the directory that holds the open target under the name `name`, through the kernel:
// the path's own directory when its last part is the file itself, else the directory of its
// real path. Either way the name must still lead to the file that was opened.
bool OutputTarget::State::LocateDirectory(const char* path, const struct stat& info) {
    struct stat found {};
    directory = UniqueFd(::open(DirectoryOf(path).c_str(), kDirectoryFlags));
    name = BaseNameOf(path);
    if (!directory.IsOpen()) return false;
    if (::fstatat(directory.Get(), name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(found, info)) {
        return true;
    }
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
    if (!real) return false;
    directory = UniqueFd(::open(DirectoryOf(real.get()).c_str(), kDirectoryFlags));
    name = BaseNameOf(real.get());
    return directory.IsOpen() &&
           ::fstatat(directory.Get(), name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(found, info);
}

// A new file in `directory`: unnamed where the system allows, so that a crash leaves nothing
// behind; else under a fresh temporary name. The descriptor, or -1 with errno set.
int OutputTarget::State::CreateTemporary(mode_t fileMode) {
#if defined(O_TMPFILE)
    const int made = ::openat(directory.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, fileMode);
    if (made >= 0) {
        // Naming it later goes through /proc; without /proc it could never be named.
        char link[32];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", made);
        if (::access(link, F_OK) == 0) {
            unnamed = true;
            return made;
        }
        ::close(made);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
        return -1;  // not a file system without unnamed files: the directory refused
    }
#endif
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        TemporaryName(random, temporary);
        const int named = ::openat(directory.Get(), temporary,
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode);
        if (named >= 0) return named;
        temporary[0] = '\0';
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// Gives the complete unnamed file a temporary name, ready for the rename.
bool OutputTarget::State::NameUnnamed() {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd.Get());
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        TemporaryName(random, temporary);
        if (::linkat(AT_FDCWD, link, directory.Get(), temporary, AT_SYMLINK_FOLLOW) == 0) {
            unnamed = false;
            return true;
        }
        temporary[0] = '\0';
        if (errno != EEXIST) return false;
    }
    return false;
}

bool OutputTarget::NeedsWholeText() const noexcept {
    // A stream cannot take back what went out: nothing goes before all of it is ready.
    return m_state && m_state->mode != State::Mode::kReplace;
}

bool OutputTarget::Write(const char* data, std::size_t size) noexcept {
    State& state = *m_state;
    if (state.mode == State::Mode::kInPlace && !state.emptied) {
        if (::ftruncate(state.fd.Get(), 0) != 0) return false;
        state.emptied = true;
    }
    if (!state.pipe) return WriteAll(state.fd.Get(), data, size);
    SigpipeGuard guard;
    return WriteAll(state.fd.Get(), data, size);
}

bool OutputTarget::Commit() noexcept {
    if (!m_state || !m_state->fd.IsOpen()) return false;
    State& state = *m_state;
    bool ok = true;
    if (state.mode == State::Mode::kInPlace && !state.emptied) ok = Write("", 0);
    if (ok && state.mode != State::Mode::kStream) ok = FlushToDisk(state.fd.Get());
    if (ok && state.unnamed) ok = state.NameUnnamed();
    if (!state.fd.Close()) ok = false;
    if (ok && state.mode == State::Mode::kReplace) {
        ok = ::renameat(state.directory.Get(), state.temporary, state.directory.Get(),
                        state.name.c_str()) == 0;
        if (ok) {
            state.temporary[0] = '\0';
            state.createdThroughLink = false;
            // Makes the rename durable. Best effort: not every file system can sync a directory.
            UniqueFd synced(
                ::openat(state.directory.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (synced.IsOpen()) static_cast<void>(FlushToDisk(synced.Get()));
        }
    }
    if (!ok) Discard();
    return ok;
}

}  // namespace reuseblocks::detail::platform
