// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_TEXT_WORDS_H
#define REUSEBLOCKS_TOOLS_TEXT_WORDS_H

#include <reuseblocks/ascii.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// Letter case and white space are reuseblocks/ascii.h's; new code calls it. These two stay for
// the callers that still use their names.
inline std::string_view Trimmed(std::string_view text) {
    return ascii::TrimSpace(text);
}
inline bool SameLetters(std::string_view a, std::string_view b) {
    return ascii::EqualsIgnoringCase(a, b);
}

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
