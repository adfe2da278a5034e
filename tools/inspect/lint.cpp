// SPDX-License-Identifier: MIT
#include "lint.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <numeric>
#include <tuple>

#include "cli/near_miss.h"
#include "platform/side_by_side.h"
#include "plot/units.h"
#include "records/fields.h"
#include "records/locations.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

struct Convention {
    Property property;
    std::vector<std::string_view> values;
    const char* code;
    const char* source;
};

template <std::size_t N>
std::vector<std::string_view> Values(const std::array<std::string_view, N>& values) {
    return {values.begin(), values.end()};
}

const std::array<Convention, 5>& Conventions() {
    static const std::array<Convention, 5> conventions = {{
        {kBlockType, Values(kBlockTypes), "Convention", " as the header documents"},
        {kBlockStatus, Values(kBlockStatuses), "Convention", " as the header documents"},
        {kSide, Values(kSides), "Side", ""},
        {kUnits, Values(kUnitNames), "Units", ""},
        {kQorStatus, Values(kQorStatuses), "Convention", " as the header documents"},
    }};
    return conventions;
}

using LayerMapRow = std::array<std::string_view, CReuseBlock::kLayerMapColumnCount>;

LayerMapRow RowOf(const CReuseBlock& block, std::uint32_t row) {
    LayerMapRow values;
    for (std::uint32_t column = 0; column < values.size(); ++column) {
        values[column] = block.GetLayerMapRef(row, column).GetView();
    }
    return values;
}

// Up to this many rows, each row is compared with those before it: no memory is asked for, and
// the comparisons are few.
constexpr std::uint32_t kRowsComparedPairwise = 16;

// Rows equal to an earlier row of the block, each with the earliest such row, in row order. Many
// rows are sorted rather than hashed, so that no crafted file can make it quadratic; each row's
// values are looked up once, not at every comparison.
std::vector<std::pair<std::uint32_t, std::uint32_t>> RepeatedRows(const CReuseBlock& block) {
    const std::uint32_t count = block.GetLayerMapCount();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> repeats;
    if (count <= kRowsComparedPairwise) {
        std::array<LayerMapRow, kRowsComparedPairwise> rows;
        for (std::uint32_t row = 0; row < count; ++row) {
            rows[row] = RowOf(block, row);
            for (std::uint32_t earlier = 0; earlier < row; ++earlier) {
                if (rows[earlier] == rows[row]) {
                    repeats.emplace_back(row, earlier);
                    break;
                }
            }
        }
        return repeats;
    }
    std::vector<LayerMapRow> rows(count);
    for (std::uint32_t row = 0; row < count; ++row) rows[row] = RowOf(block, row);
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return rows[a] < rows[b]; });
    for (std::size_t i = 1, first = 0; i < order.size(); ++i) {
        if (rows[order[i]] != rows[order[first]]) {
            first = i;
            continue;
        }
        repeats.emplace_back(order[i], order[first]);
    }
    std::sort(repeats.begin(), repeats.end());
    return repeats;
}

}  // namespace

const std::vector<std::string_view>* ConventionalValues(Property property) {
    for (const Convention& convention : Conventions()) {
        if (convention.property == property) return &convention.values;
    }
    return nullptr;
}

std::optional<Problem> CheckFormatLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Only as much as the format line could take: a hostile first line may be huge.
    std::string first(kFormatLine.size() + 64, '\0');
    in.read(first.data(), static_cast<std::streamsize>(first.size()));
    first.resize(static_cast<std::size_t>(in.gcount()));
    return CheckFormatLineOf(first);
}

std::optional<Problem> CheckFormatLineOf(std::string_view text) {
    const std::string_view first = text.substr(0, text.find('\n'));
    if (ascii::TrimSpace(first) == kFormatLine) return std::nullopt;
    const std::string expected = "the format line \"" + std::string(kFormatLine) + "\"";
    return Problem{1,
                   "warning",
                   "FormatLine",
                   std::nullopt,
                   std::nullopt,
                   first.empty() ? "the file does not start with " + expected
                                 : "first line is not " + expected};
}

namespace {

// A repeated row: its block's index, the row and the earlier row it repeats.
using RepeatedRow = std::tuple<std::size_t, std::uint32_t, std::uint32_t>;

std::vector<RepeatedRow> FindRepeatedRows(const std::vector<CReuseBlock*>& blocks,
                                          std::size_t first, std::size_t last) {
    std::vector<RepeatedRow> found;
    for (std::size_t index = first; index < last; ++index) {
        for (const auto& [row, earlier] : RepeatedRows(*blocks[index])) {
            found.emplace_back(index, row, earlier);
        }
    }
    return found;
}

// From this many blocks on, the second half is searched on a thread of its own.
constexpr std::size_t kBlocksSearchedInHalves = 4096;

}  // namespace

std::vector<Problem> CheckLayerMaps(const std::vector<CReuseBlock*>& blocks,
                                    const RecordLinesList& lines, ProblemTally& tally) {
    // Found side by side, then kept or counted in file order.
    auto halves = detail::platform::InHalves(blocks.size(), kBlocksSearchedInHalves,
                                             [&blocks](int, std::size_t first, std::size_t last) {
                                                 return FindRepeatedRows(blocks, first, last);
                                             });
    std::vector<RepeatedRow>& repeated = halves[0];
    repeated.insert(repeated.end(), halves[1].begin(), halves[1].end());
    std::vector<Problem> problems;
    for (const auto& [index, row, earlier] : repeated) {
        if (!tally.Keep("warning", "RepeatedLayerMap")) continue;
        const std::string id(blocks[index]->GetBlockID().GetView());
        problems.push_back({lines.RowOf(index, row), "warning", "RepeatedLayerMap", id,
                            std::nullopt,
                            "layer map " + std::to_string(row) + " of block " + Quoted(id) +
                                " repeats layer map " + std::to_string(earlier)});
    }
    return problems;
}

