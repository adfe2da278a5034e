// SPDX-License-Identifier: MIT
#include "platform/whole_file.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "platform/side_by_side.h"

namespace reuseblocks::detail::platform {

namespace {

// From this size on, a regular file is read in two halves side by side: copying a large file out
// of the system's cache, into memory never touched before, is a large part of reading it.
constexpr std::size_t kBytesReadInHalves = std::size_t{4} << 20;

struct RangeRead {
    std::size_t first = 0;
    std::size_t wanted = 0;
    std::size_t got = 0;
    ErrorCode error = 0;
};

// The bytes from `first` to `last`, or fewer where the file ends.
RangeRead ReadRange(const FileReader& file, char* bytes, std::size_t first, std::size_t last) {
    RangeRead range;
    range.first = first;
    range.wanted = last - first;
    while (range.got < range.wanted) {
        const std::ptrdiff_t got = file.ReadAt(first + range.got, bytes + first + range.got,
                                               range.wanted - range.got, range.error);
        if (got <= 0) break;
        range.got += static_cast<std::size_t>(got);
    }
    return range;
}

// From this size on, a buffer is on huge pages; below, the slack before the first boundary would
// be most of its address space.
constexpr std::size_t kBytesOnHugePages = 2 * kHugePageBytes;

}  // namespace

void WholeFileText::Reserve(std::size_t capacity, std::size_t kept) {
    std::unique_ptr<char[]> small;
    HugePageMemory large;
    char* bytes = nullptr;
    if (capacity >= kBytesOnHugePages) {
        large = HugePageMemory(capacity);
        bytes = static_cast<char*>(large.Get());
    } else {
        small.reset(new char[capacity]);
        bytes = small.get();
    }
    if (kept > 0) std::memcpy(bytes, m_bytes, kept);
    m_small = std::move(small);
    m_large = std::move(large);
    m_bytes = bytes;
}

ErrorCode WholeFileText::ReadAll(FileReader& file) {
    m_size = 0;
    // The size, when the file has one, makes the buffer right at once; without one (a pipe) or
    // past it (a file that grows meanwhile), the buffer doubles as the bytes come. Only a file
    // with a size is read by position: some files of the system show none and read only in turn.
    std::uint64_t size = 0;
    const bool sized = file.RegularFileSize(size) && size > 0 &&
                       size < std::numeric_limits<std::size_t>::max() / 2;
    constexpr std::size_t kFirstPiece = std::size_t{1} << 20;
    // One byte over the size, so that the read that finds the end needs no second buffer.
    std::size_t capacity = sized ? static_cast<std::size_t>(size) + 1 : kFirstPiece;
    Reserve(capacity, 0);
    if (sized) {
        const std::array<RangeRead, 2> halves =
            InHalves(static_cast<std::size_t>(size), kBytesReadInHalves,
                     [&](int, std::size_t first, std::size_t last) {
                         return ReadRange(file, m_bytes, first, last);
                     });
        // A file cut short meanwhile ends where the first half found its end.
        m_size = halves[0].got < halves[0].wanted ? halves[0].got : halves[1].first + halves[1].got;
        if (halves[0].error != 0) return halves[0].error;
        if (halves[1].error != 0) return halves[1].error;
    }
    for (;;) {
        if (m_size == capacity) {
            if (capacity > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
            capacity *= 2;
            Reserve(capacity, m_size);
        }
        ErrorCode error = 0;
        char* const free = m_bytes + m_size;
        const std::ptrdiff_t got = sized ? file.ReadAt(m_size, free, capacity - m_size, error)
                                         : file.Read(free, capacity - m_size, error);
        if (got < 0) return error;
        if (got == 0) return 0;
        m_size += static_cast<std::size_t>(got);
    }
}

}  // namespace reuseblocks::detail::platform
