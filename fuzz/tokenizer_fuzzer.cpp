// SPDX-License-Identifier: MIT
// The syntax unit's field splitting against a second, deliberately plain reading of its rules:
// first decide what every character is (separator or part of a field), then cut the line.
// Input: a first byte whose top bit set asks for at most (its low four bits) fields, and whose
// low two bits say how many fields a count keeps; the rest is the line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "format/line_syntax.h"
#include "harness_support.h"

namespace {

std::vector<std::string> ModelFields(std::string_view line) {
    std::vector<bool> separators;
    bool quoted = false;
    for (const char c : line) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        separators.push_back(space && !quoted);
        if (c == '"' || c == '\'') quoted = !quoted;
    }
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && !separators[i]) {
            field += line[i];
            continue;
        }
        if (!field.empty()) fields.push_back(field);
        field.clear();
    }
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t most =
        (data[0] & 0x80u) != 0 ? data[0] & 15u : std::numeric_limits<std::size_t>::max();
    const std::string_view line = input.substr(1);

    // Leftovers of an earlier line must not survive.
    std::vector<std::string_view> fields{"stale", ""};
    reuseblocks::format::SplitFields(line, fields, most);

    std::vector<std::string> expected = ModelFields(line);
    // Counting finds every field and keeps the first `most` (some, in the byte's low bits).
    std::vector<std::string_view> kept{"stale"};
    const std::size_t keep = data[0] & 3u;
    HARNESS_CHECK(reuseblocks::format::CountFields(line, kept, keep) == expected.size());
    HARNESS_CHECK(kept.size() == std::min(keep, expected.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) HARNESS_CHECK(kept[i] == expected[i]);
    if (expected.size() > most) expected.resize(most);
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
    return 0;
}
