#include <fcntl.h>
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
#include "platform/posix/unique_fd.h"

namespace reuseblocks::detail::platform {

namespace {

constexpr int kMaxLinkDepth = 40;
constexpr int kMaxNameAttempts = 64;

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

bool ReadLink(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t got = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (got < 0) return false;
        if (static_cast<std::size_t>(got) < buffer.size()) {
            target.assign(buffer.data(), static_cast<std::size_t>(got));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Follows a chain of symlinks that ends at a name that does not exist yet, so that writing
// through a dangling link creates the file it points to rather than replacing the link.
std::string ResolveDanglingLink(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info {};
        std::string link;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        if (!ReadLink(current, link) || link.empty()) return current;
        current = link[0] == '/' ? link : DirectoryOf(current) + "/" + link;
    }
    return path;  // a loop: opening the path itself reports it
}

// Makes the rename durable. Best effort: some file systems cannot sync a directory, and the
// new content is in place already.
void SyncDirectory(const std::string& directory) {
    UniqueFd fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) static_cast<void>(::fsync(fd.Get()));
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

}  // namespace

struct OutputTarget::State {
    bool OpenReplacement(const std::string& target, const struct stat* existing);

    UniqueFd fd;
    std::string target;     // the file that a successful Commit leaves holding the text
    std::string temporary;  // empty when writing in place
    std::string directory;  // the target's, synced after the rename
};

OutputTarget::OutputTarget() noexcept = default;

OutputTarget::~OutputTarget() {
    Discard();
}

void OutputTarget::Discard() noexcept {
    if (!m_state) return;
    m_state->fd.Reset();
    if (!m_state->temporary.empty()) {
        ::unlink(m_state->temporary.c_str());
        m_state->temporary.clear();
    }
}

bool OutputTarget::Open(const char* path) {
    if (!path || !*path) return false;
    m_state = std::make_unique<State>();
    struct stat existing {};
    if (::stat(path, &existing) == 0) {
        // Renaming over a file would replace it even when it is read-only; refuse as writing it
        // in place would.
        if (::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0) return false;
        if (S_ISREG(existing.st_mode) && existing.st_nlink == 1) {
            std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
            if (real && m_state->OpenReplacement(real.get(), &existing)) return true;
        }
    } else if (errno == ENOENT) {
        if (m_state->OpenReplacement(ResolveDanglingLink(path), nullptr)) return true;
    }
    m_state->target = path;
    m_state->fd = UniqueFd(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return m_state->fd.IsOpen();
}

bool OutputTarget::State::OpenReplacement(const std::string& path, const struct stat* existing) {
    const std::string prefix = DirectoryOf(path) + "/." + BaseNameOf(path) + ".";
    std::uint64_t state = NameSeed(this);
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%012llx.tmp",
                      static_cast<unsigned long long>(NextRandom(state) & 0xffffffffffffULL));
        std::string name = prefix + suffix;
        // A new file gets the usual 0666 less the umask; an existing file's mode is copied below.
        const int opened =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existing ? 0600 : 0666);
        if (opened >= 0) {
            fd = UniqueFd(opened);
            temporary = std::move(name);
            break;
        }
        if (errno != EEXIST) return false;
    }
    if (!fd.IsOpen()) return false;
    if (existing) {
        // Owner first: changing it clears the set-id bits that the mode below restores.
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) {
            static_cast<void>(::fchown(fd.Get(), existing->st_uid, existing->st_gid));
        }
        if (::fchmod(fd.Get(), existing->st_mode & 07777) != 0) {
            fd.Reset();
            ::unlink(temporary.c_str());
            temporary.clear();
            return false;
        }
    }
    target = path;
    // Allocates, so it is done here: once the target is replaced nothing may throw.
    directory = DirectoryOf(target);
    return true;
}

bool OutputTarget::NeedsWholeText() const noexcept {
    return false;
}

bool OutputTarget::Write(const char* data, std::size_t size) noexcept {
    while (size > 0) {
        const ssize_t written = ::write(m_state->fd.Get(), data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputTarget::Commit() noexcept {
    if (!m_state || !m_state->fd.IsOpen()) return false;
    const bool replacing = !m_state->temporary.empty();
    bool ok = !replacing || ::fsync(m_state->fd.Get()) == 0;
    if (!m_state->fd.Close()) ok = false;
    if (ok && replacing) {
        ok = ::rename(m_state->temporary.c_str(), m_state->target.c_str()) == 0;
        if (ok) {
            m_state->temporary.clear();
            SyncDirectory(m_state->directory);
        }
    }
    if (!ok) Discard();
    return ok;
}

}  // namespace reuseblocks::detail::platform
