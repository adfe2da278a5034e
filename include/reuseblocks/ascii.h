// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_ASCII_H
#define REUSEBLOCKS_ASCII_H

// The byte classes the blocks file is defined in: letter case and white space, ASCII only, never
// the locale's. Header-only and constexpr, so that the library, the tool, the Python module and
// a host classify a byte the same way without linking anything.

#include <string_view>

namespace reuseblocks::ascii {

// White space as the C locale knows it: blank, tab, line feed, vertical tab, form feed and
// carriage return. A line of a blocks file is trimmed of it at both ends.
constexpr bool IsSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// What separates the fields of a line: blank, tab, carriage return and line feed. A vertical tab
// or a form feed inside a line is an ordinary character of its field.
constexpr bool IsFieldSeparator(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr char ToUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char ToLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `a` and `b` differ at most in the case of ASCII letters ("Placed", "PLACED").
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpper(a[i]) != ToUpper(b[i])) return false;
    }
    return true;
}

// `text` without white space (IsSpace) at either end.
constexpr std::string_view TrimSpace(std::string_view text) noexcept {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace reuseblocks::ascii

#endif  // REUSEBLOCKS_ASCII_H
