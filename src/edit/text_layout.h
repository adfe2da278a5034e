// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_EDIT_TEXT_LAYOUT_H
#define REUSEBLOCKS_EDIT_TEXT_LAYOUT_H

#include <reuseblocks/diagnostics.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "edit/key_places.h"
#include "format/line_syntax.h"
#include "host/keyed_hash.h"
#include "platform/huge_page_allocator.h"

namespace reuseblocks::detail {

// Where each block of a blocks file's text stands, read with the loader's rules, so that an edit
// can keep every byte it does not change. Only where lines and blocks stand is kept: a block's
// values are split out of its lines again when asked for, which costs less than holding every
// value of a large file a second time.
struct TextLayout {
    using Row = std::array<std::string_view, kLayerMapColumnCount>;
    using Properties = std::array<std::string_view, kPropertyCount>;

    struct Block {
        std::string_view key;        // the ID it loads under
        std::size_t definition = 0;  // index of its line
        std::size_t firstRow = 0;    // index into rowLines of its first row
        std::size_t rowCount = 0;
    };

    std::string_view text;
    // Each line's first byte, then the end of the text.
    platform::UnfilledHugePageVector<std::size_t> lineStarts;
    platform::UnfilledHugePageVector<std::size_t> rowLines;  // the line of every row, in order
    platform::HugePageVector<Block> blocks;
    KeyPlaces byKey{ProcessHashKey()};  // index into blocks
    // LoadResult codes: 0, or the rejection of line `rejectedLine` (1-based).
    int result = 0;
    unsigned long rejectedLine = 0;
    std::string message;

    std::size_t LineCount() const noexcept {
        return lineStarts.empty() ? 0 : lineStarts.size() - 1;
    }
    // Line `index` (0-based) as the scanner gave it.
    format::ScannedLine Line(std::size_t index) const noexcept;
    // The line of row `row` (0-based) of `block`.
    std::size_t RowLine(const Block& block, std::size_t row) const noexcept {
        return rowLines[block.firstRow + row];
    }
    // The last line of `block`: its last row's, or its definition's.
    std::size_t LastLine(const Block& block) const noexcept {
        return block.rowCount == 0 ? block.definition : RowLine(block, block.rowCount - 1);
    }
    // The block under `key`, or null.
    const Block* Find(std::string_view key) const;

    // A block's values, split out of its lines with the loader's rules; `scratch` is room for
    // the split, kept from call to call so that splitting allocates nothing.
    using Fields = std::vector<std::string_view>;
    Properties PropertiesOf(const Block& block, Fields& scratch) const;
    Row RowOf(const Block& block, std::size_t row, Fields& scratch) const;
    std::vector<Row> RowsOf(const Block& block, Fields& scratch) const;
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
