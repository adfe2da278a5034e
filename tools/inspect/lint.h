// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_INSPECT_LINT_H
#define REUSEBLOCKS_TOOLS_INSPECT_LINT_H

#include <reuseblocks/reuseblocks.h>

#include <reuseblocks/fields.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/problem_selection.h"
#include "inspect/record_lines.h"
#include "platform/huge_page_allocator.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

// One thing `check` reports about a file.
struct Problem {
    unsigned long line = 0;  // 1-based; 0 when no line can be named
    std::string severity;    // "error", "warning" or "note"
    std::string code;        // stable name for scripts, e.g. "Convention"
    std::optional<std::string> block;
    std::optional<std::string> field;
    std::string message;
};

// The first line of `path` is not the format line the writer puts there. Nothing when it is,
// or when the file cannot be read.
std::optional<Problem> CheckFormatLine(const std::string& path);
// The same of a file's whole text.
std::optional<Problem> CheckFormatLineOf(std::string_view text);

// How many warnings `check` shows unless told (--max-problems), as a compiler stops after so
// many errors.
inline constexpr std::size_t kProblemLimit = kMostProblems;

// Layer maps that repeat an earlier one of the same block, those `tally` keeps. `blocks` in walk
// order, `lines` the record lines of as many blocks or fewer (the rest then go without a line).
std::vector<Problem> CheckLayerMaps(const std::vector<CReuseBlock*>& blocks,
                                    const RecordLinesList& lines, ProblemTally& tally);

// The values the rules above hold `property` to (BLOCK_TYPE, BLOCK_STATUS, SIDE, UNITS,
// QOR_STATUS), as they guess from; nothing for a property without a convention.
const std::vector<std::string_view>* ConventionalValues(Property property);

// A block's values by property, loaded or read from a line the loader never reached.
using BlockValues = std::array<std::string_view, kPropertyCount>;

// Where the stacking rule below sees a block: a placed block whose XLOC and YLOC are numbers in
// known UNITS, by its side and its location in database units. Nothing for any other block.
struct StackingPlace {
    std::string side;  // upper case
    long long x = 0;
    long long y = 0;

    bool operator==(const StackingPlace& other) const {
        return x == other.x && y == other.y && side == other.side;
    }
    bool operator!=(const StackingPlace& other) const { return !(*this == other); }
};
std::optional<StackingPlace> StackingPlaceOf(const BlockValues& values);

// The rules on a block's values: the conventions of the header (BLOCK_TYPE, BLOCK_STATUS,
// QOR_STATUS) and of the writer (SIDE, UNITS), numbers where a placed block needs them, the
// internal location against the one given in UNITS, and blocks stacked on the same place and side.
// The values' text must outlive Finish. Every block is checked by every rule, so that `tally`
// counts every problem; it decides which are kept.
class BlockLint {
  public:
    explicit BlockLint(ProblemTally& tally) : m_tally(tally) {}
    void Check(const BlockValues& values, unsigned long line);
    // Every problem kept, the stacked blocks last.
    std::vector<Problem> Finish();

  private:
    struct Spot {
        StackingPlace place;
        unsigned long line = 0;
        std::string_view id;
    };
    void Add(unsigned long line, const char* code, std::string_view id, std::string_view field,
             std::string message);

    ProblemTally& m_tally;
    std::vector<Problem> m_problems;
    // One per block of a file: on huge pages when it is large.
    detail::platform::HugePageVector<Spot> m_spots;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_INSPECT_LINT_H
