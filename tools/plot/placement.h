// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_PLACEMENT_H
#define REUSEBLOCKS_TOOLS_PLOT_PLACEMENT_H

#include <reuseblocks/reuseblocks.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/huge_page_allocator.h"
#include "plot/units.h"

namespace reuseblocks::tool {

enum class BlockStatus { kPlaced, kPlanned, kUnplaced, kOther };
enum class BoardSide { kTop, kBottom, kOther };

// Read without regard to case, so "PLACED" and "Top" count too.
BlockStatus StatusOf(const CReuseBlock& block);
BoardSide SideOf(const CReuseBlock& block);

struct DrawnBlock {
    const CReuseBlock* block;
    double x;  // in Placement::unit
    double y;
};

// Why a block has no place in the drawing.
enum class SkipReason { kUnplaced, kNotANumber, kUnknownUnits, kTooFarOut };

struct SkippedBlock {
    const CReuseBlock* block;
    SkipReason reason;
    std::string explanation;  // e.g. XLOC "abc" is not a number
};

// One per block of a file: on huge pages when it is large.
using DrawnBlocks = detail::platform::HugePageVector<DrawnBlock>;

// Where the blocks of a file go on the drawing, in the unit most of them use.
struct Placement {
    LengthUnit unit = LengthUnit::kMils;
    DrawnBlocks drawn;  // in file order
    std::vector<SkippedBlock> skipped;
    std::size_t converted = 0;  // drawn blocks given in another unit
};

Placement PlaceBlocks(const std::vector<CReuseBlock*>& blocks);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_PLACEMENT_H
