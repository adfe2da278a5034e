// SPDX-License-Identifier: MIT
// Choosing how a target is written: replaced through a new file beside it, or written in place,
// or as the stream it is. replace_file.cpp and write_in_place.cpp do the writing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "posix/file_attributes.h"
#include "posix/file_identity.h"
#include "posix/held_stream.h"
#include "posix/output_target_state.h"

#include "posix/system_calls.h"

namespace reuseblocks::detail::platform {

namespace {

constexpr int kMaxOpenAttempts = 8;  // the target changed between two looks: look again

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

}  // namespace

OutputTarget::OutputTarget() noexcept = default;

OutputTarget::~OutputTarget() {
    Discard();
}

void OutputTarget::Discard() noexcept {
    if (!m_state) return;
    State& state = *m_state;
    state.fd.Reset();
    state.RemoveTemporary();
    struct stat now {};
    if (state.createdThroughLink && state.createdDirectory.IsOpen() &&
        sys::FstatAt(state.createdDirectory.Get(), state.createdName.c_str(), &now,
                     AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(now, state.created) && now.st_size == 0) {
        sys::UnlinkAt(state.createdDirectory.Get(), state.createdName.c_str(), 0);
    }
    state.createdThroughLink = false;
}

bool OutputTarget::Fail(WriteStep step) noexcept {
    return Fail(step, errno);
}

bool OutputTarget::Fail(WriteStep step, ErrorCode error) noexcept {
    m_failure = OutputFailure{step, error, std::string()};
    return false;
}

bool OutputTarget::Open(const char* path, SharedFile shared) {
    m_failure = OutputFailure{};
    if (!path || !*path) return Fail(WriteStep::kOpen, ENOENT);
    m_state = std::make_unique<State>();
    State& state = *m_state;
    state.replaceShared = shared == SharedFile::kReplace;
    state.openedPath = path;

    const HeldStream held = FindHeldStream(path);
    if (held.kind == HeldStream::kOwn) {
        // Written through this process's own open file: its offset, its appending, its kind.
        state.fd = UniqueFd(sys::Fcntl(held.descriptor, F_DUPFD_CLOEXEC, 3));
        struct stat info {};
        if (!state.fd.IsOpen() || sys::Fstat(state.fd.Get(), &info) != 0) {
            return Fail(WriteStep::kOpen);
        }
        state.pipe = !S_ISREG(info.st_mode);
        return true;
    }
    for (int attempt = 0; attempt < kMaxOpenAttempts; ++attempt) {
        // The kernel follows links and checks permissions; without waiting for a FIFO's reader.
        const int flags =
            O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (held.appending ? O_APPEND : 0);
        UniqueFd target(sys::Open(path, flags));
        if (target.IsOpen()) {
            struct stat info {};
            if (sys::Fstat(target.Get(), &info) != 0 || !ClearNonBlocking(target.Get())) {
                return Fail(WriteStep::kOpen);
            }
            if (held.kind == HeldStream::kOtherProcess) {
                state.InPlace(std::move(target), S_ISREG(info.st_mode) && !held.appending,
                              info.st_size);
                return true;
            }
            bool retry = false;
            if (state.OpenExisting(std::move(target), info, path, retry)) return true;
            if (!retry) return Fail(WriteStep::kOpen);
            continue;
        }
        if (errno != ENOENT) return Fail(WriteStep::kOpen);  // ENXIO: a FIFO nobody reads
        bool retry = false;
        if (state.OpenNew(path, retry)) return true;
        if (!retry) {
            Fail(WriteStep::kOpen);
            m_failure.danglingLink = std::move(state.danglingLink);
            return false;
        }
    }
    return Fail(WriteStep::kOpen, EAGAIN);  // it kept changing between two looks
}

bool OutputTarget::State::OpenExisting(UniqueFd target, const struct stat& info, const char* path,
                                       bool& retry) {
    // A rename would split a file several names share, unless that is asked for, and a device or
    // a pipe is no file to replace.
    if (!S_ISREG(info.st_mode) || (info.st_nlink != 1 && !replaceShared)) {
        InPlace(std::move(target), S_ISREG(info.st_mode), info.st_size);
        return true;
    }
    switch (LocateDirectory(path, info)) {
        case Located::kFound:
            break;
        case Located::kChanged:
            retry = true;  // another program saved it meanwhile, or moved it away
            return false;
        case Located::kFailed:
            return false;
    }
    const int made = CreateTemporary(0600);
    if (made < 0) {
        // A directory the process may not add to: in place is the only way to write at all.
        if (errno != EACCES && errno != EPERM) return false;
        InPlace(std::move(target), true, info.st_size);
        return true;
    }
    fd = UniqueFd(made);
    if (!CarryAttributes(target.Get(), info, fd.Get())) {
        // The new file would change who may use it: leave the old one and write into it.
        fd.Reset();
        RemoveTemporary();
        InPlace(std::move(target), true, info.st_size);
        return true;
    }
    mode = Mode::kReplace;
    return true;
}

bool OutputTarget::State::OpenNew(const char* path, bool& retry) {
    directory = UniqueFd(sys::Open(DirectoryOf(path).c_str(), kDirectoryFlags));
    name = BaseNameOf(path);
    struct stat info {};
    if (!directory.IsOpen()) return false;
    if (name.empty()) {
        errno = EISDIR;  // the path ends in a slash
        return false;
    }
    if (sys::FstatAt(directory.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        retry = true;
        if (!S_ISLNK(info.st_mode)) return false;  // made meanwhile: open it as it is now
        // A dangling link: the kernel creates the file it names, where its rules allow that
        // (protected symlinks in shared directories). Written as an existing empty file then.
        // Where that file will be is found first, so that a failure after it can take it away.
        char text[4096];
        const ssize_t size = sys::ReadlinkAt(directory.Get(), name.c_str(), text, sizeof text);
        if (size <= 0 || static_cast<std::size_t>(size) == sizeof text) {
            if (size >= 0) errno = ENAMETOOLONG;
            retry = false;
            return false;
        }
        const std::string leadsTo(text, static_cast<std::size_t>(size));
        createdDirectory =
            UniqueFd(sys::OpenAt(directory.Get(), DirectoryOf(leadsTo).c_str(), kDirectoryFlags));
        createdName = BaseNameOf(leadsTo);
        UniqueFd made(
            createdDirectory.IsOpen()
                ? sys::Open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666)
                : -1);
        if (!made.IsOpen() && errno == ENOENT) {
            // Its folder is missing: the link's own text tells the user where it leads.
            danglingLink = leadsTo;
        }
        if (!made.IsOpen() || (sys::Fstat(made.Get(), &created) != 0 &&
                               sys::FstatAt(createdDirectory.Get(), createdName.c_str(), &created,
                                            AT_SYMLINK_NOFOLLOW) != 0)) {
            retry = false;
        }
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

namespace {

// Whether a look that failed after the file was opened found the path changed rather than a
// reason the path cannot be used.
bool PathChanged(int error) noexcept {
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

}  // namespace

// Finds the directory that holds the open target under the name `name`, through the kernel:
// the path's own directory when its last part is the file itself, else the directory of its
// real path when its last part is a link. Either way the name must still lead to the file that
// was opened; kChanged when another program put something else there meanwhile.
OutputTarget::State::Located OutputTarget::State::LocateDirectory(const char* path,
                                                                  const struct stat& info) {
    struct stat found {};
    // Holds the directory of `where` and looks at its last part, not following it.
    const auto look = [&](const std::string& where) {
        directory = UniqueFd(sys::Open(DirectoryOf(where).c_str(), kDirectoryFlags));
        name = BaseNameOf(where);
        return directory.IsOpen() &&
               sys::FstatAt(directory.Get(), name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0;
    };
    const auto failed = [] { return PathChanged(errno) ? Located::kChanged : Located::kFailed; };
    if (!look(path)) return failed();
    if (SameFile(found, info)) return Located::kFound;
    if (!S_ISLNK(found.st_mode)) return Located::kChanged;
    // A link: the whole path resolved once, and checked against the open file like the first.
    std::unique_ptr<char, decltype(&std::free)> real(sys::Realpath(path), &std::free);
    if (!real || !look(real.get())) return failed();
    return SameFile(found, info) ? Located::kFound : Located::kChanged;
}

bool OutputTarget::NeedsWholeText() const noexcept {
    // A stream cannot take back what went out: nothing goes before all of it is ready.
    return m_state && m_state->mode != State::Mode::kReplace;
}

bool OutputTarget::Reserve(std::uint64_t size) noexcept {
    if (!m_state || m_state->mode != State::Mode::kInPlace || m_state->reserved) return true;
    if (!m_state->ReserveInPlace(size)) return Fail(WriteStep::kInPlace);
    m_state->reserved = true;
    return true;
}

bool OutputTarget::Write(const char* data, std::size_t size) noexcept {
    const WriteStep failed = m_state->WriteText(data, size);
    return failed == WriteStep::kNone || Fail(failed);
}

bool OutputTarget::Commit() noexcept {
    if (!m_state || !m_state->fd.IsOpen()) return Fail(WriteStep::kFlush, EBADF);
    State& state = *m_state;
    bool ok = true;
    if (state.mode == State::Mode::kInPlace && !state.CutInPlace()) ok = Fail(WriteStep::kInPlace);
    if (ok && state.mode != State::Mode::kStream && !FlushToDisk(state.fd.Get())) {
        ok = Fail(WriteStep::kSync);
    }
    if (ok && state.unnamed && !state.NameUnnamed()) ok = Fail(WriteStep::kRename);
    // A file system that writes back late reports the failure here.
    if (!state.fd.Close() && ok) ok = Fail(WriteStep::kFlush);
    if (ok && state.mode == State::Mode::kReplace && !state.PutInPlace()) {
        ok = Fail(WriteStep::kRename);
    }
    if (!ok) Discard();
    state.createdThroughLink = false;  // written, or taken away
    return ok;
}

}  // namespace reuseblocks::detail::platform
