// SPDX-License-Identifier: MIT
// Three-way merges of blocks files, block by block, written into the current side's text.
#include <reuseblocks/edit.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <system_error>

#include "edit/text_layout.h"
#include "edit/text_update.h"
#include "host/keyed_hash.h"

namespace reuseblocks {

namespace {

using detail::TextLayout;
using Row = TextLayout::Row;
using Rows = std::vector<Row>;

// Rows aligned by their longest common subsequence cost a table of this many cells at most;
// longer lists merge only when one side kept them as they were.
constexpr std::size_t kMaxAlignedCells = std::size_t{1} << 20;

// For each row of `base`, the index of the row of `side` it stays as, or -1 (a longest common
// subsequence, so the matches only move forward).
std::vector<std::ptrdiff_t> Align(const Rows& base, const Rows& side) {
    const std::size_t n = base.size();
    const std::size_t m = side.size();
    std::vector<std::uint32_t> table((n + 1) * (m + 1), 0);
    const auto at = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            table[at(i, j)] = base[i] == side[j]
                                  ? table[at(i + 1, j + 1)] + 1
                                  : std::max(table[at(i + 1, j)], table[at(i, j + 1)]);
        }
    }
    std::vector<std::ptrdiff_t> match(n, -1);
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (base[i] == side[j]) {
            match[i++] = static_cast<std::ptrdiff_t>(j++);
        } else if (table[at(i + 1, j)] >= table[at(i, j + 1)]) {
            ++i;
        } else {
            ++j;
        }
    }
    return match;
}

// The rows of both sides merged as diff3 merges lines: between rows both sides kept, a stretch
// changed on one side only is taken from it, one changed alike on both once. False on a stretch
// changed differently on both sides.
bool MergeRows(const Rows& base, const Rows& current, const Rows& other, Rows& merged) {
    if (current == other || other == base) {
        merged = current;
        return true;
    }
    if (current == base) {
        merged = other;
        return true;
    }
    const std::size_t cells = (base.size() + 1) * (std::max(current.size(), other.size()) + 1);
    if (cells > kMaxAlignedCells) return false;
    const std::vector<std::ptrdiff_t> inCurrent = Align(base, current);
    const std::vector<std::ptrdiff_t> inOther = Align(base, other);
    merged.clear();
    std::size_t b = 0;
    std::size_t c = 0;
    std::size_t o = 0;
    for (;;) {
        if (b < base.size() && inCurrent[b] == static_cast<std::ptrdiff_t>(c) &&
            inOther[b] == static_cast<std::ptrdiff_t>(o)) {
            merged.push_back(base[b]);
            ++b, ++c, ++o;
            continue;
        }
        // The next row both sides kept ends the changed stretch.
        std::size_t nb = b;
        while (nb < base.size() && (inCurrent[nb] < 0 || inOther[nb] < 0)) ++nb;
        const std::size_t nc =
            nb < base.size() ? static_cast<std::size_t>(inCurrent[nb]) : current.size();
        const std::size_t no =
            nb < base.size() ? static_cast<std::size_t>(inOther[nb]) : other.size();
        const Rows was(base.begin() + static_cast<std::ptrdiff_t>(b),
                       base.begin() + static_cast<std::ptrdiff_t>(nb));
        const Rows here(current.begin() + static_cast<std::ptrdiff_t>(c),
                        current.begin() + static_cast<std::ptrdiff_t>(nc));
        const Rows there(other.begin() + static_cast<std::ptrdiff_t>(o),
                         other.begin() + static_cast<std::ptrdiff_t>(no));
        if (here == was || here == there) {
            merged.insert(merged.end(), there.begin(), there.end());
        } else if (there == was) {
            merged.insert(merged.end(), here.begin(), here.end());
        } else {
            return false;
        }
        if (nb >= base.size()) return true;
        b = nb, c = nc, o = no;
    }
}

// The whole lines of a block in its text, each ended.
std::string LinesOf(const TextLayout& layout, const TextLayout::Block& block,
                    std::string_view lineEnd) {
    std::string text;
    const auto add = [&](std::size_t line) {
        text.append(layout.Line(line).whole);
        if (text.back() != '\n') text.append(lineEnd);
    };
    add(block.definition);
    for (std::size_t row = 0; row < block.rowCount; ++row) add(layout.RowLine(block, row));
    return text;
}

// A block of a text, its values split out once.
struct BlockValues {
    TextLayout::Properties properties;
    Rows rows;

    BlockValues() = default;
    BlockValues(const TextLayout& layout, const TextLayout::Block& block,
                TextLayout::Fields& scratch)
        : properties(layout.PropertiesOf(block, scratch)), rows(layout.RowsOf(block, scratch)) {}
    bool operator==(const BlockValues& other) const {
        return properties == other.properties && rows == other.rows;
    }
};

