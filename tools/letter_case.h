// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LETTER_CASE_H
#define REUSEBLOCKS_TOOLS_LETTER_CASE_H

#include <algorithm>
#include <cctype>
#include <string_view>

namespace reuseblocks::tool {

// True when `a` and `b` differ at most in the case of ASCII letters, as in "Placed" and "PLACED".
inline bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_LETTER_CASE_H
