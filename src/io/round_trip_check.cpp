// SPDX-License-Identifier: MIT
// What a written and re-read blocks file would not give back: the syntax unit judges each value,
// and the collection's walk adds the IDs written twice.
#include <string_view>

#include "format/value_round_trip.h"
#include "io/repeated_ids.h"
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

std::vector<RoundTripProblem> FindRoundTripProblems(const CReuseBlockFile& blocks) {
    constexpr std::uint32_t kLastProperty = CReuseBlock::kPropertyCount - 1;
    constexpr std::uint32_t kLastColumn = CReuseBlock::kLayerMapColumnCount - 1;
    std::vector<RoundTripProblem> problems;
    auto note = [&](const CReuseBlock& block, unsigned reasons, int property, long row,
                    int column) {
        if (reasons == 0) return;
        problems.push_back({std::string(block.GetBlockID().GetView()), property, row, column,
                            reasons, DescribeRoundTripReasons(reasons)});
    };
    // In walk order, as the blocks are.
    const std::vector<const CReuseBlock*> repeated = detail::RepeatedIDs::Find(blocks);
    auto nextRepeated = repeated.begin();
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock& block = *blocks.GetNext(position);
        for (std::uint32_t index = 0; index <= kLastProperty; ++index) {
            const ValuePlace place = index == 0               ? ValuePlace::kBlockID
                                     : index == kLastProperty ? ValuePlace::kLast
                                                              : ValuePlace::kMiddle;
            unsigned reasons = RoundTripReasonsOf(block.GetProperty(index).GetView(), place);
            if (index == 0 && nextRepeated != repeated.end() && *nextRepeated == &block) {
                reasons |= kRoundTripRepeatedID;
                ++nextRepeated;
            }
            note(block, reasons, static_cast<int>(index), -1, -1);
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            for (std::uint32_t column = 0; column <= kLastColumn; ++column) {
                const ValuePlace place =
                    column == kLastColumn ? ValuePlace::kLastColumn : ValuePlace::kColumn;
                note(block, RoundTripReasonsOf(block.GetLayerMap(row, column).GetView(), place), -1,
                     static_cast<long>(row), static_cast<int>(column));
            }
        }
    }
    return problems;
}

}  // namespace reuseblocks
