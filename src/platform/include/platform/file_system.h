// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PLATFORM_FILE_SYSTEM_H
#define REUSEBLOCKS_PLATFORM_FILE_SYSTEM_H

// Everything the loader and the writer need from the operating system, and nothing more. One
// implementation per system (src/platform/posix, src/platform/win32), chosen by CMake; the code
// above this header holds no system call and no system #ifdef.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "reuseblocks/diagnostics.h"

namespace reuseblocks::detail::platform {

// What the writer puts at the end of every line: text files as the system's own tools write
// them. The reader accepts both everywhere.
#if defined(_WIN32)
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

// A system error number as this layer reports it (errno on POSIX; a Win32 layer may map its own
// codes), 0 meaning none.
using ErrorCode = int;

// The text of an error, for load reports. Never empty.
std::string ErrorText(ErrorCode error);

// The local time of `when`. False, with `local` untouched, when the system cannot convert it.
bool LocalTime(std::time_t when, std::tm& local) noexcept;

// A file opened for reading from start to end, closed when the object goes.
class FileReader {
  public:
    FileReader() noexcept = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // Opens `path` (null: not found) for reading; 0, or the error. A FIFO is read as cat reads
    // it: the open waits for its writer, and a signal the host handles ends the wait (EINTR).
    ErrorCode Open(const char* path) noexcept;

    // Reads up to `size` bytes into `buffer`, retrying interrupted reads. Returns the count read,
    // 0 at the end of the file, or -1 with `error` set.
    std::ptrdiff_t Read(char* buffer, std::size_t size, ErrorCode& error) noexcept;

    // True, with `size` written, when the open file is a regular file: one that ReadAt can read
    // anywhere. False for pipes, devices and directories, which are read from start to end.
    bool RegularFileSize(std::uint64_t& size) const noexcept;

    // As Read, at `offset` of a regular file. Several threads may read at once; afterwards the
    // position Read goes on from is unspecified.
    std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size,
                          ErrorCode& error) const noexcept;

  private:
    std::intptr_t m_handle = -1;  // the system's handle: a descriptor, a HANDLE
};

// Why writing a file failed: the step, and the system's error for it (0 when none).
struct OutputFailure {
    WriteStep step = WriteStep::kNone;
    ErrorCode error = 0;
    // kOpen: what the path's last part, a link, leads to, when no file can be made there (its
    // folder is missing); empty otherwise.
    std::string danglingLink;
};

// Where OutputFile puts its text: one file, written so that a failure leaves what was there.
//
// Open decides how. Replacing: the text goes to a new file beside the target, and Commit flushes
// it to disk and puts it in the target's place in one atomic step, keeping what the system lets
// it keep of the old file (mode, owner, attributes). In place: for what cannot be replaced (a
// device, a pipe, a stream the process already holds, a file several names share (unless told
// otherwise), a file whose
// directory the process may not add to, a file whose owner, group or attributes a new file could
// not keep) the text goes to the target itself.
// Destroying the object before a successful Commit discards the new file: the target keeps its
// old content when replacing. In place, a write or the cut at the end that fails puts the old
// text and length back, where the process may read the file.
class OutputTarget {
  public:
    OutputTarget() noexcept;
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();

    // What Open does with a regular file that several names share (hard links).
    enum class SharedFile {
        kWriteInPlace,  // every name sees the new text, as a blocks file's other names expect
        kReplace,       // this name gets the new file; the other names keep the old one
    };

    // Prepares writing to `path`. False when it cannot be written; nothing has changed then.
    // Throws std::bad_alloc only.
    bool Open(const char* path, SharedFile shared = SharedFile::kWriteInPlace);

    // True when a failed write would leave the target damaged (a file written in place, a
    // stream). The caller then gathers the whole text in memory and hands it over at the end,
    // so that running out of memory, or text found unfit, leaves the target as it was.
    bool NeedsWholeText() const noexcept;

    // For a target that NeedsWholeText: the whole text is `size` bytes. A file written in place
    // makes room for all of it before a byte of it changes, and when there is none (a full disk,
    // a file size limit) this fails with the file as it was. Without it, the first Write makes
    // room for what it is given. Does nothing for a stream or a file being replaced.
    bool Reserve(std::uint64_t size) noexcept;

    // Writes all `size` bytes; false on failure. Never raises a signal in the host (a reader of
    // a pipe gone away is a failure).
    bool Write(const char* data, std::size_t size) noexcept;

    // Flushes the written text to disk, closes, and replaces the target when replacing. False
    // on any failure; when replacing, the target then keeps its old content.
    bool Commit() noexcept;

    // Closes and removes the new file, if any. Called by the destructor.
    void Discard() noexcept;

    // Why the last Open, Write or Commit that returned false failed.
    const OutputFailure& Failure() const noexcept { return m_failure; }

  private:
    struct State;  // the system's side

    // Records `step` with the system's current error; returns false.
    bool Fail(WriteStep step) noexcept;
    bool Fail(WriteStep step, ErrorCode error) noexcept;

    std::unique_ptr<State> m_state;
    OutputFailure m_failure;
};

}  // namespace reuseblocks::detail::platform

#endif  // REUSEBLOCKS_PLATFORM_FILE_SYSTEM_H
