// SPDX-License-Identifier: MIT
#include "text_escape.h"

#include <cstdint>

namespace reuseblocks::tool {

namespace {

// Length of the valid UTF-8 sequence at the start of `text` and its code point; 0 when the first
// byte does not begin one (overlong forms and surrogates are not valid either).
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t first = byte(0);
    if (first < 0x80) {
        codePoint = first;
        return 1;
    }
    std::size_t length = 0;
    char32_t minimum = 0;
    if ((first & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = first & 0x1Fu;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = first & 0x0Fu;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = first & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
    return length;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
}

std::string Escape(std::string_view text, bool quoteAndBackslash) {
    std::string out;
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text.substr(i), codePoint);
        if (length == 0) {
            AppendHexByte(out, static_cast<unsigned char>(c));
            ++i;
            continue;
        }
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (quoteAndBackslash && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) {
            // C1 controls too: some terminals act on them.
            for (std::size_t k = 0; k < length; ++k) {
                AppendHexByte(out, static_cast<unsigned char>(text[i + k]));
            }
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    return out;
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

}  // namespace

std::string EscapeForDisplay(std::string_view text) {
    return Escape(text, false);
}

std::string Quoted(std::string_view value) {
    return "\"" + Escape(value, true) + "\"";
}

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text.substr(i), codePoint);
        if (length == 0) {  // not expected after escaping; one column keeps the count sane
            ++width, ++i;
            continue;
        }
        width += IsCombining(codePoint) ? 0u : IsWide(codePoint) ? 2u : 1u;
        i += length;
    }
    return width;
}

}  // namespace reuseblocks::tool
