// SPDX-License-Identifier: MIT
#include "whole_file.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "platform/file_system.h"
#include "platform/side_by_side.h"

namespace reuseblocks::tool {

namespace {

using detail::platform::ErrorCode;
using detail::platform::FileReader;

// From this size on, a regular file is read in two halves side by side: copying a large file out
// of the system's cache, into memory never touched before, is much of what a strict check costs.
constexpr std::size_t kBytesReadInHalves = std::size_t{4} << 20;

struct RangeRead {
    std::size_t first = 0;
    std::size_t wanted = 0;
    std::ptrdiff_t got = 0;  // -1: a read failed
};

// The bytes from `first` to `last`, or fewer where the file ends.
RangeRead ReadRange(const FileReader& file, char* bytes, std::size_t first, std::size_t last) {
    RangeRead range{first, last - first, 0};
    std::size_t done = 0;
    while (done < range.wanted) {
        ErrorCode error = 0;
        const std::ptrdiff_t got =
            file.ReadAt(first + done, bytes + first + done, range.wanted - done, error);
        if (got < 0) {
            range.got = -1;
            return range;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    range.got = static_cast<std::ptrdiff_t>(done);
    return range;
}

}  // namespace

std::optional<WholeFileText> ReadWholeFile(const std::string& path) {
    FileReader file;
    if (file.Open(path.c_str()) != 0) return std::nullopt;
    // The size, when the file has one, makes the buffer right at once; without one (a pipe) or
    // past it (a file that grows meanwhile), the buffer doubles as the bytes come. Only a file
    // with a size is read by position: some files of the system show none and read only in turn.
    std::uint64_t size = 0;
    const bool sized = file.RegularFileSize(size) && size > 0 &&
                       size < std::numeric_limits<std::size_t>::max() / 2;
    constexpr std::size_t kFirstPiece = std::size_t{1} << 20;
    // One byte over the size, so that the read that finds the end needs no second buffer.
    std::size_t capacity = sized ? static_cast<std::size_t>(size) + 1 : kFirstPiece;
    WholeFileText text;
    text.m_bytes.reset(new char[capacity]);
    if (sized) {
        const std::array<RangeRead, 2> halves =
            detail::platform::InHalves(static_cast<std::size_t>(size), kBytesReadInHalves,
                                       [&](int, std::size_t first, std::size_t last) {
                                           return ReadRange(file, text.m_bytes.get(), first, last);
                                       });
        if (halves[0].got < 0 || halves[1].got < 0) return std::nullopt;
        // A file cut short meanwhile ends where the first half found its end.
        text.m_size = static_cast<std::size_t>(halves[0].got) < halves[0].wanted
                          ? static_cast<std::size_t>(halves[0].got)
                          : halves[1].first + static_cast<std::size_t>(halves[1].got);
    }
    for (;;) {
        if (text.m_size == capacity) {
            if (capacity > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
            capacity *= 2;
            std::unique_ptr<char[]> larger(new char[capacity]);
            std::memcpy(larger.get(), text.m_bytes.get(), text.m_size);
            text.m_bytes = std::move(larger);
        }
        ErrorCode error = 0;
        char* const free = text.m_bytes.get() + text.m_size;
        const std::ptrdiff_t got =
            sized ? file.ReadAt(text.m_size, free, capacity - text.m_size, error)
                  : file.Read(free, capacity - text.m_size, error);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        text.m_size += static_cast<std::size_t>(got);
    }
    return text;
}

}  // namespace reuseblocks::tool
