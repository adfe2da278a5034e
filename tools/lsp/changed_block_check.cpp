// SPDX-License-Identifier: MIT
#include "lsp/changed_block_check.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <tuple>

#include "format/line_syntax.h"
#include "inspect/file_check.h"
#include "inspect/lint.h"

namespace reuseblocks::tool::lsp {

namespace {

bool IsDefinition(std::string_view line) {
    return format::ClassifyLine(format::TrimLine(line)) == format::LineKind::kDefinition;
}

// The values of a definition line as the loader splits them; those it lacks are empty.
BlockValues DefinitionValues(std::string_view line, std::vector<std::string_view>& fields) {
    format::SplitFields(format::StripRecordEnds(format::TrimLine(line)), fields,
                        format::kDefinitionFieldCount);
    BlockValues values{};
    std::copy_n(fields.begin(), std::min(fields.size(), values.size()), values.begin());
    return values;
}

// What depends on more than one block's lines: a rejected line stops the load for every block
// after it, a repeated ID or foreign mapping is such a line, the limit counts the whole file's
// warnings, and a conflict marker's report replaces the rejected line's.
bool ReachesBeyondItsBlock(const Problem& problem) {
    static constexpr std::array<std::string_view, 5> kCodes = {
        "LoadingStopped", "ProblemLimit", "MergeConflict", "DuplicateBlockID", "ForeignMapping"};
    return problem.line == 0 ||
           std::find(kCodes.begin(), kCodes.end(), problem.code) != kCodes.end();
}

bool IsWarning(const Problem& problem) {
    return problem.severity == "warning";
}

// The lines [first, last] of a block: its definition and the lines up to the next definition.
struct BlockLines {
    unsigned long first = 0;
    unsigned long last = 0;
};

}  // namespace

bool StackingPlaceCounts::Order::operator()(const StackingPlace& a, const StackingPlace& b) const {
    return std::tie(a.side, a.x, a.y) < std::tie(b.side, b.x, b.y);
}

std::size_t StackingPlaceCounts::At(const TextDocument& text, const StackingPlace& place) {
    if (!m_counts) {
        m_counts.emplace();
        std::vector<std::string_view> fields;
        for (unsigned long line = 1; line <= text.LoaderLineCount(); ++line) {
            if (!IsDefinition(text.LoaderLine(line))) continue;
            if (auto at = StackingPlaceOf(DefinitionValues(text.LoaderLine(line), fields))) {
                ++(*m_counts)[std::move(*at)];
            }
        }
    }
    const auto found = m_counts->find(place);
    return found == m_counts->end() ? 0 : found->second;
}

void StackingPlaceCounts::Move(const std::optional<StackingPlace>& from,
                               const std::optional<StackingPlace>& to) {
    if (!m_counts) return;
    if (from) {
        const auto found = m_counts->find(*from);
        if (found != m_counts->end() && --found->second == 0) m_counts->erase(found);
    }
    if (to) ++(*m_counts)[*to];
}

std::optional<std::vector<PlacedProblem>> RecheckChangedBlock(
    const TextDocument& before, const std::vector<PlacedProblem>& problems,
    const TextChange& change, const TextDocument& after, StackingPlaceCounts& placements) {
    std::size_t warnings = 0;
    for (const PlacedProblem& placed : problems) {
        if (ReachesBeyondItsBlock(placed.problem)) return std::nullopt;
        warnings += IsWarning(placed.problem) ? 1u : 0u;
    }
    // The block the change begins in. Line 1 is also checked as the format line.
    BlockLines old;
    old.first = before.LoaderLineAt(change.begin);
    while (old.first > 0 && !IsDefinition(before.LoaderLine(old.first))) --old.first;
    if (old.first <= 1) return std::nullopt;
    old.last = old.first;
    while (old.last < before.LoaderLineCount() && !IsDefinition(before.LoaderLine(old.last + 1))) {
        ++old.last;
    }
    const std::size_t start = before.LoaderLineStart(old.first);
    const std::size_t oldEnd = old.last < before.LoaderLineCount()
                                   ? before.LoaderLineStart(old.last + 1)
                                   : before.Text().size();
    if (change.end > oldEnd) return std::nullopt;

    // In the new text the rest, unchanged, follows the same block's lines: one definition, of the
    // same ID, then no other.
    const std::string_view text = after.Text();
    const std::size_t newEnd = oldEnd - change.end + change.begin + change.inserted;
    if (newEnd != text.size() && (newEnd == 0 || text[newEnd - 1] != '\n')) return std::nullopt;
    BlockLines now{old.first, newEnd == text.size()
                                  ? static_cast<unsigned long>(after.LoaderLineCount())
                                  : after.LoaderLineAt(newEnd) - 1};
    if (now.last < now.first || !IsDefinition(after.LoaderLine(now.first))) return std::nullopt;
    for (unsigned long line = now.first + 1; line <= now.last; ++line) {
        if (IsDefinition(after.LoaderLine(line))) return std::nullopt;
    }
    std::vector<std::string_view> oldFields;
    std::vector<std::string_view> newFields;
    const BlockValues oldValues = DefinitionValues(before.LoaderLine(old.first), oldFields);
    const BlockValues newValues = DefinitionValues(after.LoaderLine(now.first), newFields);
    // The same ID keeps every ID unique. A block that moves must leave no stack and land on none.
    if (oldValues[kBlockHierName] != newValues[kBlockHierName]) return std::nullopt;
    const std::optional<StackingPlace> from = StackingPlaceOf(oldValues);
    const std::optional<StackingPlace> to = StackingPlaceOf(newValues);
    if (from != to &&
        ((from && placements.At(before, *from) != 1) || (to && placements.At(before, *to) != 0))) {
        return std::nullopt;
    }

    // The block checked on its own, read under the lines before the first block.
    unsigned long firstBlock = 1;
    while (!IsDefinition(before.LoaderLine(firstBlock))) ++firstBlock;
    const std::size_t headEnd = before.LoaderLineStart(firstBlock);
    std::string piece;
    piece.reserve(headEnd + newEnd - start);
    piece.append(before.Text(), 0, headEnd).append(text.substr(start, newEnd - start));
    FileCheck check = CheckText(piece, true);
    if (!check.report.Succeeded()) return std::nullopt;

    const auto lineShift = static_cast<long>(now.last) - static_cast<long>(old.last);
    const auto byteShift =
        static_cast<long long>(change.inserted) - static_cast<long long>(change.end - change.begin);
    std::vector<PlacedProblem> result;
    std::vector<PlacedProblem> stacked;  // of the block itself, which keeps its placement
    std::size_t at = 0;
    for (; at < problems.size() && problems[at].problem.line < old.first; ++at) {
        result.push_back(problems[at]);
    }
    for (; at < problems.size() && problems[at].problem.line <= old.last; ++at) {
        if (problems[at].problem.code == "Stacked") {
            stacked.push_back(problems[at]);
        } else {
            warnings -= IsWarning(problems[at].problem) ? 1u : 0u;
        }
    }
    const std::size_t blockStart = result.size();
    for (Problem& problem : check.problems) {
        if (ReachesBeyondItsBlock(problem) || problem.code == "Stacked") return std::nullopt;
        // The lines before the first block, the format line too, are as they were.
        if (problem.line < firstBlock || problem.code == "FormatLine") continue;
        warnings += IsWarning(problem) ? 1u : 0u;
        problem.line = problem.line - firstBlock + old.first;
        result.push_back(PlaceProblem(after, std::move(problem)));
    }
    if (warnings > kProblemLimit) return std::nullopt;
    // A block's stacking comes after its values' problems and before its round-trip ones.
    auto stackedAt = std::find_if(result.begin() + static_cast<std::ptrdiff_t>(blockStart),
                                  result.end(), [&](const PlacedProblem& placed) {
                                      return placed.problem.line > old.first ||
                                             placed.problem.code == "RoundTrip";
                                  });
    result.insert(stackedAt, stacked.begin(), stacked.end());
    for (; at < problems.size(); ++at) {
        PlacedProblem moved = problems[at];
        // Its message may name the line of the block under it, which may have moved.
        if (lineShift != 0 && moved.problem.code == "Stacked") return std::nullopt;
        moved.problem.line =
            static_cast<unsigned long>(static_cast<long>(moved.problem.line) + lineShift);
        moved.begin = static_cast<std::size_t>(static_cast<long long>(moved.begin) + byteShift);
        moved.end = static_cast<std::size_t>(static_cast<long long>(moved.end) + byteShift);
        result.push_back(std::move(moved));
    }
    if (from != to) placements.Move(from, to);
    return result;
}

}  // namespace reuseblocks::tool::lsp
