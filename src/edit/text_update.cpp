// SPDX-License-Identifier: MIT
#include "edit/text_update.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <future>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <type_traits>
#include <vector>

#include "edit/header_date.h"
#include "format/line_syntax.h"
#include "format/written_header.h"
#include "format/written_line.h"
#include "host/keyed_hash.h"
#include "io/repeated_ids.h"
#include "platform/memory_advice.h"

namespace reuseblocks::detail {

namespace {

using format::kApplicationLabel;
using format::kDateLabel;

using format::HoldsLineBreak;

// The library's form of a line, unless a value holds a line break.
template <std::size_t N>
bool AppendLineOf(const std::array<std::string_view, N>& values, std::string_view lineEnd,
                  std::string& out) {
    for (const std::string_view value : values) {
        if (HoldsLineBreak(value)) return false;
    }
    format::AppendWrittenLine(out, values, lineEnd);
    return true;
}

bool AppendDefinition(const CReuseBlock& block, std::string_view lineEnd, std::string& out) {
    return AppendLineOf(format::DefinitionValuesOf(block), lineEnd, out);
}

bool AppendRow(std::string_view id, const CReuseBlock& block, std::uint32_t row,
               std::string_view lineEnd, std::string& out) {
    return AppendLineOf(format::MappingValuesOf(block, id, row), lineEnd, out);
}

bool SameRow(const TextLayout::Row& row, const CReuseBlock& block, std::uint32_t index) {
    for (std::uint32_t column = 0; column < kLayerMapColumnCount; ++column) {
        if (row[column] != block.GetLayerMapRef(index, column).GetView()) return false;
    }
    return true;
}

// From this many blocks on, they are compared with their lines in two halves side by side.
constexpr std::size_t kSideBySideBlocks = 4096;

// Whether `block` holds exactly what its lines in the text hold.
bool HoldsItsLines(const TextLayout& layout, const TextLayout::Block& inText,
                   const CReuseBlock& block, TextLayout::Fields& scratch) {
    const TextLayout::Properties properties = layout.PropertiesOf(inText, scratch);
    for (std::uint32_t p = 0; p < kPropertyCount; ++p) {
        if (properties[p] != block.GetPropertyRef(p).GetView()) return false;
    }
    if (inText.rowCount != block.GetLayerMapCount()) return false;
    for (std::size_t row = 0; row < inText.rowCount; ++row) {
        if (!SameRow(layout.RowOf(inText, row, scratch), block, static_cast<std::uint32_t>(row))) {
            return false;
        }
    }
    return true;
}

// For each block of the text, whether the block matched to it holds what its lines hold: nearly
// all of them in an edit, so they are found first, in two halves side by side on a large text.
std::vector<char> UnchangedBlocks(const TextLayout& layout,
                                  const std::vector<const CReuseBlock*>& matched) {
    std::vector<char> unchanged(matched.size(), 0);
    const auto judge = [&layout, &matched, &unchanged](std::size_t from, std::size_t to) {
        TextLayout::Fields scratch;
        for (std::size_t i = from; i < to; ++i) {
            if (matched[i])
                unchanged[i] = HoldsItsLines(layout, layout.blocks[i], *matched[i], scratch);
        }
    };
    const std::size_t half =
        matched.size() >= kSideBySideBlocks ? matched.size() / 2 : matched.size();
    std::future<void> second;
    if (half < matched.size()) {
        try {
            second = std::async(std::launch::async, judge, half, matched.size());
        } catch (const std::system_error&) {
            // No thread to be had: the second half is judged here after the first.
        }
    }
    judge(0, half);
    if (second.valid()) {
        second.get();
    } else if (half < matched.size()) {
        judge(half, matched.size());
    }
    return unchanged;
}

// Zeros for every line of a file, of which an edit writes a few: calloc takes a large block
// from the system as fresh pages that are zero already, and only the pages written cost memory,
// where a vector would write every zero first.
template <typename T>
class ZeroedArray {
    static_assert(std::is_trivial_v<T>);

  public:
    explicit ZeroedArray(std::size_t count)
        : m_items(static_cast<T*>(std::calloc(count == 0 ? 1 : count, sizeof(T)))) {
        if (!m_items) throw std::bad_alloc();
    }

    T& operator[](std::size_t index) { return m_items.get()[index]; }
    const T& operator[](std::size_t index) const { return m_items.get()[index]; }

  private:
    struct Free {
        void operator()(T* items) const { std::free(items); }
    };
    std::unique_ptr<T, Free> m_items;
};

// Text planned for some lines of a file. An edit plans text for a few lines of many: each line
// costs an index here, not an empty string.
class LineTexts {
  public:
    explicit LineTexts(std::size_t lines) : m_slots(lines) {}

