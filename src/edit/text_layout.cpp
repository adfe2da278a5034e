// SPDX-License-Identifier: MIT
#include "edit/text_layout.h"

#include <algorithm>
#include <future>
#include <system_error>
#include <utility>

#include "platform/file_system.h"

namespace reuseblocks::detail {

namespace {

// The fields of a record line, as the loader splits them.
void SplitLine(std::string_view line, TextLayout::Fields& fields) {
    format::SplitFields(format::StripRecordEnds(format::TrimLine(line)), fields);
}

}  // namespace

format::ScannedLine TextLayout::Line(std::size_t index) const noexcept {
    format::ScannedLine line;
    line.number = static_cast<unsigned long>(index + 1);
    line.offset = lineStarts[index];
    line.whole = text.substr(line.offset, lineStarts[index + 1] - line.offset);
    line.text = line.whole;
    if (!line.text.empty() && line.text.back() == '\n') line.text.remove_suffix(1);
    return line;
}

const TextLayout::Block* TextLayout::Find(std::string_view key) const {
    const std::size_t found = byKey.Find(key);
    return found == KeyPlaces::kNone ? nullptr : &blocks[found];
}

TextLayout::Properties TextLayout::PropertiesOf(const Block& block, Fields& scratch) const {
    SplitLine(Line(block.definition).text, scratch);
    Properties properties;
    std::copy_n(scratch.begin(), properties.size(), properties.begin());
    return properties;
}

TextLayout::Row TextLayout::RowOf(const Block& block, std::size_t row, Fields& scratch) const {
    SplitLine(Line(RowLine(block, row)).text, scratch);
    Row values;
    std::copy_n(scratch.begin() + 2, values.size(), values.begin());
    return values;
}

std::vector<TextLayout::Row> TextLayout::RowsOf(const Block& block, Fields& scratch) const {
    std::vector<Row> rows;
    rows.reserve(block.rowCount);
    for (std::size_t row = 0; row < block.rowCount; ++row) {
        rows.push_back(RowOf(block, row, scratch));
    }
    return rows;
}

namespace {

// Texts from this size on are read in two pieces side by side.
constexpr std::size_t kPieceSize = std::size_t{4} << 20;

// A stretch of a text's lines read on its own. It starts at the text's start or at a definition
// line, so that none of its rows belongs to a block before it. Line indices are its own.
struct LayoutPiece {
    platform::HugePageVector<std::size_t> lineStarts;  // in the whole text
    platform::HugePageVector<std::size_t> rowLines;
    platform::HugePageVector<TextLayout::Block> blocks;
    std::size_t end = 0;  // of the last line read
    int result = 0;
    std::size_t rejected = 0;  // the index of the line rejected
    std::string message;
};

LayoutPiece ReadPiece(std::string_view text, std::size_t from, std::size_t to) {
    LayoutPiece piece;
    const std::string_view part = text.substr(from, to - from);
    // Sized once: a large file's lines would otherwise be moved again at every growth.
    const std::size_t feeds = format::CountLineFeeds(part);
    piece.lineStarts.reserve(feeds + 2);
    piece.rowLines.reserve(feeds);
    piece.end = from;
    TextLayout::Fields fields;
    format::LineScanner scanner(part);
    format::ScannedLine line;
    const auto reject = [&piece](std::size_t index, LoadResult code, std::string message) {
        piece.result = static_cast<int>(code);
        piece.rejected = index;
        piece.message = std::move(message);
    };
    while (scanner.Next(line)) {
        const std::size_t index = piece.lineStarts.size();
        piece.lineStarts.push_back(from + line.offset);
        piece.end = from + line.offset + line.whole.size();
        const std::string_view trimmed = format::TrimLine(line.text);
        const format::LineKind kind = format::ClassifyLine(trimmed);
        if (kind == format::LineKind::kEmpty || kind == format::LineKind::kComment) continue;
        const bool inBlock = !piece.blocks.empty();
        if (kind == format::LineKind::kMapping && !inBlock) continue;  // ignored, as loaded
        // A definition is named by its first field, a row by its second.
        const std::size_t count = format::CountFields(format::StripRecordEnds(trimmed), fields, 2);
        if (kind == format::LineKind::kDefinition) {
            if (count < format::kDefinitionFieldCount) {
                reject(index, LoadResult::kDefinitionTooShort,
                       format::FieldCountMessage(kind, count));
                break;
            }
            TextLayout::Block& block = piece.blocks.emplace_back();
            block.key = fields[0];
            block.definition = index;
            block.firstRow = piece.rowLines.size();
            continue;
        }
        TextLayout::Block& current = piece.blocks.back();
        if (fields.size() >= 2 && fields[1] != current.key) {
            reject(index, LoadResult::kForeignMapping,
                   format::ForeignMappingMessage(fields[1], current.key));
            break;
        }
        if (count < format::kMappingFieldCount) {
            reject(index, LoadResult::kMappingTooShort, format::FieldCountMessage(kind, count));
            break;
        }
        piece.rowLines.push_back(index);
        ++current.rowCount;
    }
    return piece;
}

// Where the second piece of a large text starts: the first definition line after its middle,
// or its end when there is none.
std::size_t SecondPieceStart(std::string_view text) {
    std::size_t feed = text.find('\n', text.size() / 2);
    while (feed != std::string_view::npos) {
        const std::size_t start = feed + 1;
        feed = text.find('\n', start);
        const std::string_view line =
            text.substr(start, feed == std::string_view::npos ? text.size() - start : feed - start);
        if (format::ClassifyLine(line) == format::LineKind::kDefinition) return start;
    }
    return text.size();
}

// Makes room in `layout` for the lines, rows and blocks of both pieces, so that the second is not
// copied twice.
void ReserveForBoth(TextLayout& layout, const LayoutPiece& first, const LayoutPiece& second) {
    layout.lineStarts.reserve(first.lineStarts.size() + second.lineStarts.size() + 1);
    layout.rowLines.reserve(first.rowLines.size() + second.rowLines.size());
    layout.blocks.reserve(first.blocks.size() + second.blocks.size());
}

// Adds `piece`, read after the lines of `layout`, to it.
void Append(TextLayout& layout, LayoutPiece&& piece) {
    const std::size_t lineOffset = layout.lineStarts.size();
    const std::size_t rowOffset = layout.rowLines.size();
    if (lineOffset == 0 && layout.lineStarts.capacity() == 0) {
        layout.lineStarts = std::move(piece.lineStarts);
        layout.rowLines = std::move(piece.rowLines);
        layout.blocks = std::move(piece.blocks);
    } else {
        layout.lineStarts.insert(layout.lineStarts.end(), piece.lineStarts.begin(),
                                 piece.lineStarts.end());
        layout.rowLines.reserve(rowOffset + piece.rowLines.size());
        for (const std::size_t line : piece.rowLines) layout.rowLines.push_back(line + lineOffset);
        layout.blocks.reserve(layout.blocks.size() + piece.blocks.size());
        for (TextLayout::Block block : piece.blocks) {
            block.definition += lineOffset;
            block.firstRow += rowOffset;
            layout.blocks.push_back(block);
        }
    }
    layout.result = piece.result;
    layout.rejectedLine = static_cast<unsigned long>(lineOffset + piece.rejected + 1);
    layout.message = std::move(piece.message);
}

}  // namespace

TextLayout ReadLayout(std::string_view text) {
    TextLayout layout;
    layout.text = text;
    const std::size_t middle = text.size() >= kPieceSize ? SecondPieceStart(text) : text.size();
    std::future<LayoutPiece> second;
    if (middle < text.size()) {
        try {
            second = std::async(std::launch::async, ReadPiece, text, middle, text.size());
        } catch (const std::system_error&) {
            // No thread to be had: the second piece is read here after the first.
        }
    }
    LayoutPiece first = ReadPiece(text, 0, middle);
    std::size_t end = first.end;
    if (first.result == 0 && middle < text.size()) {
        LayoutPiece rest = second.valid() ? second.get() : ReadPiece(text, middle, text.size());
        end = rest.end;
        ReserveForBoth(layout, first, rest);
        Append(layout, std::move(first));
        Append(layout, std::move(rest));
    } else {
        Append(layout, std::move(first));
    }
    if (layout.result == 0) layout.rejectedLine = 0;
    layout.lineStarts.push_back(end);
    // Keyed once their number is known. A repeated ID rejects its line, before any line the
    // reading stopped at, since the blocks read all stand before that.
    layout.byKey.Reserve(layout.blocks.size());
    for (std::size_t i = 0; i < layout.blocks.size(); ++i) {
        const TextLayout::Block& block = layout.blocks[i];
        if (layout.byKey.Add(block.key) != i) {
            layout.result = static_cast<int>(LoadResult::kDuplicateBlockID);
            layout.rejectedLine = static_cast<unsigned long>(block.definition + 1);
            layout.message = format::DuplicateIDMessage(block.key);
            break;
        }
    }
    return layout;
}

std::string_view LineEndOf(const format::ScannedLine& line) noexcept {
    const std::string_view end = line.whole.substr(line.text.size());
    if (end.empty()) return end;
    if (!line.text.empty() && line.text.back() == '\r') return "\r\n";
    return "\n";
}

std::string_view PrevailingLineEnd(const TextLayout& layout) noexcept {
    for (std::size_t i = 0; i < layout.LineCount(); ++i) {
        const std::string_view end = LineEndOf(layout.Line(i));
        if (!end.empty()) return end;
    }
    return platform::kLineEnd;
}

}  // namespace reuseblocks::detail
