// SPDX-License-Identifier: MIT
#include "whole_file.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>

namespace reuseblocks::tool {

std::optional<WholeFileText> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return std::nullopt;
    // The size, when the file has one, makes the buffer right at once; without one (a pipe,
    // which refuses the seek back that would leave the stream failed) or past it (a file that
    // grows meanwhile), the buffer doubles as the bytes come.
    in.seekg(0, std::ios::end);
    std::streamoff size = -1;
    if (in.good()) {
        size = static_cast<std::streamoff>(in.tellg());
        if (!in.seekg(0, std::ios::beg)) return std::nullopt;  // the start is gone
    }
    in.clear();
    constexpr std::size_t kFirstPiece = std::size_t{1} << 20;
    // One byte over the size, so that the read that finds the end needs no second buffer.
    std::size_t capacity =
        size > 0 && static_cast<std::uint64_t>(size) < std::numeric_limits<std::size_t>::max() / 2
            ? static_cast<std::size_t>(size) + 1
            : kFirstPiece;
    WholeFileText text;
    text.m_bytes.reset(new char[capacity]);
    for (;;) {
        if (text.m_size == capacity) {
            if (capacity > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
            capacity *= 2;
            std::unique_ptr<char[]> larger(new char[capacity]);
            std::memcpy(larger.get(), text.m_bytes.get(), text.m_size);
            text.m_bytes = std::move(larger);
        }
        in.read(text.m_bytes.get() + text.m_size,
                static_cast<std::streamsize>(capacity - text.m_size));
        text.m_size += static_cast<std::size_t>(in.gcount());
        if (!in) break;
    }
    if (in.bad()) return std::nullopt;
    return text;
}

}  // namespace reuseblocks::tool