    // The text of `line`, made empty on first use; it stays where it is as others are made.
    std::string& operator[](std::size_t line) {
        std::uint32_t& slot = m_slots[line];
        if (slot == 0) {
            if (m_texts.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
            m_texts.emplace_back();
            slot = static_cast<std::uint32_t>(m_texts.size());
        }
        return m_texts[slot - 1];
    }
    std::string_view Of(std::size_t line) const {
        const std::uint32_t slot = m_slots[line];
        return slot == 0 ? std::string_view() : std::string_view(m_texts[slot - 1]);
    }

  private:
    ZeroedArray<std::uint32_t> m_slots;  // 0: none; otherwise 1 + the index in m_texts
    std::deque<std::string> m_texts;
};

// What becomes of each line of the text: kept, replaced or dropped, with new text before and
// after it. The lines it touches are listed, so that the text between them is copied whole.
class LinePlan {
  public:
    enum State : std::uint8_t { kKeep, kReplace, kDrop };

    explicit LinePlan(std::size_t lines)
        : m_state(lines), m_replacement(lines), m_before(lines), m_after(lines) {
        static_assert(kKeep == 0, "lines not touched are kept");
    }

    std::string& Replace(std::size_t line) {
        Touch(line, kReplace);
        return m_replacement[line];
    }
    void Drop(std::size_t line) { Touch(line, kDrop); }
    std::string& Before(std::size_t line) {
        Touch(line, m_state[line]);
        return m_before[line];
    }
    std::string& After(std::size_t line) {
        Touch(line, m_state[line]);
        return m_after[line];
    }

    State StateOf(std::size_t line) const { return static_cast<State>(m_state[line]); }
    std::string_view ReplacementOf(std::size_t line) const { return m_replacement.Of(line); }
    std::string_view BeforeOf(std::size_t line) const { return m_before.Of(line); }
    std::string_view AfterOf(std::size_t line) const { return m_after.Of(line); }
    // Every line touched, in order, once each.
    std::vector<std::size_t> Touched() {
        std::sort(m_touched.begin(), m_touched.end());
        m_touched.erase(std::unique(m_touched.begin(), m_touched.end()), m_touched.end());
        return m_touched;
    }

  private:
    void Touch(std::size_t line, std::uint8_t state) {
        m_state[line] = state;
        m_touched.push_back(line);
    }

