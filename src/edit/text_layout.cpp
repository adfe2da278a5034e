// SPDX-License-Identifier: MIT
#include "edit/text_layout.h"

#include <algorithm>
#include <unordered_map>

#include "host/keyed_hash.h"
#include "platform/file_system.h"

namespace reuseblocks::detail {

TextLayout ReadLayout(std::string_view text) {
    TextLayout layout;
    // Sized once: a large file's lines would otherwise be moved again at every growth.
    layout.lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    KeyedViewMap<std::size_t> byKey;
    std::vector<std::string_view> fields;
    format::LineScanner scanner(text);
    format::ScannedLine line;
    TextLayout::Block* current = nullptr;
    const auto reject = [&layout](const format::ScannedLine& at, LoadResult code,
                                  std::string message) {
        layout.result = static_cast<int>(code);
        layout.rejectedLine = at.number;
        layout.message = std::move(message);
    };
    while (scanner.Next(line)) {
        const std::size_t index = layout.lines.size();
        layout.lines.push_back(line);
        const std::string_view trimmed = format::TrimLine(line.text);
        const format::LineKind kind = format::ClassifyLine(trimmed);
        if (kind == format::LineKind::kEmpty || kind == format::LineKind::kComment) continue;
        if (kind == format::LineKind::kMapping && !current) continue;  // ignored, as loaded
        format::SplitFields(format::StripRecordEnds(trimmed), fields);
        if (kind == format::LineKind::kDefinition) {
            if (fields.size() < format::kDefinitionFieldCount) {
                reject(line, LoadResult::kDefinitionTooShort,
                       format::FieldCountMessage(kind, fields.size()));
                break;
            }
            if (!byKey.emplace(fields[0], layout.blocks.size()).second) {
                reject(line, LoadResult::kDuplicateBlockID, format::DuplicateIDMessage(fields[0]));
                break;
            }
            TextLayout::Block& block = layout.blocks.emplace_back();
            block.key = fields[0];
            for (std::size_t i = 0; i < kPropertyCount; ++i) block.properties[i] = fields[i];
            block.definition = index;
            current = &block;
            continue;
        }
        if (fields.size() >= 2 && fields[1] != current->key) {
            reject(line, LoadResult::kForeignMapping,
                   format::ForeignMappingMessage(fields[1], current->key));
            break;
        }
        if (fields.size() < format::kMappingFieldCount) {
            reject(line, LoadResult::kMappingTooShort,
                   format::FieldCountMessage(kind, fields.size()));
            break;
        }
        TextLayout::Row row;
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = fields[2 + i];
        current->rows.push_back(row);
        current->rowLines.push_back(index);
    }
    return layout;
}

std::string_view LineEndOf(const format::ScannedLine& line) noexcept {
    const std::string_view end = line.whole.substr(line.text.size());
    if (end.empty()) return end;
    if (!line.text.empty() && line.text.back() == '\r') return "\r\n";
    return "\n";
}

std::string_view PrevailingLineEnd(const TextLayout& layout) noexcept {
    for (const format::ScannedLine& line : layout.lines) {
        const std::string_view end = LineEndOf(line);
        if (!end.empty()) return end;
    }
    return platform::kLineEnd;
}

}  // namespace reuseblocks::detail
