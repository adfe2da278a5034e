// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_TEXT_DOCUMENT_H
#define REUSEBLOCKS_TOOLS_LSP_TEXT_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reuseblocks::tool::lsp {

// A place as the protocol gives it: a 0-based line and a column in UTF-16 code units.
struct Position {
    std::uint32_t line = 0;
    std::uint32_t character = 0;
};

// An open document's text with both ways to count its lines. The editor ends a line at "\n",
// "\r\n" and a lone "\r"; the loader only at "\n". Everything inside the server is a byte offset
// into the text, turned into the editor's position only at the edge.
class TextDocument {
  public:
    explicit TextDocument(std::string text = {});

    const std::string& Text() const { return m_text; }

    Position PositionOf(std::size_t offset) const;
    // The byte offset of `position`: a line past the end is nothing; a column past the end of its
    // line, or inside a character, is the end of the line or the start of the character.
    std::optional<std::size_t> OffsetOf(std::int64_t line, std::int64_t character) const;

    // The loader's lines (1-based), each without its "\n".
    std::size_t LoaderLineCount() const { return m_loaderStarts.size(); }
    std::string_view LoaderLine(unsigned long number) const;
    std::size_t LoaderLineStart(unsigned long number) const;
    // The loader's line holding `offset`.
    unsigned long LoaderLineAt(std::size_t offset) const;

    // The byte offset of a slice of Text().
    std::size_t OffsetOfView(std::string_view slice) const {
        return static_cast<std::size_t>(slice.data() - m_text.data());
    }

  private:
    std::string m_text;
    std::vector<std::size_t> m_editorStarts;
    std::vector<std::size_t> m_loaderStarts;
};

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_TEXT_DOCUMENT_H
