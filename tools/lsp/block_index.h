// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_BLOCK_INDEX_H
#define REUSEBLOCKS_TOOLS_LSP_BLOCK_INDEX_H

#include <reuseblocks/fields.h>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "format/line_syntax.h"
#include "lsp/text_document.h"

namespace reuseblocks::tool::lsp {

// A record line as the loader splits it; the fields are slices of the document's text.
struct RecordLine {
    unsigned long number = 0;  // the loader's, 1-based
    format::LineKind kind = format::LineKind::kEmpty;
    std::string_view trimmed;
    std::vector<std::string_view> fields;
};

// The loader's reading of line `number`.
RecordLine ReadRecordLine(const TextDocument& document, unsigned long number);

// The field of a record line that holds `offset`, or the one it touches at its end, as the cursor
// after a value still means that value.
std::optional<std::size_t> FieldAt(const RecordLine& line, const TextDocument& document,
                                   std::size_t offset);

// What a field of a line is called: a property on a definition line, the keyword, the block ID
// or a layer-map column on a mapping line. Empty beyond the record's count.
std::string_view FieldNameOf(format::LineKind kind, std::size_t field);

// The blocks of a document as the loader reads them, and the mapping lines of each: a mapping
// line belongs to the block defined last, whatever ID it names.
class BlockIndex {
  public:
    struct Block {
        unsigned long line = 0;
        std::string_view id;
        std::vector<std::string_view> values;  // as many as the line has
        std::vector<unsigned long> mappings;
    };

    explicit BlockIndex(const TextDocument& document);

    const std::vector<Block>& Blocks() const { return m_blocks; }
    // The block defined first under `id`.
    const Block* Find(std::string_view id) const;
    // The block whose definition or mapping line is `line`.
    const Block* Owner(unsigned long line) const;

  private:
    std::vector<Block> m_blocks;
    // Sorted, so that no crafted set of IDs can make it quadratic.
    std::map<std::string_view, std::size_t, std::less<>> m_first;
    std::map<unsigned long, std::size_t> m_owners;  // by the block's first line
};

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_BLOCK_INDEX_H
