// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_POSIX_OUTPUT_TARGET_STATE_H
#define REUSEBLOCKS_PLATFORM_POSIX_OUTPUT_TARGET_STATE_H

// The POSIX side of OutputTarget, shared by the files that choose the target
// (output_target.cpp), replace a regular file (replace_file.cpp) and write in place
// (write_in_place.cpp).

#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "posix/temporary_name.h"
#include "posix/unique_fd.h"

namespace reuseblocks::detail::platform {

// Without O_PATH a directory the process may search but not list cannot be held open.
#if defined(O_PATH)
inline constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
inline constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

struct OutputTarget::State {
    enum class Mode {
        kReplace,  // a new file in `directory`, renamed over `name` by Commit
        kInPlace,  // the target itself, written over from the start and cut to length at the end
        kStream,   // a device, a pipe or an open file the process holds: written as it stands
    };

    // Choosing the target. False with `retry` set when the name changed between two looks.
    bool OpenExisting(UniqueFd target, const struct stat& info, const char* path, bool& retry);
    bool OpenNew(const char* path, bool& retry);
    enum class Located {
        kFound,    // `directory` holds the file under `name`
        kChanged,  // the name leads to another file now, or to none
        kFailed,   // errno tells why
    };
    Located LocateDirectory(const char* path, const struct stat& info);

    // Replacing a regular file.
    int CreateTemporary(mode_t mode);
    bool NameUnnamed();
    bool PutInPlace() noexcept;
    void RemoveTemporary() noexcept;

    // Writing to the target itself; room to keep the `size` bytes of a regular file's old text.
    // Throws std::bad_alloc only.
    void InPlace(UniqueFd target, bool regular, off_t size = 0);
    // kInPlace: room for `size` bytes from the start, made without changing a byte; false, with
    // errno set and the file as it was, when there is none.
    bool ReserveInPlace(std::uint64_t size) noexcept;
    // kInPlace: the old text after the new cut off.
    bool CutInPlace() noexcept;
    // kInPlace: the old text and length back after a failure part-way, as far as they were
    // kept; errno stays as it was.
    void RestoreInPlace() noexcept;
    // kNone, or the step that failed with errno set.
    WriteStep WriteText(const char* data, std::size_t size) noexcept;

    Mode mode = Mode::kStream;
    UniqueFd fd;         // where the text goes
    UniqueFd directory;  // kReplace: the target's directory, all names relative to it
    std::string name;    // kReplace: the target's name in `directory`
    char temporary[kTemporaryNameSize] = {};  // the new file's name; empty while it has none
    bool unnamed = false;                     // an O_TMPFILE, named only when complete
    bool reserved = false;                    // kInPlace: room made for the whole text
    std::uint64_t written = 0;                // kInPlace: bytes of the new text written
    std::string openedPath;                   // kInPlace: where the old text is read from
    off_t oldSize = -1;                       // kInPlace: the old length, once room is made
    // kInPlace: the old text the new goes over, kept when the file could be read.
    std::unique_ptr<char[]> oldText;
    std::size_t oldTextCapacity = 0;
    std::size_t oldTextSize = 0;
    bool oldTextKept = false;
    bool pipe = false;                // writes may raise SIGPIPE
    bool replaceShared = false;       // a file with several names is replaced too
    bool createdThroughLink = false;  // an empty file made for a dangling link, gone on failure
    UniqueFd createdDirectory;        // where that file is, under `createdName`
    std::string createdName;
    std::string danglingLink;  // what a dangling link leads to where nothing can be made
    struct stat created {};
};

// Clears O_NONBLOCK, which the target was opened with so that a FIFO without a reader does not
// wait. False when the descriptor's flags cannot be read or set.
bool ClearNonBlocking(int fd) noexcept;
// Makes what was written to `fd` durable.
bool FlushToDisk(int fd) noexcept;

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_POSIX_OUTPUT_TARGET_STATE_H
