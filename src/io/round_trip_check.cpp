// SPDX-License-Identifier: MIT
// What a written and re-read blocks file would not give back: the syntax unit judges each value,
// and the collection's walk adds the IDs written twice.
#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "format/value_round_trip.h"
#include "io/repeated_ids.h"
#include "io/walk_order.h"
#include "platform/side_by_side.h"
#include "reuseblocks/diagnostics.h"

namespace reuseblocks {

namespace {

// "a", "a and b", "a, b and c".
void AppendListItem(std::string& text, std::string_view item, bool last) {
    if (!text.empty()) text += last ? " and " : ", ";
    text += item;
}

}  // namespace

unsigned RoundTripReasonsOf(std::string_view value, ValuePlace place) noexcept {
    return format::RoundTripReasons(value, place);
}

std::string DescribeRoundTripReasons(unsigned reasons) {
    static constexpr std::pair<unsigned, std::string_view> kHeld[] = {
        {kRoundTripWhiteSpace, "white space"},
        {kRoundTripLineBreak, "a line break"},
        {kRoundTripQuote, "a quote"},
        {kRoundTripKeyword, "\"map_block_host\""},
    };
    static constexpr std::pair<unsigned, std::string_view> kOthers[] = {
        {kRoundTripLeadingHash, "starts with \"#\""},
        {kRoundTripLeadingParenthesis, "starts with \"(\""},
        {kRoundTripTrailingParenthesis, "ends in \")\""},
        {kRoundTripRepeatedID, "repeats an earlier block's ID"},
    };
    std::vector<std::string_view> parts;
    if (reasons & kRoundTripEmpty) parts.emplace_back("is empty");
    std::string held;
    unsigned heldLeft = 0;
    for (const auto& [bit, text] : kHeld) heldLeft += (reasons & bit) ? 1 : 0;
    for (const auto& [bit, text] : kHeld) {
        if (reasons & bit) AppendListItem(held, text, --heldLeft == 0);
    }
    if (!held.empty()) held.insert(0, "holds ");
    if (!held.empty()) parts.emplace_back(held);
    for (const auto& [bit, text] : kOthers) {
        if (reasons & bit) parts.push_back(text);
    }
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        AppendListItem(text, parts[i], i + 1 == parts.size());
    return text;
}

namespace {

// From this many blocks on, the two halves of the walk are checked side by side.
constexpr std::size_t kSideBySideBlocks = 4096;

void CheckBlock(const CReuseBlock& block, bool repeatsAnID,
                std::vector<RoundTripProblem>& problems) {
    constexpr std::uint32_t kLastProperty = CReuseBlock::kPropertyCount - 1;
    constexpr std::uint32_t kLastColumn = CReuseBlock::kLayerMapColumnCount - 1;
    auto note = [&](unsigned reasons, int property, long row, int column) {
        if (reasons == 0) return;
        problems.push_back({std::string(block.GetBlockID().GetView()), property, row, column,
                            reasons, DescribeRoundTripReasons(reasons)});
    };
    for (std::uint32_t index = 0; index <= kLastProperty; ++index) {
        const ValuePlace place = index == 0               ? ValuePlace::kBlockID
                                 : index == kLastProperty ? ValuePlace::kLast
                                                          : ValuePlace::kMiddle;
        unsigned reasons = RoundTripReasonsOf(block.GetPropertyRef(index).GetView(), place);
        if (index == 0 && repeatsAnID) reasons |= kRoundTripRepeatedID;
        note(reasons, static_cast<int>(index), -1, -1);
    }
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        for (std::uint32_t column = 0; column <= kLastColumn; ++column) {
            const ValuePlace place =
                column == kLastColumn ? ValuePlace::kLastColumn : ValuePlace::kColumn;
            note(RoundTripReasonsOf(block.GetLayerMapRef(row, column).GetView(), place), -1,
                 static_cast<long>(row), static_cast<int>(column));
        }
    }
}

}  // namespace

std::vector<RoundTripProblem> FindRoundTripProblems(const CReuseBlockFile& blocks) {
    const std::vector<const CReuseBlock*> walk = detail::BlocksInWalkOrder(blocks);
    std::vector<char> repeats(walk.size(), 0);
    const std::vector<const CReuseBlock*> repeated = detail::RepeatedIDs::Find(blocks);
    auto nextRepeated = repeated.begin();
    for (std::size_t i = 0; i < walk.size() && nextRepeated != repeated.end(); ++i) {
        if (walk[i] == *nextRepeated) repeats[i] = 1, ++nextRepeated;
    }
    // In walk order, as the blocks are: the first half's problems, then the second's.
    std::array<std::vector<RoundTripProblem>, 2> halves =
        detail::platform::InHalves(walk.size(), kSideBySideBlocks,
                                   [&walk, &repeats](int, std::size_t first, std::size_t last) {
                                       std::vector<RoundTripProblem> problems;
                                       for (std::size_t i = first; i < last; ++i)
                                           CheckBlock(*walk[i], repeats[i] != 0, problems);
                                       return problems;
                                   });
    std::vector<RoundTripProblem> problems = std::move(halves[0]);
    problems.insert(problems.end(), std::make_move_iterator(halves[1].begin()),
                    std::make_move_iterator(halves[1].end()));
    return problems;
}

}  // namespace reuseblocks
