// SPDX-License-Identifier: MIT
#include "words.h"

#include <reuseblocks/ascii.h>

#include <algorithm>

namespace reuseblocks::tool {

bool EndsWithLetters(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           ascii::EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string Upper(std::string text) {
    for (char& c : text) c = ascii::ToUpper(c);
    return text;
}

void AppendReplacing(std::string& out, std::string_view text,
                     std::initializer_list<Replacement> replacements) {
    // What needs no replacing goes out a run at a time.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto found = std::find_if(replacements.begin(), replacements.end(),
                                        [c](const Replacement& r) { return r.from == c; });
        if (found == replacements.end()) continue;
        out.append(text.substr(kept, i - kept));
        out += found->to;
        kept = i + 1;
    }
    out.append(text.substr(kept));
}

std::string Counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

}  // namespace reuseblocks::tool
