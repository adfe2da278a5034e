// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TERMINAL_TEXT_ESCAPE_H
#define REUSEBLOCKS_TOOLS_TERMINAL_TEXT_ESCAPE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// `text` safe to print on a terminal: control characters become \r, \n, \t or \xHH, bytes that
// are not UTF-8 become \xHH, and everything else, backslashes included, stays as it is. Text
// that is already escaped comes back unchanged.
std::string EscapeForDisplay(std::string_view text);
// The same, appended to `out`; returns its DisplayWidth.
std::size_t AppendEscapedForDisplay(std::string& out, std::string_view text);

// A value in double quotes, escaped as C writes a string: besides what EscapeForDisplay escapes,
// a quote prints as \" and a backslash as \\, so "0\r" stands for a 0 and a carriage return.
std::string Quoted(std::string_view value);

// Columns a terminal gives to valid UTF-8 `text`: East Asian wide characters take two,
// combining marks none.
std::size_t DisplayWidth(std::string_view text);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TERMINAL_TEXT_ESCAPE_H
