// SPDX-License-Identifier: MIT
#include "text_escape.h"

#include <cstdint>

#include "text/utf8.h"

namespace reuseblocks::tool {

namespace {

// A byte that is a whole character taking one column, shown as it is.
constexpr bool IsPlainAscii(char c) noexcept {
    return c >= 0x20 && c < 0x7F;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
}

bool IsCombining(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) ||
           (c >= 0x0591 && c <= 0x05BD) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Columns of one character that is not a control character.
std::size_t CharWidth(char32_t c) {
    return IsCombining(c) ? 0u : IsWide(c) ? 2u : 1u;
}

// Returns the columns of what it appended, as DisplayWidth counts them, found on the way.
template <bool kQuoteAndBackslash>
std::size_t AppendEscaped(std::string& out, std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        // A run of printable ASCII, nearly every value whole, goes out as it is.
        std::size_t plain = i;
        while (plain < text.size() && IsPlainAscii(text[plain]) &&
               !(kQuoteAndBackslash && (text[plain] == '"' || text[plain] == '\\'))) {
            ++plain;
        }
        if (plain > i) {
            out.append(text, i, plain - i);
            width += plain - i;
            i = plain;
            continue;
        }
        const char c = text[i];
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text.substr(i), codePoint);
        const std::size_t before = out.size();
        if (length == 0) {
            AppendHexByte(out, static_cast<unsigned char>(c));
            width += out.size() - before;
            ++i;
            continue;
        }
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (kQuoteAndBackslash && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) {
            // C1 controls too: some terminals act on them.
            for (std::size_t k = 0; k < length; ++k) {
                AppendHexByte(out, static_cast<unsigned char>(text[i + k]));
            }
        } else {
            out.append(text, i, length);
            width += CharWidth(codePoint);
            i += length;
            continue;
        }
        width += out.size() - before;  // an escape: plain ASCII, a column a byte
        i += length;
    }
    return width;
}

}  // namespace

std::string EscapeForDisplay(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendEscaped<false>(out, text);
    return out;
}

std::size_t AppendEscapedForDisplay(std::string& out, std::string_view text) {
    return AppendEscaped<false>(out, text);
}

std::string Quoted(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    AppendEscaped<true>(out, value);
    out += '"';
    return out;
}

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (IsPlainAscii(text[i])) {  // one column each, the common case
            ++width, ++i;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text.substr(i), codePoint);
        if (length == 0) {  // not expected after escaping; one column keeps the count sane
            ++width, ++i;
            continue;
        }
        width += CharWidth(codePoint);
        i += length;
    }
    return width;
}

}  // namespace reuseblocks::tool
