// SPDX-License-Identifier: MIT
// The line tokenizer against a second, deliberately plain reading of its rules: first decide what
// every character is (separator, field of its own, or part of a field), then cut the line.
// Input: the low two bits of the first byte give how many of the following bytes are special
// characters; the rest is the line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "harness_support.h"
#include "io/line_tokenizer.h"

namespace {

enum class Role { kSeparator, kSpecial, kText };

std::vector<std::string> ModelFields(std::string_view line, std::string_view specials) {
    std::vector<Role> roles;
    bool quoted = false;
    for (const char c : line) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (space && !quoted) {
            roles.push_back(Role::kSeparator);
        } else if (!quoted && specials.find(c) != std::string_view::npos) {
            roles.push_back(Role::kSpecial);
        } else {
            if (c == '"' || c == '\'') quoted = !quoted;
            roles.push_back(Role::kText);
        }
    }
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        const bool ends = i == line.size() || roles[i] != Role::kText;
        if (!ends) {
            field += line[i];
            continue;
        }
        if (!field.empty()) fields.push_back(field);
        field.clear();
        if (i < line.size() && roles[i] == Role::kSpecial) fields.emplace_back(1, line[i]);
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t specialCount = std::min<std::size_t>(data[0] & 3u, size - 1);
    const std::string_view specials = input.substr(1, specialCount);
    const std::string_view line = input.substr(1 + specialCount);

    // Leftovers of an earlier line must not survive.
    std::vector<std::string_view> fields{"stale", ""};
    reuseblocks::detail::TokenizeLine(line, fields, specials);

    const std::vector<std::string> expected = ModelFields(line, specials);
    HARNESS_CHECK(fields.size() == expected.size());
    const char* previousEnd = line.data();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        HARNESS_CHECK(!fields[i].empty());
        HARNESS_CHECK(fields[i] == expected[i]);
        // Slices of the line itself, in order and without overlap.
        HARNESS_CHECK(fields[i].data() >= previousEnd);
        HARNESS_CHECK(fields[i].data() + fields[i].size() <= line.data() + line.size());
        previousEnd = fields[i].data() + fields[i].size();
    }

    // The loader's special set, the blank alone, must split exactly like no special at all.
    std::vector<std::string_view> withBlank;
    std::vector<std::string_view> withNone;
    reuseblocks::detail::TokenizeLine(line, withBlank, " ");
    reuseblocks::detail::TokenizeLine(line, withNone, "");
    HARNESS_CHECK(withBlank == withNone);
    return 0;
}
