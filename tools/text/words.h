// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TEXT_WORDS_H
#define REUSEBLOCKS_TOOLS_TEXT_WORDS_H

#include <initializer_list>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// `text` without the C locale's white space (blank, tab, line breaks, vertical tab, form feed)
// at either end.
std::string_view Trimmed(std::string_view text);

// True when `a` and `b` differ at most in the case of ASCII letters, as in "Placed" and "PLACED".
bool SameLetters(std::string_view a, std::string_view b);

// True when `text` ends in `suffix`, case of ASCII letters ignored: "BOARD.CSV" and ".csv".
bool EndsWithLetters(std::string_view text, std::string_view suffix);

// `text` with its ASCII letters in upper case.
std::string Upper(std::string text);

// A character and what stands for it in some notation, as "&" for "&amp;" in XML.
struct Replacement {
    char from;
    std::string_view to;
};

// Appends `text` to `out`, each character that has a replacement replaced.
void AppendReplacing(std::string& out, std::string_view text,
                     std::initializer_list<Replacement> replacements);

// "1 block", "12 blocks".
std::string Counted(std::size_t count, const char* singular, const char* plural);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_TEXT_WORDS_H
