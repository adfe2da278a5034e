// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "win32/wide_path.h"

namespace reuseblocks::detail::platform {

namespace {

constexpr int kMaxNameAttempts = 64;
// The most UTF-16 units a path of the \\?\ form may have.
constexpr std::size_t kLongestPath = 32767;
// Asked for at most this much per WriteFile, whose count is a DWORD.
constexpr std::size_t kMaxWrite = std::size_t{1} << 30;

// Sharing everything: looking at a file must not stand in anyone's way.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// What a replaced file passes on to the new one (read-only files are never replaced).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring BaseNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The path of the file an open handle stands for, links resolved; empty when unknown.
std::wstring FinalPathOf(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = ::GetFinalPathNameByHandleW(
            file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (size == 0) return std::wstring();
        if (size < path.size()) {
            path.resize(size);
            return path;
        }
        path.resize(size);
    }
}

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::wstring();
    std::wstring full(size, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return std::wstring();
    full.resize(written);
    return full;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

struct OutputTarget::State {
    // `existing`: whether a file is there to replace, with `kept` of its attributes.
    bool OpenReplacement(const std::wstring& path, bool existing, DWORD kept);
    bool Replace() noexcept;
    // Written in place: room for `size` bytes from the start, made without changing a byte of the
    // file; false, with the system's error set and the file as it was, when there is none.
    bool ReserveInPlace(std::uint64_t size) noexcept;

    UniqueHandle file;
    std::wstring target;     // the file that a successful Commit leaves holding the text
    std::wstring temporary;  // empty when writing in place
    bool replacesExisting = false;
    DWORD attributes = 0;        // those of the file replaced that the new one takes over
    bool inPlaceOnDisk = false;  // truncated behind the new text and flushed at Commit
    bool reserved = false;       // in place: room made for the whole text
};

OutputTarget::OutputTarget() noexcept = default;

OutputTarget::~OutputTarget() {
    Discard();
}

void OutputTarget::Discard() noexcept {
    if (!m_state) return;
    m_state->file.Close();
    if (!m_state->temporary.empty()) {
        ::DeleteFileW(m_state->temporary.c_str());
        m_state->temporary.clear();
    }
}

bool OutputTarget::Fail(WriteStep step) noexcept {
    return Fail(step, FromWin32Error(::GetLastError()));
}

bool OutputTarget::Fail(WriteStep step, ErrorCode error) noexcept {
    m_failure = OutputFailure{step, error, std::string()};
    return false;
}

bool OutputTarget::Open(const char* path, SharedFile shared) {
    m_failure = OutputFailure{};
    if (!path || !*path) return Fail(WriteStep::kOpen, ENOENT);
    m_state = std::make_unique<State>();
    std::wstring wide;
    if (!ToWidePath(path, wide)) {
        // Longer than any path the system takes, or not text it can name a file with.
        return Fail(WriteStep::kOpen, std::strlen(path) >= kLongestPath ? ENAMETOOLONG : ENOENT);
    }
    // What is there now, a link followed to the file it names.
    UniqueHandle existing(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (existing.IsOpen()) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (::GetFileType(existing.Get()) == FILE_TYPE_DISK) {
            if (!::GetFileInformationByHandle(existing.Get(), &info)) return Fail(WriteStep::kOpen);
            if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                return Fail(WriteStep::kOpen, EISDIR);
            }
            // Replacing would get past the read-only attribute: refuse, as writing in place would.
            if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                return Fail(WriteStep::kOpen, EACCES);
            }
            // A file several names share is written in place, or replacing would split them,
            // unless that is asked for.
            if (info.nNumberOfLinks == 1 || shared == SharedFile::kReplace) {
                const std::wstring real = FinalPathOf(existing.Get());
                existing.Close();
                const DWORD kept = info.dwFileAttributes & kKeptAttributes;
                if (!real.empty() && m_state->OpenReplacement(real, true, kept)) return true;
            }
        }
        existing.Close();
    } else if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
        const std::wstring full = FullPathOf(wide);
        if (!full.empty() && m_state->OpenReplacement(full, false, 0)) return true;
    }
    // In place: the old content stays until the whole new text has been written over it.
    m_state->file.Reset(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_state->file.IsOpen()) return Fail(WriteStep::kOpen);
    m_state->inPlaceOnDisk = ::GetFileType(m_state->file.Get()) == FILE_TYPE_DISK;
    return true;
}