// Whether two blocks of two texts hold the same values: lines alike byte for byte do, without
// being split.
bool SameBlock(const TextLayout& aText, const TextLayout::Block& a, const TextLayout& bText,
               const TextLayout::Block& b, TextLayout::Fields& scratch) {
    if (a.rowCount != b.rowCount) return false;
    bool alike = aText.Line(a.definition).text == bText.Line(b.definition).text;
    for (std::size_t row = 0; alike && row < a.rowCount; ++row) {
        alike = aText.Line(aText.RowLine(a, row)).text == bText.Line(bText.RowLine(b, row)).text;
    }
    return alike || BlockValues(aText, a, scratch) == BlockValues(bText, b, scratch);
}

// Blocks of `layout` by key, each looked for first where the last one found was followed: the
// sides of a merge mostly hold their blocks in one order, and that look needs no hash.
class InOrderFinder {
  public:
    explicit InOrderFinder(const TextLayout& layout) : m_layout(layout) {}

    const TextLayout::Block* Find(std::string_view key) {
        const auto& blocks = m_layout.blocks;
        // Keys are unique in a layout that was read whole, so a match here is the only one.
        const TextLayout::Block* found = m_next < blocks.size() && blocks[m_next].key == key
                                             ? &blocks[m_next]
                                             : m_layout.Find(key);
        if (found) m_next = static_cast<std::size_t>(found - blocks.data()) + 1;
        return found;
    }

  private:
    const TextLayout& m_layout;
    std::size_t m_next = 0;
};

// The layouts of the three sides, read side by side: each is a pass over a whole file.
void ReadLayouts(const std::string_view (&texts)[3], TextLayout (&layouts)[3]) {
    std::future<TextLayout> others[2];
    try {
        for (int side = 0; side < 2; ++side) {
            others[side] = std::async(std::launch::async, detail::ReadLayout, texts[side + 1]);
        }
    } catch (const std::system_error&) {
        // No thread to be had: what has none is read here.
    }
    layouts[0] = detail::ReadLayout(texts[0]);
    for (int side = 0; side < 2; ++side) {
        layouts[side + 1] =
            others[side].valid() ? others[side].get() : detail::ReadLayout(texts[side + 1]);
    }
}

CReuseBlock* NewBlockFrom(CReuseBlockFile& blocks, std::string_view key,
                          const TextLayout::Properties& properties, const Rows& rows) {
    CReuseBlock* block = blocks.NewBlock(std::string(key).c_str());
    for (std::uint32_t p = 0; p < kPropertyCount; ++p) block->GetProperty(p) = properties[p];
    for (const Row& row : rows) {
        const std::uint32_t added = block->NewLayerMap();
        for (std::uint32_t c = 0; c < kLayerMapColumnCount; ++c) {
            block->GetLayerMap(added, c) = row[c];
        }
    }
    return block;
}

}  // namespace

