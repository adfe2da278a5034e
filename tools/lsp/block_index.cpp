// SPDX-License-Identifier: MIT
#include "lsp/block_index.h"

#include <algorithm>
#include <iterator>

namespace reuseblocks::tool::lsp {

RecordLine ReadRecordLine(const TextDocument& document, unsigned long number) {
    RecordLine record;
    record.number = number;
    record.trimmed = format::TrimLine(document.LoaderLine(number));
    record.kind = format::ClassifyLine(record.trimmed);
    if (record.kind == format::LineKind::kDefinition || record.kind == format::LineKind::kMapping) {
        format::SplitFields(format::StripRecordEnds(record.trimmed), record.fields);
    }
    return record;
}

std::optional<std::size_t> FieldAt(const RecordLine& line, const TextDocument& document,
                                   std::size_t offset) {
    for (std::size_t index = 0; index < line.fields.size(); ++index) {
        const std::size_t start = document.OffsetOfView(line.fields[index]);
        if (offset >= start && offset <= start + line.fields[index].size()) return index;
    }
    return std::nullopt;
}

std::string_view FieldNameOf(format::LineKind kind, std::size_t field) {
    if (kind == format::LineKind::kDefinition) {
        return field < kPropertyCount ? PropertyName(static_cast<std::uint32_t>(field))
                                      : std::string_view();
    }
    if (kind != format::LineKind::kMapping) return {};
    if (field == 0) return kMappingKeyword;
    if (field == 1) return PropertyName(kBlockHierName);
    return field - 2 < kLayerMapColumnCount
               ? LayerMapColumnName(static_cast<std::uint32_t>(field - 2))
               : std::string_view();
}

BlockIndex::BlockIndex(const TextDocument& document) {
    format::LineScanner scanner(document.Text());
    std::vector<std::string_view> fields;
    for (format::ScannedLine line; scanner.Next(line);) {
        const std::string_view trimmed = format::TrimLine(line.text);
        const format::LineKind kind = format::ClassifyLine(trimmed);
        if (kind == format::LineKind::kDefinition) {
            format::SplitFields(format::StripRecordEnds(trimmed), fields,
                                format::kDefinitionFieldCount);
            if (fields.empty()) continue;
            m_owners.emplace(line.number, m_blocks.size());
            m_first.emplace(fields[0], m_blocks.size());
            m_blocks.push_back({line.number, fields[0], fields, {}});
        } else if (kind == format::LineKind::kMapping && !m_blocks.empty()) {
            m_blocks.back().mappings.push_back(line.number);
        }
    }
}

const BlockIndex::Block* BlockIndex::Find(std::string_view id) const {
    const auto found = m_first.find(id);
    return found == m_first.end() ? nullptr : &m_blocks[found->second];
}

const BlockIndex::Block* BlockIndex::Owner(unsigned long line) const {
    auto after = m_owners.upper_bound(line);
    if (after == m_owners.begin()) return nullptr;
    const Block& block = m_blocks[std::prev(after)->second];
    if (block.line == line) return &block;
    // A mapping line of the block: its lines are sorted.
    return std::binary_search(block.mappings.begin(), block.mappings.end(), line) ? &block
                                                                                  : nullptr;
}

}  // namespace reuseblocks::tool::lsp
