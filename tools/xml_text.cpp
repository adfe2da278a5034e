// SPDX-License-Identifier: MIT
#include "xml_text.h"

#include <cstdint>

namespace reuseblocks::tool {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// Length of the well-formed UTF-8 sequence at `at`, and its code point; 0 when there is none.
std::size_t DecodeUtf8(std::string_view bytes, std::size_t at, std::uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    std::uint32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1Fu, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0Fu, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) return 0;
    for (std::size_t index = 1; index < length; ++index) {
        const auto next = static_cast<unsigned char>(bytes[at + index]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    // Overlong forms and surrogates are not UTF-8, however they decode.
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string DisplayText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            if (byte < 0x20) {
                AppendUtf8(text, 0x2400u + byte);
            } else if (byte == 0x7F) {
                AppendUtf8(text, 0x2421);
            } else {
                text += static_cast<char>(byte);
            }
            ++at;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(bytes, at, codePoint);
        if (length == 0) {
            AppendUtf8(text, kReplacement);
            ++at;
            continue;
        }
        // C1 controls are legal XML yet invisible, U+FFFE and U+FFFF are not XML characters.
        if (codePoint <= 0x9F || codePoint == 0xFFFE || codePoint == 0xFFFF) {
            AppendUtf8(text, kReplacement);
        } else {
            text.append(bytes.substr(at, length));
        }
        at += length;
    }
    return text;
}

std::string XmlEscaped(std::string_view utf8) {
    std::string escaped;
    escaped.reserve(utf8.size());
    for (const char character : utf8) {
        switch (character) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += character;
        }
    }
    return escaped;
}

}  // namespace reuseblocks::tool