ThreeWayReport MergeTexts(std::string_view current, std::string_view base, std::string_view other,
                          const ThreeWayOptions& options, std::string& merged) {
    ThreeWayReport report;
    TextLayout layouts[3];
    ReadLayouts({current, base, other}, layouts);
    for (int side = 0; side < 3; ++side) {
        if (layouts[side].result != 0) {
            report.result = ThreeWayResult::kTrouble;
            report.side = side;
            report.line = layouts[side].rejectedLine;
            report.message = layouts[side].message;
            return report;
        }
    }
    const TextLayout& here = layouts[0];
    const TextLayout& baseText = layouts[1];
    const TextLayout& there = layouts[2];
    TextLayout::Fields scratch;
    const std::string_view lineEnd = detail::PrevailingLineEnd(here);
    const std::string& otherName = options.otherLabel;

    CReuseBlockFile blocks;
    detail::ConflictMarks marks;
    marks.ours = options.currentLabel;
    marks.theirs = options.otherLabel;
    // Conflicts in the order their regions appear: blocks of the current text first.
    std::vector<MergeConflict> wrapped;
    std::vector<MergeConflict> appended;
    const auto conflict = [](std::vector<MergeConflict>& into, std::string_view id, int property,
                             std::string message) {
        MergeConflict found;
        found.blockID = std::string(id);
        found.property = property;
        found.message = std::move(message);
        into.push_back(std::move(found));
    };

    // A block that merges to what the current side holds keeps its lines there as they are;
    // only the others are made and written.
    marks.keptAsIs.assign(here.blocks.size(), false);
    InOrderFinder inBase(baseText);
    InOrderFinder inThere(there);
    for (std::size_t index = 0; index < here.blocks.size(); ++index) {
        const TextLayout::Block& mine = here.blocks[index];
        const TextLayout::Block* wasAt = inBase.Find(mine.key);
        const TextLayout::Block* theirsAt = inThere.Find(mine.key);
        if (!theirsAt) {
            if (wasAt && SameBlock(here, mine, baseText, *wasAt, scratch)) {
                continue;  // removed there, untouched here
            }
            if (wasAt) {
                marks.wrapped.emplace(std::string(mine.key), std::string());
                conflict(wrapped, mine.key, -1, "changed here, removed in " + otherName);
            }
            marks.keptAsIs[index] = true;
            continue;
        }
        if (SameBlock(here, mine, there, *theirsAt, scratch)) {
            marks.keptAsIs[index] = true;
            continue;
        }
        const BlockValues ours(here, mine, scratch);
        const BlockValues theirs(there, *theirsAt, scratch);
        const bool hasBase = wasAt != nullptr;
        const BlockValues was = hasBase ? BlockValues(baseText, *wasAt, scratch) : BlockValues();
        BlockValues result;
        result.properties = ours.properties;
        std::vector<MergeConflict> found;
        for (std::uint32_t p = 0; p < kPropertyCount; ++p) {
            const std::string_view c = ours.properties[p];
            const std::string_view o = theirs.properties[p];
            const std::string_view b = was.properties[p];
            if (c == o || (hasBase && o == b)) continue;
            if (hasBase && c == b) {
                result.properties[p] = o;
                continue;
            }
            conflict(found, mine.key, static_cast<int>(p),
                     std::string(kPropertyNames[p]) + ": " + std::string(c) + " here, " +
                         std::string(o) + " in " + otherName);
        }
        if (!MergeRows(was.rows, ours.rows, theirs.rows, result.rows)) {
            conflict(found, mine.key, -1, "layer maps changed here and in " + otherName);
        }
        if (!found.empty()) {
            // The block stays as it is here, with the other side's lines beside it.
            marks.keptAsIs[index] = true;
            marks.wrapped.emplace(std::string(mine.key), LinesOf(there, *theirsAt, lineEnd));
            for (MergeConflict& one : found) wrapped.push_back(std::move(one));
            continue;
        }
        if (result == ours) {
            marks.keptAsIs[index] = true;
        } else {
            NewBlockFrom(blocks, mine.key, result.properties, result.rows);
        }
    }
    InOrderFinder inHere(here);
    InOrderFinder inBaseAgain(baseText);
    for (const TextLayout::Block& theirsAt : there.blocks) {
        if (inHere.Find(theirsAt.key)) continue;
        const TextLayout::Block* wasAt = inBaseAgain.Find(theirsAt.key);
        if (!wasAt) {
            const BlockValues theirs(there, theirsAt, scratch);
            NewBlockFrom(blocks, theirsAt.key, theirs.properties, theirs.rows);  // added there
        } else if (!SameBlock(there, theirsAt, baseText, *wasAt, scratch)) {
            marks.appended += "<<<<<<< " + options.currentLabel + std::string(lineEnd) +
                              "=======" + std::string(lineEnd) + LinesOf(there, theirsAt, lineEnd) +
                              ">>>>>>> " + options.otherLabel + std::string(lineEnd);
            conflict(appended, theirsAt.key, -1, "removed here, changed in " + otherName);
        }
    }

    detail::UpdatedText pieces;
    const UpdateReport update = detail::ComposeUpdate(current, here, blocks, {}, &marks, pieces);
    if (!update.Succeeded()) {
        report.result = ThreeWayResult::kTrouble;
        report.side = 0;
        report.message = update.message;
        return report;
    }
    std::string text = pieces.Joined();
    // Each region's line: the marker lines in order, as the regions were made.
    wrapped.insert(wrapped.end(), appended.begin(), appended.end());
    const std::string opening = "<<<<<<< " + options.currentLabel;
    std::vector<unsigned long> markers;
    format::LineScanner scanner(text);
    format::ScannedLine line;
    while (scanner.Next(line)) {
        std::string_view plain = line.text;
        if (!plain.empty() && plain.back() == '\r') plain.remove_suffix(1);
        if (plain == opening) markers.push_back(line.number);
    }
    std::size_t region = 0;
    for (std::size_t i = 0; i < wrapped.size(); ++i) {
        if (i > 0 && wrapped[i].blockID != wrapped[i - 1].blockID) ++region;
        if (region < markers.size()) wrapped[i].line = markers[region];
    }
    report.conflicts = std::move(wrapped);
    report.result = report.conflicts.empty() ? ThreeWayResult::kClean : ThreeWayResult::kConflicts;
    merged = std::move(text);
    return report;
}

}  // namespace reuseblocks
