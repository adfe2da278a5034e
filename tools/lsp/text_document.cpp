// SPDX-License-Identifier: MIT
#include "lsp/text_document.h"

#include <algorithm>
#include <cstring>

#include "text/utf8.h"

namespace reuseblocks::tool::lsp {

namespace {

// How many UTF-16 units the bytes at the start of `text` take, and how many bytes that is: a
// byte that begins no well-formed sequence shows as one U+FFFD.
std::size_t NextCharacter(std::string_view text, std::uint32_t& units) {
    char32_t codePoint = 0;
    const std::size_t size = DecodeUtf8(text, codePoint);
    if (size == 0) {
        units = 1;
        return 1;
    }
    units = codePoint > 0xFFFF ? 2 : 1;
    return size;
}

}  // namespace

TextDocument::TextDocument(std::string text) : m_text(std::move(text)) {
    m_editorStarts.push_back(0);
    m_loaderStarts.push_back(0);
    // Line ends found with memchr: a carriage return is rare, and looked for again only once
    // passed.
    const char* const begin = m_text.data();
    const std::size_t size = m_text.size();
    const auto next = [&](char c, std::size_t from) {
        const void* found = from < size ? std::memchr(begin + from, c, size - from) : nullptr;
        return found == nullptr ? size
                                : static_cast<std::size_t>(static_cast<const char*>(found) - begin);
    };
    std::size_t feed = next('\n', 0);
    std::size_t carriage = next('\r', 0);
    while (feed < size || carriage < size) {
        if (carriage < feed) {
            // A carriage return before a line feed ends the editor's line on its own.
            if (carriage + 1 == size || begin[carriage + 1] != '\n') {
                m_editorStarts.push_back(carriage + 1);
            }
            carriage = next('\r', carriage + 1);
            continue;
        }
        m_editorStarts.push_back(feed + 1);
        m_loaderStarts.push_back(feed + 1);
        feed = next('\n', feed + 1);
    }
    // A final line feed ends the last line of the loader, which sees no empty line after it.
    if (m_loaderStarts.size() > 1 && m_loaderStarts.back() == m_text.size()) {
        m_loaderStarts.pop_back();
    }
}

Position TextDocument::PositionOf(std::size_t offset) const {
    offset = std::min(offset, m_text.size());
    const auto after = std::upper_bound(m_editorStarts.begin(), m_editorStarts.end(), offset);
    const std::size_t line = static_cast<std::size_t>(after - m_editorStarts.begin()) - 1;
    std::uint32_t column = 0;
    for (std::size_t i = m_editorStarts[line]; i < offset;) {
        std::uint32_t units = 0;
        i += NextCharacter(std::string_view(m_text).substr(i, offset - i), units);
        column += units;
    }
    return {static_cast<std::uint32_t>(line), column};
}

std::optional<std::size_t> TextDocument::OffsetOf(std::int64_t line, std::int64_t character) const {
    if (line < 0 || static_cast<std::uint64_t>(line) >= m_editorStarts.size()) return std::nullopt;
    const auto index = static_cast<std::size_t>(line);
    std::size_t end = index + 1 < m_editorStarts.size() ? m_editorStarts[index + 1] : m_text.size();
    while (end > m_editorStarts[index] && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r') &&
           index + 1 < m_editorStarts.size()) {
        --end;
    }
    std::size_t offset = m_editorStarts[index];
    std::int64_t column = 0;
    while (offset < end) {
        std::uint32_t units = 0;
        const std::size_t size =
            NextCharacter(std::string_view(m_text).substr(offset, end - offset), units);
        if (column + units > character) break;
        column += units;
        offset += size;
    }
    return offset;
}

std::string_view TextDocument::LoaderLine(unsigned long number) const {
    if (number == 0 || number > m_loaderStarts.size()) return {};
    const std::size_t start = m_loaderStarts[number - 1];
    std::size_t end = number < m_loaderStarts.size() ? m_loaderStarts[number] - 1 : m_text.size();
    if (end > start && m_text[end - 1] == '\n') --end;
    return std::string_view(m_text).substr(start, end - start);
}

std::size_t TextDocument::LoaderLineStart(unsigned long number) const {
    if (number == 0 || number > m_loaderStarts.size()) return 0;
    return m_loaderStarts[number - 1];
}

unsigned long TextDocument::LoaderLineAt(std::size_t offset) const {
    const auto after = std::upper_bound(m_loaderStarts.begin(), m_loaderStarts.end(), offset);
    return static_cast<unsigned long>(after - m_loaderStarts.begin());
}

}  // namespace reuseblocks::tool::lsp
