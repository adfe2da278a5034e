// SPDX-License-Identifier: MIT
#include "lint.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <numeric>

#include "cli/near_miss.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

struct Convention {
    Property property;
    std::vector<std::string_view> values;
};

const std::array<Convention, 3>& Conventions() {
    static const std::array<Convention, 3> conventions = {{
        {kBlockType, {kBlockTypes.begin(), kBlockTypes.end()}},
        {kBlockStatus, {kBlockStatuses.begin(), kBlockStatuses.end()}},
        {kQorStatus, {kQorStatuses.begin(), kQorStatuses.end()}},
    }};
    return conventions;
}

unsigned long LineOf(const std::vector<RecordLines>& lines, std::size_t block) {
    return block < lines.size() ? lines[block].definition : 0;
}

unsigned long RowLineOf(const std::vector<RecordLines>& lines, std::size_t block,
                        std::uint32_t row) {
    if (block >= lines.size() || row >= lines[block].layerMaps.size()) return 0;
    return lines[block].layerMaps[row];
}

// Rows equal to an earlier row of the block, each with the earlier one; sorted rather than
// hashed, so that no crafted file can make it quadratic.
std::vector<std::pair<std::uint32_t, std::uint32_t>> RepeatedRows(CReuseBlock& block) {
    const std::uint32_t count = block.GetLayerMapCount();
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    const auto columns = [&](std::uint32_t row) {
        std::array<std::string_view, CReuseBlock::kLayerMapColumnCount> values;
        for (std::uint32_t column = 0; column < values.size(); ++column) {
            values[column] = block.GetLayerMap(row, column).GetView();
        }
        return values;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return columns(a) < columns(b); });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> repeats;
    for (std::size_t i = 1, first = 0; i < order.size(); ++i) {
        if (columns(order[i]) != columns(order[first])) {
            first = i;
            continue;
        }
        repeats.emplace_back(order[i], order[first]);
    }
    std::sort(repeats.begin(), repeats.end());
    return repeats;
}

}  // namespace

std::optional<Problem> CheckFormatLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Only as much as the format line could take: a hostile first line may be huge.
    std::string first(kFormatLine.size() + 64, '\0');
    in.read(first.data(), static_cast<std::streamsize>(first.size()));
    first.resize(static_cast<std::size_t>(in.gcount()));
    first = first.substr(0, first.find('\n'));
    if (Trimmed(first) == kFormatLine) return std::nullopt;
    const std::string expected = "the format line \"" + std::string(kFormatLine) + "\"";
    return Problem{1,
                   "warning",
                   "FormatLine",
                   std::nullopt,
                   std::nullopt,
                   first.empty() ? "the file does not start with " + expected
                                 : "first line is not " + expected};
}

std::vector<Problem> CheckConventions(const std::vector<CReuseBlock*>& blocks,
                                      const std::vector<RecordLines>& lines) {
    std::vector<Problem> problems;
    for (std::size_t index = 0; index < blocks.size(); ++index) {
        CReuseBlock& block = *blocks[index];
        const std::string id(block.GetBlockID().GetView());
        for (const Convention& convention : Conventions()) {
            const std::string_view value = block.GetProperty(convention.property).GetView();
            if (std::find(convention.values.begin(), convention.values.end(), value) !=
                convention.values.end()) {
                continue;
            }
            const std::string field(PropertyName(convention.property));
            std::string message = field + " of block " + Quoted(id) + " is " + Quoted(value) +
                                  ", not " + Alternatives(convention.values) +
                                  " as the header documents";
            const std::string nearest = NearestName(value, convention.values);
            if (!nearest.empty()) message += "; did you mean " + nearest + "?";
            problems.push_back(
                {LineOf(lines, index), "warning", "Convention", id, field, std::move(message)});
        }
        for (const auto& [row, earlier] : RepeatedRows(block)) {
            problems.push_back({RowLineOf(lines, index, row), "warning", "RepeatedLayerMap", id,
                                std::nullopt,
                                "layer map " + std::to_string(row) + " of block " + Quoted(id) +
                                    " repeats layer map " + std::to_string(earlier)});
        }
    }
    return problems;
}

}  // namespace reuseblocks::tool