void BlockLint::Add(unsigned long line, const char* code, std::string_view id,
                    std::string_view field, std::string message) {
    m_problems.push_back(
        {line, "warning", code, std::string(id), std::string(field), std::move(message)});
}

namespace {

// `x` and `y`: XLOC and YLOC in database units, which the other rules need too.
std::optional<StackingPlace> StackingPlaceAt(const BlockValues& values,
                                             const std::optional<long long>& x,
                                             const std::optional<long long>& y) {
    if (!ascii::EqualsIgnoringCase(values[kBlockStatus], kStatusPlaced) || !x || !y) {
        return std::nullopt;
    }
    return StackingPlace{Upper(std::string(values[kSide])), *x, *y};
}

}  // namespace

std::optional<StackingPlace> StackingPlaceOf(const BlockValues& values) {
    return StackingPlaceAt(values, DatabaseUnits(values[kXLoc], values[kUnits]),
                           DatabaseUnits(values[kYLoc], values[kUnits]));
}

void BlockLint::Check(const BlockValues& values, unsigned long line) {
    const std::string_view id = values[kBlockHierName];
    const std::string_view units = values[kUnits];
    const bool placed = ascii::EqualsIgnoringCase(values[kBlockStatus], kStatusPlaced);
    const std::array<std::optional<long long>, 2> internal = {DatabaseUnits(values[kXLoc], units),
                                                              DatabaseUnits(values[kYLoc], units)};
    if (std::optional<StackingPlace> place = StackingPlaceAt(values, internal[0], internal[1])) {
        m_spots.push_back({std::move(*place), line, id});
    }
    for (const Convention& convention : Conventions()) {
        const std::string_view value = values[convention.property];
        if (std::find(convention.values.begin(), convention.values.end(), value) !=
            convention.values.end()) {
            continue;
        }
        if (!m_tally.Keep("warning", convention.code)) continue;
        const std::string_view field = PropertyName(convention.property);
        std::string message = std::string(field) + " of block " + Quoted(id) + " is " +
                              Quoted(value) + ", not " + Alternatives(convention.values) +
                              convention.source;
        const std::string nearest = NearestName(value, convention.values);
        if (!nearest.empty()) message += "; did you mean " + nearest + "?";
        Add(line, convention.code, id, field, std::move(message));
    }
    for (const Property property : {kXLoc, kYLoc, kRotation, kIntXLoc, kIntYLoc}) {
        if (!placed || ParseNumber(values[property])) continue;
        if (!m_tally.Keep("warning", "PlacedNumber")) continue;
        const std::string_view field = PropertyName(property);
        Add(line, "PlacedNumber", id, field,
            std::string(field) + " of placed block " + Quoted(id) + " is " +
                Quoted(values[property]) + ", not a number");
    }
    for (const auto& [axis, stored, place] :
         {std::tuple{kXLoc, kIntXLoc, internal[0]}, std::tuple{kYLoc, kIntYLoc, internal[1]}}) {
        const std::optional<double> given = ParseNumber(values[stored]);
        if (!place || !given || *given == static_cast<double>(*place)) continue;
        if (!m_tally.Keep("warning", "InternalLocation")) continue;
        const std::string_view field = PropertyName(stored);
        Add(line, "InternalLocation", id, field,
            // Numbers and known units are safe to show as they are.
            std::string(field) + " of block " + Quoted(id) + " is " + std::string(values[stored]) +
                ", but " + std::string(PropertyName(axis)) + " " + std::string(values[axis]) + " " +
                std::string(units) + " is " + std::to_string(*place) +
                " in database units; did you mean " + std::to_string(*place) +
                "? (set --sync-int rewrites it)");
    }
}

std::vector<Problem> BlockLint::Finish() {
    std::vector<Problem> problems = std::move(m_problems);
    // Sorted rather than hashed, so that no crafted file can make it quadratic; stable, so that
    // the first of a stack is the one the file defines first.
    std::vector<std::size_t> order(m_spots.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto place = [this](std::size_t spot) {
        const StackingPlace& at = m_spots[spot].place;
        return std::tie(at.side, at.x, at.y);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return place(a) < place(b); });
    std::vector<std::pair<std::size_t, std::size_t>> stacked;  // (spot, the first on its place)
    for (std::size_t i = 1, first = 0; i < order.size(); ++i) {
        if (place(order[i]) != place(order[first])) {
            first = i;
        } else {
            stacked.emplace_back(order[i], order[first]);
        }
    }
    std::sort(stacked.begin(), stacked.end());  // back in file order
    for (const auto& [spot, first] : stacked) {
        if (!m_tally.Keep("warning", "Stacked")) continue;
        const Spot& block = m_spots[spot];
        const Spot& under = m_spots[first];
        std::string message =
            "block " + Quoted(block.id) + " is placed where block " + Quoted(under.id);
        if (under.line > 0) message += " (line " + std::to_string(under.line) + ")";
        message += " is, on side " + Quoted(block.place.side);
        problems.push_back({block.line, "warning", "Stacked", std::string(block.id), std::nullopt,
                            std::move(message)});
    }
    m_spots.clear();
    return problems;
}

}  // namespace reuseblocks::tool
