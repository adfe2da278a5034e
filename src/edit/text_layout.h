// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_TEXT_LAYOUT_H
#define REUSEBLOCKS_EDIT_TEXT_LAYOUT_H

#include <reuseblocks/diagnostics.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "format/line_syntax.h"

namespace reuseblocks::detail {

// Where each block of a blocks file's text stands, read with the loader's rules, so that an edit
// can keep every byte it does not change.
struct TextLayout {
    using Row = std::array<std::string_view, kLayerMapColumnCount>;

    struct Block {
        std::string_view key;  // the ID it loads under
        std::array<std::string_view, kPropertyCount> properties;
        std::size_t definition = 0;         // index into lines
        std::vector<std::size_t> rowLines;  // index into lines, one a row
        std::vector<Row> rows;
    };

    std::vector<format::ScannedLine> lines;
    std::vector<Block> blocks;
    // LoadResult codes: 0, or the rejection of line `rejectedLine` (1-based).
    int result = 0;
    unsigned long rejectedLine = 0;
    std::string message;
};

// The layout of `text`; the views point into it. Reading stops at the first line the loader
// would reject, as the loader does.
TextLayout ReadLayout(std::string_view text);

// The line end `line` ends with: "\r\n", "\n" or nothing.
std::string_view LineEndOf(const format::ScannedLine& line) noexcept;

// The line end new lines of `layout` take: that of its first line that has one, or the system's.
std::string_view PrevailingLineEnd(const TextLayout& layout) noexcept;

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_EDIT_TEXT_LAYOUT_H
