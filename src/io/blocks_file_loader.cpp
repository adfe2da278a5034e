// SPDX-License-Identifier: MIT
#include "io/blocks_file_loader.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "io/line_reader.h"
#include "io/line_tokenizer.h"
#include "model/layer_map.h"
#include "platform/file_system.h"

namespace reuseblocks::detail {

namespace {

constexpr std::size_t kDefinitionFields = CReuseBlock::kPropertyCount;
constexpr std::size_t kMappingFields = 2 + CReuseBlock::kLayerMapColumnCount;
constexpr std::size_t kMaxQuotedLength = 60;

bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimWhiteSpace(std::string_view text) {
    while (!text.empty() && IsLineSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsLineSpace(text.back())) text.remove_suffix(1);
    return text;
}

// A record may be wrapped in parentheses.
std::string_view StripRecordEnds(std::string_view text) {
    while (!text.empty() && (text.front() == '(' || text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ')' || text.back() == ' ' || text.back() == '\t' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    quoted.append(text.substr(0, kMaxQuotedLength));
    if (text.size() > kMaxQuotedLength) quoted += "...";
    return quoted + "\"";
}

std::string CountMessage(const char* kind, std::size_t found, std::size_t expected) {
    return std::string(kind) + " line has " + std::to_string(found) +
           (found == 1 ? " field, " : " fields, ") + std::to_string(expected) + " expected";
}

std::string ReadFailure(const char* what, const char* path, platform::ErrorCode error) {
    return std::string(what) + " " + Quoted(path ? path : "") + ": " + platform::ErrorText(error);
}

}  // namespace

int BlocksFileLoader::Load(const char* path, LoadReport* report) {
    m_report = report;
    m_current = nullptr;
    if (report) *report = LoadReport{};
    platform::FileReader file;
    if (const platform::ErrorCode error = file.Open(path)) {
        return Reject(LoadResult::kCannotRead, ReadFailure("cannot open", path, error));
    }
    LineReader reader(file);
    std::string_view line;
    while (reader.ReadLine(line)) {
        line = TrimWhiteSpace(line);
        if (line.empty() || line.front() == kCommentMark) continue;
        const int result = line.find(kMappingKeyword) != std::string_view::npos
                               ? HandleMapping(line)
                               : HandleDefinition(line);
        if (result != 0) {
            if (report) report->line = reader.LineNumber();
            return result;
        }
    }
    if (reader.Error() != 0) {
        return Reject(LoadResult::kCannotRead, ReadFailure("cannot read", path, reader.Error()));
    }
    return 0;
}

int BlocksFileLoader::HandleDefinition(std::string_view line) {
    TokenizeLine(StripRecordEnds(line), m_fields, " ");
    // Counted before the ID is looked at, and a line with no field at all is just too short.
    if (m_fields.size() < kDefinitionFields) {
        return Reject(LoadResult::kDefinitionTooShort,
                      CountMessage("definition", m_fields.size(), kDefinitionFields));
    }
    const std::string_view id = m_fields[0];
    void* existing = nullptr;
    if (m_blocks.m_blockIndex.LookupKey(id, existing)) {
        return Reject(LoadResult::kDuplicateBlockID,
                      "block ID " + Quoted(id) + " is already defined");
    }
    CReuseBlock* block = m_blocks.CreateBlock();
    try {
        for (std::size_t index = 0; index < kDefinitionFields; ++index) {
            block->m_properties[index] = m_fields[index];
        }
        m_blocks.m_blockIndex.Insert(id) = block;
    } catch (...) {
        m_blocks.DestroyBlock(block);  // never entered the collection
        throw;
    }
    m_current = block;
    return 0;
}

int BlocksFileLoader::HandleMapping(std::string_view line) {
    if (!m_current) return 0;  // before the first definition line of the file: ignored whole
    TokenizeLine(StripRecordEnds(line), m_fields, " ");
    // The first field, the keyword's place, is not compared with anything.
    if (m_fields.size() >= 2 && m_fields[1] != m_current->GetBlockID().GetView()) {
        return Reject(LoadResult::kForeignMapping, "mapping line names block " +
                                                       Quoted(m_fields[1]) +
                                                       ", but the block defined last is " +
                                                       Quoted(m_current->GetBlockID().GetView()));
    }
    if (m_fields.size() < kMappingFields) {
        return Reject(LoadResult::kMappingTooShort,
                      CountMessage("mapping", m_fields.size(), kMappingFields));
    }
    // Copy the columns before the row exists, so that running out of memory adds no half row.
    std::array<CString, CReuseBlock::kLayerMapColumnCount> columns;
    for (std::size_t column = 0; column < columns.size(); ++column) {
        columns[column] = m_fields[2 + column];
    }
    CReuseBlock::LayerMap& row = m_current->RowAt(m_current->NewLayerMap());
    row.columns = std::move(columns);
    return 0;
}

int BlocksFileLoader::Reject(LoadResult result, std::string message) {
    if (m_report) {
        m_report->result = static_cast<int>(result);
        m_report->message = std::move(message);
    }
    return static_cast<int>(result);
}

}  // namespace reuseblocks::detail

int CReuseBlockFile::LoadFile(const char* path) {
    return reuseblocks::detail::BlocksFileLoader(*this).Load(path, nullptr);
}
