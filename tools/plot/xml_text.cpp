// SPDX-License-Identifier: MIT
#include "plot/xml_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "text/utf8.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Bytes that go into markup as they are: printable ASCII but the five XML escapes.
constexpr std::array<bool, 256> kPlainInMarkup = [] {
    std::array<bool, 256> plain{};
    for (std::size_t c = 0x20; c < 0x7F; ++c) plain[c] = true;
    for (const char c : {'&', '<', '>', '"', '\''}) plain[static_cast<unsigned char>(c)] = false;
    return plain;
}();

}  // namespace

std::string DisplayText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte >= 0x20 && byte < 0x7F) {  // printable ASCII, a run at a time
            std::size_t end = at + 1;
            while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] < 0x7F) ++end;
            text.append(bytes.substr(at, end - at));
            at = end;
            continue;
        }
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
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(bytes.substr(at), codePoint);
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
    AppendReplacing(
        escaped, utf8,
        {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}});
    return escaped;
}

void AppendXmlText(std::string& out, std::string_view bytes) {
    // Most values are printable ASCII that neither function changes: no copy of them is made.
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return kPlainInMarkup[static_cast<unsigned char>(c)];
    });
    if (plain) {
        out += bytes;
    } else {
        out += XmlEscaped(DisplayText(bytes));
    }
}

}  // namespace reuseblocks::tool
