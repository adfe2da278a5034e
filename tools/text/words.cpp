// SPDX-License-Identifier: MIT
#include "words.h"

#include <reuseblocks/ascii.h>

#include <algorithm>
#include <cctype>

namespace reuseblocks::tool {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    return ascii::TrimSpace(text);
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool EndsWithLetters(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           SameLetters(text.substr(text.size() - suffix.size()), suffix);
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void AppendReplacing(std::string& out, std::string_view text,
                     std::initializer_list<Replacement> replacements) {
    for (const char c : text) {
        const auto found = std::find_if(replacements.begin(), replacements.end(),
                                        [c](const Replacement& r) { return r.from == c; });
        if (found == replacements.end()) {
            out += c;
        } else {
            out += found->to;
        }
    }
}

std::string Counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace reuseblocks::tool