    ZeroedArray<std::uint8_t> m_state;
    LineTexts m_replacement;
    LineTexts m_before;
    LineTexts m_after;
    std::vector<std::size_t> m_touched;
};

std::string_view EndFor(const format::ScannedLine& line, std::string_view prevailing) {
    const std::string_view own = LineEndOf(line);
    return own.empty() ? prevailing : own;
}

// The rows of `block` in place of the text's rows: rows equal at both ends keep their lines,
// those between are rewritten pairwise, the rest dropped or added after the last one written.
// Linear in the rows, whatever they hold.
bool PlanRows(const TextLayout& layout, const TextLayout::Block& text, const CReuseBlock& block,
              bool renamed, std::string_view prevailing, TextLayout::Fields& scratch,
              LinePlan& plan) {
    const std::size_t oldCount = text.rowCount;
    const std::size_t newCount = block.GetLayerMapCount();
    std::size_t prefix = 0;
    std::size_t suffix = 0;
    if (!renamed) {
        const std::size_t common = std::min(oldCount, newCount);
        while (prefix < common && SameRow(layout.RowOf(text, prefix, scratch), block,
                                          static_cast<std::uint32_t>(prefix))) {
            ++prefix;
        }
        while (suffix < common - prefix &&
               SameRow(layout.RowOf(text, oldCount - 1 - suffix, scratch), block,
                       static_cast<std::uint32_t>(newCount - 1 - suffix))) {
            ++suffix;
        }
    }
    const std::string_view id = block.GetBlockID().GetView();
    const std::size_t oldMiddle = oldCount - prefix - suffix;
    const std::size_t newMiddle = newCount - prefix - suffix;
    const std::size_t paired = std::min(oldMiddle, newMiddle);
    for (std::size_t i = 0; i < paired; ++i) {
        const std::size_t line = layout.RowLine(text, prefix + i);
        if (!AppendRow(id, block, static_cast<std::uint32_t>(prefix + i),
                       EndFor(layout.Line(line), prevailing), plan.Replace(line))) {
            return false;
        }
    }
    for (std::size_t i = paired; i < oldMiddle; ++i) plan.Drop(layout.RowLine(text, prefix + i));
    if (newMiddle > paired) {
        const std::size_t anchor =
            prefix + paired > 0 ? layout.RowLine(text, prefix + paired - 1) : text.definition;
        std::string& added = plan.After(anchor);
        for (std::size_t i = paired; i < newMiddle; ++i) {
            if (!AppendRow(id, block, static_cast<std::uint32_t>(prefix + i), prevailing, added)) {
                return false;
            }
        }
    }
    return true;
}

// The header's application and date lines, before the first block.
bool PlanHeader(const TextLayout& layout, const UpdateOptions& options, LinePlan& plan) {
    if (options.application.empty()) return true;
    if (HoldsLineBreak(options.application)) return false;
    const std::size_t end =
        layout.blocks.empty() ? layout.LineCount() : layout.blocks[0].definition;
    bool application = false;
    bool date = false;
    for (std::size_t i = 0; i < end && !(application && date); ++i) {
        const format::ScannedLine line = layout.Line(i);
        const std::string_view trimmed = format::TrimLine(line.text);
        const std::string_view lineEnd = LineEndOf(line);
        if (!application && trimmed.substr(0, kApplicationLabel.size()) == kApplicationLabel) {
            application = true;
            plan.Replace(i) =
                std::string(kApplicationLabel) + " " + options.application + std::string(lineEnd);
        } else if (!date && trimmed.substr(0, kDateLabel.size()) == kDateLabel) {
            date = true;
            plan.Replace(i) = std::string(kDateLabel) + " " +
                              HeaderDateText(options.hasDate, options.date) + std::string(lineEnd);
        }
    }
    return true;
}

UpdateReport Unwritable(std::string message) {
    UpdateReport report;
    report.result = UpdateResult::kUnwritableValue;
    report.step = WriteStep::kCheck;
    report.message = std::move(message);
    return report;
}

}  // namespace

bool AppendBlockLines(const CReuseBlock& block, std::string_view lineEnd, std::string& out) {
    const std::size_t size = out.size();
    bool ok = AppendDefinition(block, lineEnd, out);
    for (std::uint32_t row = 0; ok && row < block.GetLayerMapCount(); ++row) {
        ok = AppendRow(block.GetBlockID().GetView(), block, row, lineEnd, out);
    }
    if (!ok) out.resize(size);
    return ok;
}

UpdateReport ComposeUpdate(std::string_view text, const TextLayout& layout,
                           const CReuseBlockFile& blocks, const UpdateOptions& options,
                           const ConflictMarks* marks, UpdatedText& updated) {
    UpdateReport report;
    if (layout.result != 0) {
        report.result = UpdateResult::kRejectedText;
        report.line = layout.rejectedLine;
        report.message = layout.message;
        return report;
    }
    if (!RepeatedIDs::Find(blocks).empty()) {
        return Unwritable("two blocks would be written under one ID");
    }
    const std::string lineBreak = "a value holds a line break, which would end its line early";
    const std::string_view prevailing = PrevailingLineEnd(layout);
    LinePlan plan(layout.LineCount());
    if (!PlanHeader(layout, options, plan)) {
        return Unwritable("the application name holds a line break");
    }

    // Blocks are matched to the text by key, in order: one removed and added again under its
    // key stands last in the walk, and so it is written last, as a new block.
    CStringArray keys;
    const_cast<CReuseBlockFile&>(blocks).GetBlocksIDs(keys);
    std::vector<const CReuseBlock*> matched(layout.blocks.size(), nullptr);
    std::vector<const CReuseBlock*> added;
    std::ptrdiff_t lastMatched = -1;
    std::ptrdiff_t next = 0;
    for (POSITION position = blocks.GetStartPosition(); position; ++next) {
        const CReuseBlock* block = blocks.GetNext(position);
        const std::string_view key = keys[next].GetView();
        // Mostly the blocks stand in the text's order, where no lookup is needed.
        const auto following = static_cast<std::size_t>(lastMatched + 1);
        std::ptrdiff_t at = -1;
        if (following < layout.blocks.size() && layout.blocks[following].key == key) {
            at = lastMatched + 1;
        } else if (const std::size_t found = layout.byKey.Find(key); found != KeyPlaces::kNone) {
            at = static_cast<std::ptrdiff_t>(found);
        }
        if (at > lastMatched) {
            matched[static_cast<std::size_t>(at)] = block;
            lastMatched = at;
        } else {
            added.push_back(block);
        }
    }

    const std::vector<char> unchanged = UnchangedBlocks(layout, matched);
    TextLayout::Fields scratch;
    std::size_t lastBlockLine = layout.LineCount();  // none: after the end of the text
    for (std::size_t i = 0; i < layout.blocks.size(); ++i) {
        const TextLayout::Block& inText = layout.blocks[i];
        const std::size_t last = layout.LastLine(inText);
        lastBlockLine = last;
        const CReuseBlock* block = matched[i];
        if ((marks && i < marks->keptAsIs.size() && marks->keptAsIs[i]) || unchanged[i]) {
            // its lines stay
        } else if (!block) {
            plan.Drop(inText.definition);
            for (std::size_t row = 0; row < inText.rowCount; ++row) {
                plan.Drop(layout.RowLine(inText, row));
            }
        } else {
            const TextLayout::Properties properties = layout.PropertiesOf(inText, scratch);
            bool same = true;
            for (std::uint32_t p = 0; p < kPropertyCount && same; ++p) {
                same = properties[p] == block->GetPropertyRef(p).GetView();
            }
            if (!same &&
                !AppendDefinition(*block, EndFor(layout.Line(inText.definition), prevailing),
                                  plan.Replace(inText.definition))) {
                return Unwritable(lineBreak);
            }
            const bool renamed = properties[0] != block->GetBlockID().GetView();
            if (!PlanRows(layout, inText, *block, renamed, prevailing, scratch, plan)) {
                return Unwritable(lineBreak);
            }
        }
        if (marks) {
            const auto conflict = marks->wrapped.find(std::string(inText.key));
            if (conflict != marks->wrapped.end()) {
                plan.Before(inText.definition) = "<<<<<<< " + marks->ours + std::string(prevailing);
                plan.After(last) += "=======" + std::string(prevailing) + conflict->second +
                                    ">>>>>>> " + marks->theirs + std::string(prevailing);
            }
        }
    }
    std::string tail;
    for (const CReuseBlock* block : added) {
        if (!AppendBlockLines(*block, prevailing, tail)) return Unwritable(lineBreak);
    }
    if (marks) tail += marks->appended;

    // Untouched lines go out as they stand, a run of them at a time.
    const std::size_t lineCount = layout.LineCount();
    std::vector<std::size_t> touched = plan.Touched();
    if (lastBlockLine < lineCount) {
        touched.insert(std::lower_bound(touched.begin(), touched.end(), lastBlockLine),
                       lastBlockLine);
    }
    std::size_t kept = 0;  // the first line not yet written
    for (const std::size_t i : touched) {
        if (i < kept) continue;  // the end of the blocks, touched as well
        updated.AddOriginal(
            text.substr(layout.lineStarts[kept], layout.lineStarts[i] - layout.lineStarts[kept]));
        updated.AddMade(plan.BeforeOf(i), prevailing);
        if (plan.StateOf(i) == LinePlan::kKeep) {
            updated.AddOriginal(layout.Line(i).whole);
        } else if (plan.StateOf(i) == LinePlan::kReplace) {
            updated.AddMade(plan.ReplacementOf(i), prevailing);
        }
        updated.AddMade(plan.AfterOf(i), prevailing);
        if (i == lastBlockLine) updated.AddMade(tail, prevailing);
        kept = i + 1;
    }
    updated.AddOriginal(text.substr(layout.lineStarts[kept],
                                    layout.lineStarts[lineCount] - layout.lineStarts[kept]));
    if (lastBlockLine == lineCount) updated.AddMade(tail, prevailing);
    report.result = updated.SameAs(text) ? UpdateResult::kUnchanged : UpdateResult::kUpdated;
    return report;
}

bool UpdatedText::SameAs(std::string_view text) const noexcept {
    std::size_t at = 0;
    for (const std::string_view piece : Pieces()) {
        if (piece.size() > text.size() - at) return false;
        // A run of the text in its own place is the same without reading it.
        if (piece.data() != text.data() + at && piece != text.substr(at, piece.size())) {
            return false;
        }
        at += piece.size();
    }
    return at == text.size();
}

std::string UpdatedText::Joined() const {
    std::size_t size = 0;
    for (const std::string_view piece : Pieces()) size += piece.size();
    std::string joined;
    platform::ReserveOnHugePages(joined, size);
    for (const std::string_view piece : Pieces()) joined.append(piece);
    return joined;
}

void UpdatedText::AddOriginal(std::string_view run) {
    if (run.empty()) return;
    m_pieces.push_back(run);
    m_lastIsMade = false;
    m_last = run.back();
}

void UpdatedText::AddMade(std::string_view text, std::string_view lineEnd) {
    if (text.empty()) return;
    if (!m_pieces.empty() && m_last != '\n') Hold(lineEnd);
    Hold(text);
}

// Made text between two runs of the original is one piece.
void UpdatedText::Hold(std::string_view text) {
    if (text.empty()) return;
    if (!m_lastIsMade) {
        m_made.emplace_back();
        m_pieces.emplace_back();
        m_lastIsMade = true;
    }
    m_made.back().append(text);
    m_pieces.back() = m_made.back();
    m_last = text.back();
}

}  // namespace reuseblocks::detail
