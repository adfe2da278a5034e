// SPDX-License-Identifier: MIT
#include "plot/placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "platform/side_by_side.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// From this many blocks on, the second half is read on a thread of its own.
constexpr std::size_t kBlocksReadInHalves = 4096;

// Beyond this no drawing of a board makes sense, and the arithmetic of the view stays exact.
constexpr double kFarthest = 1e12;

// A block as its file gives it: its place, or why it has none. Small, as there is one for every
// block; the words of why are made only for the blocks skipped.
struct Candidate {
    const CReuseBlock* block = nullptr;
    double x = 0;
    double y = 0;
    LengthUnit unit = LengthUnit::kMils;
    std::optional<SkipReason> skipped;
    std::uint32_t property = 0;  // the property that is the reason
};

SkippedBlock Skip(const CReuseBlock& block, SkipReason reason, std::uint32_t property) {
    if (reason == SkipReason::kUnplaced) {
        return {&block, reason, std::string(kStatusUnplaced)};
    }
    const char* why = reason == SkipReason::kNotANumber     ? "is not a number"
                      : reason == SkipReason::kUnknownUnits ? "is not mils, mm or inches"
                                                            : "is too far out to draw";
    return {&block, reason,
            std::string(PropertyName(property)) + " " + Quoted(PropertyText(block, property)) +
                " " + why};
}

Candidate Read(const CReuseBlock& block) {
    Candidate candidate;
    candidate.block = &block;
    if (StatusOf(block) == BlockStatus::kUnplaced) {
        candidate.skipped = SkipReason::kUnplaced;
        return candidate;
    }
    const std::optional<double> x = ParseNumber(block.GetPropertyRef(kXLoc).GetView());
    const std::optional<double> y = ParseNumber(block.GetPropertyRef(kYLoc).GetView());
    const std::optional<LengthUnit> unit = FindLengthUnit(block.GetPropertyRef(kUnits).GetView());
    if (!x || !y) {
        candidate.skipped = SkipReason::kNotANumber;
        candidate.property = x ? kYLoc : kXLoc;
    } else if (!unit) {
        candidate.skipped = SkipReason::kUnknownUnits;
        candidate.property = kUnits;
    } else {
        candidate.x = *x;
        candidate.y = *y;
        candidate.unit = *unit;
    }
    return candidate;
}

// The unit most readable blocks use; on a tie the one the file names first.
LengthUnit MostUsedUnit(const detail::platform::HugePageVector<Candidate>& candidates) {
    std::array<std::size_t, 3> counts{};
    std::array<std::size_t, 3> firstSeen{};
    firstSeen.fill(candidates.size());
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        if (candidates[index].skipped) continue;
        const auto unit = static_cast<std::size_t>(candidates[index].unit);
        ++counts[unit];
        firstSeen[unit] = std::min(firstSeen[unit], index);
    }
    std::size_t best = 0;
    for (std::size_t unit = 1; unit < counts.size(); ++unit) {
        if (counts[unit] > counts[best] ||
            (counts[unit] == counts[best] && firstSeen[unit] < firstSeen[best])) {
            best = unit;
        }
    }
    return static_cast<LengthUnit>(best);
}

}  // namespace

BlockStatus StatusOf(const CReuseBlock& block) {
    const std::string_view status = block.GetPropertyRef(kBlockStatus).GetView();
    if (ascii::EqualsIgnoringCase(status, kStatusPlaced)) return BlockStatus::kPlaced;
    if (ascii::EqualsIgnoringCase(status, kStatusPlanned)) return BlockStatus::kPlanned;
    if (ascii::EqualsIgnoringCase(status, kStatusUnplaced)) return BlockStatus::kUnplaced;
    return BlockStatus::kOther;
}

BoardSide SideOf(const CReuseBlock& block) {
    const std::string_view side = block.GetPropertyRef(kSide).GetView();
    if (ascii::EqualsIgnoringCase(side, kSideTop)) return BoardSide::kTop;
    if (ascii::EqualsIgnoringCase(side, kSideBottom)) return BoardSide::kBottom;
    return BoardSide::kOther;
}

Placement PlaceBlocks(const std::vector<CReuseBlock*>& blocks) {
    detail::platform::HugePageVector<Candidate> candidates(blocks.size());
    detail::platform::InHalves(blocks.size(), kBlocksReadInHalves,
                               [&](int, std::size_t first, std::size_t last) {
                                   for (std::size_t at = first; at < last; ++at) {
                                       candidates[at] = Read(*blocks[at]);
                                   }
                                   return 0;
                               });
    Placement placement;
    placement.unit = MostUsedUnit(candidates);
    placement.drawn.reserve(candidates.size());
    for (const Candidate& candidate : candidates) {
        if (candidate.skipped) {
            placement.skipped.push_back(
                Skip(*candidate.block, *candidate.skipped, candidate.property));
            continue;
        }
        const double x = ConvertLength(candidate.x, candidate.unit, placement.unit);
        const double y = ConvertLength(candidate.y, candidate.unit, placement.unit);
        if (std::fabs(x) > kFarthest || std::fabs(y) > kFarthest) {
            const std::uint32_t property = std::fabs(x) > kFarthest ? kXLoc : kYLoc;
            placement.skipped.push_back(Skip(*candidate.block, SkipReason::kTooFarOut, property));
            continue;
        }
        if (candidate.unit != placement.unit) ++placement.converted;
        placement.drawn.push_back({candidate.block, x, y});
    }
    return placement;
}

}  // namespace reuseblocks::tool
