// SPDX-License-Identifier: MIT
#include "plot/placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "records/fields.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// Beyond this no drawing of a board makes sense, and the arithmetic of the view stays exact.
constexpr double kFarthest = 1e12;

// A block that is not Unplaced, as its file gives it.
struct Candidate {
    const CReuseBlock* block;
    std::optional<SkippedBlock> skipped;
    double x = 0;
    double y = 0;
    LengthUnit unit = LengthUnit::kMils;
};

SkippedBlock Skip(const CReuseBlock& block, SkipReason reason, std::uint32_t property,
                  const std::string& why) {
    return {&block, reason,
            std::string(PropertyName(property)) + " " + Quoted(PropertyText(block, property)) +
                " " + why};
}

Candidate Read(const CReuseBlock& block) {
    Candidate candidate{&block, std::nullopt};
    const std::optional<double> x = ParseNumber(block.GetPropertyRef(kXLoc).GetView());
    const std::optional<double> y = ParseNumber(block.GetPropertyRef(kYLoc).GetView());
    const std::optional<LengthUnit> unit = FindLengthUnit(block.GetPropertyRef(kUnits).GetView());
    if (!x) {
        candidate.skipped = Skip(block, SkipReason::kNotANumber, kXLoc, "is not a number");
    } else if (!y) {
        candidate.skipped = Skip(block, SkipReason::kNotANumber, kYLoc, "is not a number");
    } else if (!unit) {
        candidate.skipped =
            Skip(block, SkipReason::kUnknownUnits, kUnits, "is not mils, mm or inches");
    } else {
        candidate.x = *x;
        candidate.y = *y;
        candidate.unit = *unit;
    }
    return candidate;
}

// The unit most readable blocks use; on a tie the one the file names first.
LengthUnit MostUsedUnit(const std::vector<Candidate>& candidates) {
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
    std::vector<Candidate> candidates;
    candidates.reserve(blocks.size());
    for (const CReuseBlock* block : blocks) {
        if (StatusOf(*block) == BlockStatus::kUnplaced) {
            candidates.push_back(
                {block, SkippedBlock{block, SkipReason::kUnplaced, std::string(kStatusUnplaced)}});
        } else {
            candidates.push_back(Read(*block));
        }
    }
    Placement placement;
    placement.unit = MostUsedUnit(candidates);
    for (Candidate& candidate : candidates) {
        if (candidate.skipped) {
            placement.skipped.push_back(std::move(*candidate.skipped));
            continue;
        }
        const double x = ConvertLength(candidate.x, candidate.unit, placement.unit);
        const double y = ConvertLength(candidate.y, candidate.unit, placement.unit);
        if (std::fabs(x) > kFarthest || std::fabs(y) > kFarthest) {
            const std::uint32_t property = std::fabs(x) > kFarthest ? kXLoc : kYLoc;
            placement.skipped.push_back(
                Skip(*candidate.block, SkipReason::kTooFarOut, property, "is too far out to draw"));
            continue;
        }
        if (candidate.unit != placement.unit) ++placement.converted;
        placement.drawn.push_back({candidate.block, x, y});
    }
    return placement;
}

}  // namespace reuseblocks::tool
