// SPDX-License-Identifier: MIT
#include "words.h"

#include <reuseblocks/ascii.h>

#include <algorithm>
#include <cstdint>

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
    // Which characters have a replacement, as bits, so that most are passed over with one test.
    std::uint64_t low = 0;   // 0 to 63
    std::uint64_t high = 0;  // 64 to 127
    bool beyondAscii = false;
    for (const Replacement& replacement : replacements) {
        const auto from = static_cast<unsigned char>(replacement.from);
        if (from < 64) {
            low |= std::uint64_t{1} << from;
        } else if (from < 128) {
            high |= std::uint64_t{1} << (from - 64);
        } else {
            beyondAscii = true;
        }
    }
    // What needs no replacing goes out a run at a time.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const bool marked = byte < 64    ? ((low >> byte) & 1u) != 0
                            : byte < 128 ? ((high >> (byte - 64)) & 1u) != 0
                                         : beyondAscii;
        if (!marked) continue;
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
