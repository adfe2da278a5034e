// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TEXT_UTF8_H
#define REUSEBLOCKS_TOOLS_TEXT_UTF8_H

#include <cstddef>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// Length of the well-formed UTF-8 sequence at the start of `text` and its code point in
// `codePoint`; 0 when the first byte does not begin one. Overlong forms, surrogates and code
// points beyond U+10FFFF are not well-formed, however they decode.
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint);

// Appends `codePoint` (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TEXT_UTF8_H
