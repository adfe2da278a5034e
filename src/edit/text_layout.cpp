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

// Where a piece of a text puts the starts of its lines and the lines of its rows: room in the
// layout's own arrays for every line the piece can hold, so that neither is copied afterwards.
struct PieceRoom {
    std::size_t* lineStarts = nullptr;
    std::size_t* rowLines = nullptr;  // as much room: a piece has no more rows than lines
    std::size_t firstLine = 0;        // the index of the piece's first line in the whole text
};

// A stretch of a text's lines read on its own. It starts at the text's start or at a definition
// line, so that none of its rows belongs to a block before it. Line indices are the whole
// text's; its blocks' first rows count from its own first row.
struct LayoutPiece {
    std::size_t lines = 0;  // read
    std::size_t rows = 0;
    platform::HugePageVector<TextLayout::Block> blocks;
    std::size_t end = 0;  // of the last line read
    int result = 0;
    std::size_t rejected = 0;  // the index of the line rejected
    std::string message;
};

LayoutPiece ReadPiece(std::string_view text, std::size_t from, std::size_t to, PieceRoom room) {
    LayoutPiece piece;
    const std::string_view part = text.substr(from, to - from);
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
        const std::size_t index = room.firstLine + piece.lines;
        room.lineStarts[piece.lines++] = from + line.offset;
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
            block.firstRow = piece.rows;
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
        room.rowLines[piece.rows++] = index;
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

// Takes the blocks of `piece`, whose rows stand in the layout's rows from `firstRow` on.
void TakeBlocks(TextLayout& layout, LayoutPiece& piece, std::size_t firstRow) {
    if (layout.blocks.empty() && firstRow == 0) {
        layout.blocks = std::move(piece.blocks);
        return;
    }
    layout.blocks.reserve(layout.blocks.size() + piece.blocks.size());
    for (TextLayout::Block block : piece.blocks) {
        block.firstRow += firstRow;
        layout.blocks.push_back(block);
    }
}

}  // namespace

TextLayout ReadLayout(std::string_view text) {
    TextLayout layout;
    layout.text = text;
    const std::size_t middle = text.size() >= kPieceSize ? SecondPieceStart(text) : text.size();
    const bool halves = middle < text.size();
    // Lines are split at line feeds alone, so a piece holds one line per feed, and one more when it
    // ends without one; the first of two ends with one.
    const std::size_t firstLines =
        format::CountLineFeeds(text.substr(0, middle)) + (halves ? 0 : 1);
    const std::size_t secondLines = halves ? format::CountLineFeeds(text.substr(middle)) + 1 : 0;
    // Sized once, and written in place by both pieces: a large file's lines would otherwise be
    // copied, into memory never touched before. Room left over (lines that hold no row) is never
    // touched.
    layout.lineStarts.resize(firstLines + secondLines + 1);
    layout.rowLines.resize(firstLines + secondLines);
    const PieceRoom firstRoom{layout.lineStarts.data(), layout.rowLines.data(), 0};
    const PieceRoom secondRoom{layout.lineStarts.data() + firstLines,
                               layout.rowLines.data() + firstLines, firstLines};
    std::future<LayoutPiece> second;
    if (halves) {
        try {
            second =
                std::async(std::launch::async, ReadPiece, text, middle, text.size(), secondRoom);
        } catch (const std::system_error&) {
            // No thread to be had: the second piece is read here after the first.
        }
    }
    LayoutPiece first = ReadPiece(text, 0, middle, firstRoom);
    std::size_t lines = first.lines;
    std::size_t rows = first.rows;
    std::size_t end = first.end;
    LayoutPiece* last = &first;
    LayoutPiece rest;
    TakeBlocks(layout, first, 0);
    if (first.result == 0 && halves) {
        rest = second.valid() ? second.get() : ReadPiece(text, middle, text.size(), secondRoom);
        // The first piece read all of its lines, so the second's follow on; its rows move up to
        // follow the first's.
        if (rows != firstLines) {
            const auto from = layout.rowLines.begin() + static_cast<std::ptrdiff_t>(firstLines);
            std::copy(from, from + static_cast<std::ptrdiff_t>(rest.rows),
                      layout.rowLines.begin() + static_cast<std::ptrdiff_t>(rows));
        }
        TakeBlocks(layout, rest, rows);
        lines += rest.lines;
        rows += rest.rows;
        end = rest.end;
        last = &rest;
    } else if (second.valid()) {
        second.wait();  // it writes into the arrays about to be cut short
    }
    layout.lineStarts.resize(lines + 1);
    layout.lineStarts[lines] = end;
    layout.rowLines.resize(rows);
    layout.result = last->result;
    layout.rejectedLine = layout.result == 0 ? 0 : static_cast<unsigned long>(last->rejected + 1);
    layout.message = std::move(last->message);
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
