// SPDX-License-Identifier: MIT
// Edits written back into a file's own text (generated_blocks.h makes the file and the edits).
// UpdateText must succeed; its text must load into exactly the edited collection; and the lines
// of blocks left alone, comments and blank lines included, must come out byte for byte in their
// order.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "generated_blocks.h"
#include "harness_support.h"
#include "reuseblocks/edit.h"

namespace {

using harness::kKeyword;

struct Line {
    std::string text;   // with its line end
    std::string owner;  // the ID of the block it belongs to; empty for comments and blank lines
};

// The block a line of the engine's output belongs to, read as the loader reads it.
std::string OwnerOf(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    if (words.empty() || words[0][0] == '#') return std::string();
    std::string_view first = words[0];
    if (first[0] == '(') first.remove_prefix(1);
    if (first == kKeyword && words.size() > 1) return std::string(words[1]);
    return std::string(first);
}

std::vector<Line> LinesOf(const std::string& text) {
    std::vector<Line> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(at, end - at);
        lines.push_back({line, OwnerOf(line)});
        at = end;
    }
    return lines;
}

// The lines of blocks not in `edited`, in order.
std::vector<std::string> Untouched(const std::vector<Line>& lines,
                                   const std::set<std::string>& edited) {
    std::vector<std::string> kept;
    for (const Line& line : lines) {
        if (line.owner.empty() || edited.count(line.owner) == 0) kept.push_back(line.text);
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    harness::Input in(data, size);
    std::vector<std::string> ids;
    const std::string original = harness::GeneratedFile(in, ids);
    CReuseBlockFile blocks;
    harness::LoadText(blocks, original, "update.blocks");
    const std::set<std::string> edited = harness::ApplyGeneratedEdits(in, blocks, ids, "/NEW");

    std::string updated;
    const reuseblocks::UpdateReport report =
        reuseblocks::UpdateText(original, blocks, reuseblocks::UpdateOptions{}, updated);
    HARNESS_CHECK(report.Succeeded());
    if (report.result == reuseblocks::UpdateResult::kUnchanged) updated = original;

    CReuseBlockFile loaded;
    harness::LoadText(loaded, updated, "update.blocks");
    HARNESS_CHECK(harness::Sorted(harness::ImageOf(loaded, false)) ==
                  harness::Sorted(harness::ImageOf(blocks, false)));
    HARNESS_CHECK(Untouched(LinesOf(original), edited) == Untouched(LinesOf(updated), edited));
    return 0;
}