bool OutputTarget::State::OpenReplacement(const std::wstring& path, bool existing, DWORD kept) {
    const std::wstring prefix = DirectoryOf(path) + L"\\." + BaseNameOf(path) + L".";
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    std::uint64_t seed = static_cast<std::uint64_t>(ticks.QuadPart) ^
                         (std::uint64_t{::GetCurrentProcessId()} << 40) ^
                         static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this));
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        seed = seed * 6364136223846793005ULL +
               1442695040888963407ULL;  // clashes are rare; CREATE_NEW settles them
        wchar_t suffix[32];
        std::swprintf(suffix, sizeof suffix / sizeof suffix[0], L"%012llx.tmp",
                      static_cast<unsigned long long>(seed >> 16));
        std::wstring name = prefix + suffix;
        file.Reset(::CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsOpen()) {
            temporary = std::move(name);
            target = path;
            replacesExisting = existing;
            attributes = kept;
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool OutputTarget::NeedsWholeText() const noexcept {
    return m_state && m_state->temporary.empty();
}

bool OutputTarget::State::ReserveInPlace(std::uint64_t size) noexcept {
    LARGE_INTEGER old{};
    if (!::GetFileSizeEx(file.Get(), &old)) return false;
    if (size > static_cast<std::uint64_t>(INT64_MAX)) {
        ::SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    LARGE_INTEGER wanted{};
    wanted.QuadPart = static_cast<LONGLONG>(size);
    if (wanted.QuadPart <= old.QuadPart) return true;
    // The clusters, asked for without moving the end of the file.
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize = wanted;
    if (::SetFileInformationByHandle(file.Get(), FileAllocationInfo, &allocation,
                                     sizeof allocation)) {
        return true;
    }
    const DWORD refused = ::GetLastError();
    if (refused == ERROR_DISK_FULL || refused == ERROR_HANDLE_DISK_FULL) return false;
    // A file system that takes no such request finds the room when the end moves out; the new
    // text then goes over what it added, and where there is no room the end goes back.
    const LARGE_INTEGER start{};
    if (::SetFilePointerEx(file.Get(), wanted, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()) &&
        ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) {
        return true;
    }
    const DWORD error = ::GetLastError();
    if (::SetFilePointerEx(file.Get(), old, nullptr, FILE_BEGIN)) ::SetEndOfFile(file.Get());
    ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN);
    ::SetLastError(error);
    return false;
}

bool OutputTarget::Reserve(std::uint64_t size) noexcept {
    if (!m_state || !m_state->temporary.empty() || !m_state->inPlaceOnDisk || m_state->reserved) {
        return true;
    }
    if (!m_state->ReserveInPlace(size)) return Fail(WriteStep::kInPlace);
    m_state->reserved = true;
    return true;
}

bool OutputTarget::Write(const char* data, std::size_t size) noexcept {
    // In place, the first write makes room for what it is given unless Reserve did for all.
    if (!Reserve(size)) return false;
    while (size > 0) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(size < kMaxWrite ? size : kMaxWrite);
        if (!::WriteFile(m_state->file.Get(), data, chunk, &written, nullptr)) {
            return Fail(WriteStep::kWrite);
        }
        if (written == 0) return Fail(WriteStep::kWrite, EIO);
        data += written;
        size -= written;
    }
    return true;
}

bool OutputTarget::State::Replace() noexcept {
    if (!replacesExisting) {
        return ::MoveFileExW(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    // A program holding the target open without sharing delete makes the replace fail: find out
    // first, before ReplaceFileW has moved anything.
    UniqueHandle probe(::CreateFileW(target.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.IsOpen()) return false;
    probe.Close();
    // Keeps the old file's security and owner, and its attributes, set on the new one before
    // as well since not every implementation of ReplaceFileW carries them over.
    if (attributes != 0) ::SetFileAttributesW(temporary.c_str(), attributes);
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
        return true;
    }
    // The old file went away (removed meanwhile, or ReplaceFileW moved it off and could not put
    // the new one in its place): the new text, complete and on disk, takes the name.
    if (Exists(target)) return false;
    if (::MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    temporary.clear();  // now the only copy of anything: kept under its temporary name
    return false;
}

bool OutputTarget::Commit() noexcept {
    if (!m_state || !m_state->file.IsOpen()) return Fail(WriteStep::kFlush, EBADF);
    State& state = *m_state;
    const bool replacing = !state.temporary.empty();
    bool ok = true;
    if (replacing || state.inPlaceOnDisk) {
        // The old text behind the new goes only now, once all of the new has been written.
        if (!replacing && !::SetEndOfFile(state.file.Get())) ok = Fail(WriteStep::kInPlace);
        if (ok && !::FlushFileBuffers(state.file.Get())) ok = Fail(WriteStep::kSync);
    }
    if (!state.file.Close() && ok) ok = Fail(WriteStep::kFlush);
    if (ok && replacing) {
        ok = state.Replace() || Fail(WriteStep::kRename);
        if (ok) state.temporary.clear();
    }
    if (!ok) Discard();
    return ok;
}

}  // namespace reuseblocks::detail::platform
