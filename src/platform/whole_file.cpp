// SPDX-License-Identifier: MIT
#include "platform/whole_file.h"

#include <array>
#include <cstdint>
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

}  // namespace

ErrorCode WholeFileText::ReadAll(FileReader& file) {
    // The buffer is sized ahead of the bytes; however the reading ends, the text is what it read.
    std::size_t read = 0;
    struct CutToWhatWasRead {
        UnfilledHugePageVector<char>& bytes;
        const std::size_t& read;
        ~CutToWhatWasRead() { bytes.resize(read); }
    } cut{m_bytes, read};
    // The size, when the file has one, makes the buffer right at once; without one (a pipe) or
    // past it (a file that grows meanwhile), the buffer doubles as the bytes come. Only a file
    // with a size is read by position: some files of the system show none and read only in turn.
    std::uint64_t size = 0;
    const bool sized = file.RegularFileSize(size) && size > 0 &&
                       size < std::numeric_limits<std::size_t>::max() / 2;
    constexpr std::size_t kFirstPiece = std::size_t{1} << 20;
    // One byte over the size, so that the read that finds the end needs no second buffer.
    m_bytes.clear();
    m_bytes.resize(sized ? static_cast<std::size_t>(size) + 1 : kFirstPiece);
    if (sized) {
        const std::array<RangeRead, 2> halves =
            InHalves(static_cast<std::size_t>(size), kBytesReadInHalves,
                     [&](int, std::size_t first, std::size_t last) {
                         return ReadRange(file, m_bytes.data(), first, last);
                     });
        // A file cut short meanwhile ends where the first half found its end.
        read = halves[0].got < halves[0].wanted ? halves[0].got : halves[1].first + halves[1].got;
        if (halves[0].error != 0) return halves[0].error;
        if (halves[1].error != 0) return halves[1].error;
    }
    for (;;) {
        if (read == m_bytes.size()) {
            if (read > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
            m_bytes.resize(read * 2);
        }
        ErrorCode error = 0;
        char* const free = m_bytes.data() + read;
        const std::size_t room = m_bytes.size() - read;
        const std::ptrdiff_t got =
            sized ? file.ReadAt(read, free, room, error) : file.Read(free, room, error);
        if (got < 0) return error;
        if (got == 0) return 0;
        read += static_cast<std::size_t>(got);
    }
}

}  // namespace reuseblocks::detail::platform
