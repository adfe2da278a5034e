// SPDX-License-Identifier: MIT
// Edits written back into a file's own text. The input bytes make a file (comments, blank lines,
// CR LF and LF, parentheses, uneven spacing, definition and mapping lines) and a list of edits
// (a property set, a block added or removed, a row added or removed). UpdateText must succeed;
// its text must load into exactly the edited collection; and the lines of blocks left alone,
// comments and blank lines included, must come out byte for byte in their order.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "harness_support.h"
#include "reuseblocks/edit.h"

namespace {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_size == 0; }
    unsigned Byte() {
        if (m_size == 0) return 0;
        --m_size;
        return *m_data++;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

constexpr std::string_view kKeyword = "map_block_host";

// Values that survive a write and a read unchanged, so that any difference is the engine's.
std::string Value(Input& in) {
    static constexpr const char* kValues[] = {"0",   "15",   "-3",     "TOP",      "BOTTOM", "mils",
                                              "mm",  "$R/a", "Placed", "Unplaced", "a_b.c",  "90",
                                              "GND", "x",    "2540",   "Primitive"};
    return kValues[in.Byte() % (sizeof kValues / sizeof kValues[0])];
}

std::string Gap(Input& in) {
    static constexpr const char* kGaps[] = {" ", " ", "  ", "\t", " \t "};
    return kGaps[in.Byte() % 5u];
}

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
    Input in(data, size);

    // The file.
    std::string original;
    std::vector<std::string> ids;
    const unsigned lineCount = in.Byte() % 48u;
    for (unsigned index = 0; index < lineCount && !in.Empty(); ++index) {
        const unsigned kind = in.Byte() % 8u;
        const std::string end = (in.Byte() & 1u) ? "\r\n" : "\n";
        std::string line = (in.Byte() % 4u == 0) ? Gap(in) : std::string();
        if (kind == 0) {
            line += "# note" + Gap(in) + Value(in);
        } else if (kind == 1) {
            // blank
        } else if (kind <= 4 || ids.empty()) {
            const std::string id = "/B" + std::to_string(ids.size());
            ids.push_back(id);
            const bool parenthesized = (in.Byte() & 1u) != 0;
            line += (parenthesized ? "(" : "") + id;
            for (std::uint32_t value = 1; value < CReuseBlock::kPropertyCount; ++value) {
                line += Gap(in) + Value(in);
            }
            if (parenthesized) line += ")";
        } else {
            line += std::string(kKeyword) + Gap(in) + ids.back();
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                line += Gap(in) + Value(in);
            }
        }
        original += line + end;
    }

    const std::string path = harness::ScratchDirectory() + "/update.blocks";
    harness::WriteBytes(path, original.data(), original.size());
    CReuseBlockFile blocks;
    HARNESS_CHECK(blocks.LoadFile(path.c_str()) == 0);

    // The edits, and the blocks they touch.
    std::set<std::string> edited;
    std::size_t added = 0;
    auto pick = [&]() -> CReuseBlock* {
        if (ids.empty()) return nullptr;
        const std::string& id = ids[in.Byte() % ids.size()];
        CReuseBlock* block = nullptr;
        blocks.GetBlock(id.c_str(), block);
        if (block) edited.insert(id);
        return block;
    };
    for (int step = 0; step < 16 && !in.Empty(); ++step) {
        const unsigned op = in.Byte() % 5u;
        if (op == 0) {
            if (CReuseBlock* block = pick()) {
                const std::uint32_t index = 1 + in.Byte() % (CReuseBlock::kPropertyCount - 1);
                block->SetProperty(index, Value(in).c_str());
            }
        } else if (op == 1) {
            const std::string id = "/NEW" + std::to_string(added++);
            CReuseBlock* block = blocks.NewBlock(id.c_str());
            HARNESS_CHECK(block != nullptr);
            for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
                block->SetProperty(index, Value(in).c_str());
            }
            ids.push_back(id);
            edited.insert(id);
        } else if (op == 2) {
            if (!ids.empty()) {
                const std::size_t at = in.Byte() % ids.size();
                if (blocks.RemoveBlock(ids[at].c_str()) == 1) edited.insert(ids[at]);
                ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(at));
            }
        } else if (op == 3) {
            if (CReuseBlock* block = pick()) {
                const std::uint32_t row = block->NewLayerMap();
                for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount;
                     ++column) {
                    block->GetLayerMap(row, column) = Value(in);
                }
            }
        } else {
            CReuseBlock* block = pick();
            if (block && block->GetLayerMapCount() > 0) {
                block->RemoveLayerMap(in.Byte() % block->GetLayerMapCount());
            }
        }
    }

    std::string updated;
    const reuseblocks::UpdateReport report =
        reuseblocks::UpdateText(original, blocks, reuseblocks::UpdateOptions{}, updated);
    HARNESS_CHECK(report.Succeeded());
    if (report.result == reuseblocks::UpdateResult::kUnchanged) updated = original;

    harness::WriteBytes(path, updated.data(), updated.size());
    CReuseBlockFile loaded;
    HARNESS_CHECK(loaded.LoadFile(path.c_str()) == 0);
    HARNESS_CHECK(harness::Sorted(harness::ImageOf(loaded, false)) ==
                  harness::Sorted(harness::ImageOf(blocks, false)));
    HARNESS_CHECK(Untouched(LinesOf(original), edited) == Untouched(LinesOf(updated), edited));
    return 0;
}
