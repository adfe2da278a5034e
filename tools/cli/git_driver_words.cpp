// SPDX-License-Identifier: MIT
#include "git_driver_words.h"

#include <algorithm>
#include <string_view>

namespace reuseblocks::tool {

namespace {

// "." stands for a side that is not there.
bool Made(std::string_view word, std::string_view digits, std::size_t least) {
    return word == "." || (word.size() >= least && word.find_first_not_of(digits) == word.npos);
}

bool IsHash(std::string_view word) {
    return Made(word, "0123456789abcdef", 7);
}

bool IsMode(std::string_view word) {
    return Made(word, "01234567", 6);
}

// Whether the last `count` words are what git gives: hashes and modes where git puts them.
bool EndsWithGitArguments(const std::vector<char*>& words, std::size_t first, std::size_t count) {
    if (words.size() < first + count) return false;
    const std::size_t start = words.size() - count;
    return IsHash(words[start + 2]) && IsMode(words[start + 3]) && IsHash(words[start + 5]) &&
           IsMode(words[start + 6]);
}

}  // namespace

void MarkGitDriverArguments(std::vector<char*>& words) {
    static char separator[] = "--";
    const auto is = [](const char* text) {
        return [text](const char* w) { return std::string_view(w) == text; };
    };
    if (words.size() < 2 || !is("diff")(words[1])) return;
    const auto git = std::find_if(words.begin(), words.end(), is("--git"));
    if (git == words.end() || std::any_of(words.begin(), words.end(), is("--"))) return;
    const auto first = static_cast<std::size_t>(git - words.begin()) + 1;
    for (const std::size_t count : {9u, 7u}) {
        if (EndsWithGitArguments(words, first, count)) {
            words.insert(words.end() - static_cast<std::ptrdiff_t>(count), separator);
            return;
        }
    }
}

}  // namespace reuseblocks::tool
