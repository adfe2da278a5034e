// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FORMAT_WRITTEN_LINE_H
#define REUSEBLOCKS_FORMAT_WRITTEN_LINE_H

// A record line as the library writes it: every value followed by one blank, then the line end;
// nothing quoted or escaped, never used as a format. The writer and the editor both go through
// here, so that a line written into a file's own text is the line a fresh file would have.

#include <reuseblocks/fields.h>
#include <reuseblocks/reuseblocks.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace reuseblocks::format {

// A definition line's values: the block's properties in order.
using DefinitionValues = std::array<std::string_view, kPropertyCount>;
// A mapping line's values: the keyword, the block's ID and the row's columns.
using MappingValues = std::array<std::string_view, 2 + kLayerMapColumnCount>;

inline DefinitionValues DefinitionValuesOf(const CReuseBlock& block) {
    DefinitionValues values;
    for (std::uint32_t index = 0; index < kPropertyCount; ++index) {
        values[index] = block.GetPropertyRef(index).GetView();
    }
    return values;
}

// The mapping line of `row` names the block by `id`, its property 0 when it is written.
inline MappingValues MappingValuesOf(const CReuseBlock& block, std::string_view id,
                                     std::uint32_t row) {
    MappingValues values;
    values[0] = kMappingKeyword;
    values[1] = id;
    for (std::uint32_t column = 0; column < kLayerMapColumnCount; ++column) {
        values[2 + column] = block.GetLayerMapRef(row, column).GetView();
    }
    return values;
}

template <std::size_t N>
std::size_t WrittenLineLength(const std::array<std::string_view, N>& values,
                              std::string_view lineEnd) noexcept {
    std::size_t length = lineEnd.size();
    for (const std::string_view value : values) length += value.size() + 1;
    return length;
}

// Puts the line at `at`, which has room for WrittenLineLength bytes, copying each value at its
// exact size; returns the end of the line.
template <std::size_t N>
char* PutWrittenLine(char* at, const std::array<std::string_view, N>& values,
                     std::string_view lineEnd) noexcept {
    for (const std::string_view value : values) {
        if (!value.empty()) std::memcpy(at, value.data(), value.size());
        at += value.size();
        *at++ = ' ';
    }
    if (!lineEnd.empty()) std::memcpy(at, lineEnd.data(), lineEnd.size());
    return at + lineEnd.size();
}

template <std::size_t N>
void AppendWrittenLine(std::string& out, const std::array<std::string_view, N>& values,
                       std::string_view lineEnd) {
    const std::size_t at = out.size();
    out.resize(at + WrittenLineLength(values, lineEnd));
    PutWrittenLine(out.data() + at, values, lineEnd);
}

}  // namespace reuseblocks::format

#endif  // REUSEBLOCKS_FORMAT_WRITTEN_LINE_H
