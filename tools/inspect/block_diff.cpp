// SPDX-License-Identifier: MIT
#include "block_diff.h"

#include <algorithm>
#include <iterator>

#include "edit/loading.h"
#include "platform/side_by_side.h"
#include "records/fields.h"
#include "text/keyed_map.h"

namespace reuseblocks::tool {

using detail::platform::InHalves;

namespace {

// Beyond this many cells the alignment table costs too much; rows then pair up by position.
// The bound keeps the work linear in the size of the files, whatever they hold.
constexpr std::size_t kMaxAlignmentCells = std::size_t{1} << 16;

// From this many blocks on, each side is compared in two halves side by side.
constexpr std::size_t kBlocksComparedInHalves = 4096;

// Every row as a small number, equal numbers for equal rows, so that aligning compares numbers.
class RowNumbering {
  public:
    std::vector<std::size_t> Rows(const CReuseBlock& block, std::uint32_t first,
                                  std::uint32_t end) {
        std::vector<std::size_t> numbers;
        for (std::uint32_t row = first; row < end; ++row) {
            std::string key;
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                const std::string value = LayerMapText(block, row, column);
                key += std::to_string(value.size()) + ':' + value;
            }
            numbers.push_back(m_numbers.emplace(std::move(key), m_numbers.size()).first->second);
        }
        return numbers;
    }

  private:
    KeyedMap<std::size_t> m_numbers;
};

bool SameRow(const CReuseBlock& a, std::uint32_t rowA, const CReuseBlock& b, std::uint32_t rowB) {
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        if (a.GetLayerMapRef(rowA, column).GetView() != b.GetLayerMapRef(rowB, column).GetView()) {
            return false;
        }
    }
    return true;
}

// Rows removed and added between two common rows, turned into changes.
void FlushStretch(std::vector<long>& removed, std::vector<long>& added,
                  std::vector<LayerMapChange>& changes) {
    const std::size_t paired = std::min(removed.size(), added.size());
    for (std::size_t k = 0; k < paired; ++k) {
        changes.push_back({ChangeKind::kChanged, removed[k], added[k]});
    }
    for (std::size_t k = paired; k < removed.size(); ++k) {
        changes.push_back({ChangeKind::kRemoved, removed[k], -1});
    }
    for (std::size_t k = paired; k < added.size(); ++k) {
        changes.push_back({ChangeKind::kAdded, -1, added[k]});
    }
    removed.clear();
    added.clear();
}

std::vector<PropertyChange> CompareProperties(const CReuseBlock& before, const CReuseBlock& after) {
    std::vector<PropertyChange> changes;
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        const CString& old = before.GetPropertyRef(index);
        const CString& now = after.GetPropertyRef(index);
        if (old.GetView() != now.GetView()) changes.push_back({index, Text(old), Text(now)});
    }
    return changes;
}

}  // namespace

std::vector<LayerMapChange> CompareLayerMaps(const CReuseBlock& before, const CReuseBlock& after) {
    // Rows alike at both ends are common; only the stretch between them needs aligning.
    std::uint32_t first = 0;
    std::uint32_t endA = before.GetLayerMapCount();
    std::uint32_t endB = after.GetLayerMapCount();
    while (first < endA && first < endB && SameRow(before, first, after, first)) ++first;
    while (endA > first && endB > first && SameRow(before, endA - 1, after, endB - 1)) {
        --endA, --endB;
    }
    if (first == endA && first == endB) return {};  // the same rows, as most blocks have
    RowNumbering numbering;
    const std::vector<std::size_t> a = numbering.Rows(before, first, endA);
    const std::vector<std::size_t> b = numbering.Rows(after, first, endB);

    // common[i][j]: length of the longest common subsequence of a[i..endA) and b[j..endB).
    const std::size_t n = endA - first;
    const std::size_t m = endB - first;
    const bool align = n > 0 && m > 0 && (n + 1) * (m + 1) <= kMaxAlignmentCells;
    std::vector<std::uint32_t> common(align ? (n + 1) * (m + 1) : 0, 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
        return common[i * (m + 1) + j];
    };
    if (align) {
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;) {
                at(i, j) =
                    a[i] == b[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
    }

    std::vector<LayerMapChange> changes;
    std::vector<long> removed;
    std::vector<long> added;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        const bool same = i < n && j < m && a[i] == b[j];
        if (same) {  // taking a common row at once never shortens the alignment
            FlushStretch(removed, added, changes);
            ++i, ++j;
        } else if (i < n && (j == m || (align ? at(i + 1, j) >= at(i, j + 1) : i <= j))) {
            removed.push_back(static_cast<long>(first + i++));
        } else {
            added.push_back(static_cast<long>(first + j++));
        }
    }
    FlushStretch(removed, added, changes);
    return changes;
}

std::vector<BlockChange> CompareCollections(CReuseBlockFile& before, CReuseBlockFile& after) {
    // Each side's blocks looked up in the other, in halves side by side for large files; the
    // order they are found in does not show, since the changes are sorted.
    const auto changesOf = [](const std::vector<CReuseBlock*>& blocks, CReuseBlockFile& other,
                              bool fromBefore) {
        return InHalves(
            blocks.size(), kBlocksComparedInHalves, [&](int, std::size_t first, std::size_t last) {
                std::vector<BlockChange> changes;
                for (std::size_t i = first; i < last; ++i) {
                    const CReuseBlock* block = blocks[i];
                    CReuseBlock* match = nullptr;
                    if (other.GetBlock(block->GetBlockID().GetString(), match) == 0) {
                        changes.push_back({fromBefore ? ChangeKind::kRemoved : ChangeKind::kAdded,
                                           Text(block->GetBlockID()),
                                           fromBefore ? block : nullptr,
                                           fromBefore ? nullptr : block,
                                           {},
                                           {}});
                    } else if (fromBefore) {
                        // Named only when changed: most blocks are not.
                        std::vector<PropertyChange> properties = CompareProperties(*block, *match);
                        std::vector<LayerMapChange> rows = CompareLayerMaps(*block, *match);
                        if (!properties.empty() || !rows.empty()) {
                            changes.push_back({ChangeKind::kChanged, Text(block->GetBlockID()),
                                               block, match, std::move(properties),
                                               std::move(rows)});
                        }
                    }
                }
                return changes;
            });
    };
    std::vector<BlockChange> changes;
    for (auto&& half : changesOf(BlocksInOrder(before), after, true)) {
        std::move(half.begin(), half.end(), std::back_inserter(changes));
    }
    for (auto&& half : changesOf(BlocksInOrder(after), before, false)) {
        std::move(half.begin(), half.end(), std::back_inserter(changes));
    }
    std::sort(changes.begin(), changes.end(),
              [](const BlockChange& x, const BlockChange& y) { return x.id < y.id; });
    return changes;
}

}  // namespace reuseblocks::tool
