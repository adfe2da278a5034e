// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FUZZ_GENERATED_BLOCKS_H
#define REUSEBLOCKS_FUZZ_GENERATED_BLOCKS_H

// Blocks files and edits made from a fuzzer's bytes, for the harnesses of the editing engine: a
// file of comments, blank lines, CR LF and LF, parentheses, uneven spacing, definition and
// mapping lines, and edits of a loaded collection (a property set, a block added or removed, a
// row added or removed). Values are ones that survive a write and a read unchanged, so that any
// difference is the engine's.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "harness_support.h"
#include "reuseblocks/reuseblocks.h"

namespace harness {

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

inline constexpr std::string_view kKeyword = "map_block_host";

inline std::string Value(Input& in) {
    static constexpr const char* kValues[] = {"0",   "15",   "-3",     "TOP",      "BOTTOM", "mils",
                                              "mm",  "$R/a", "Placed", "Unplaced", "a_b.c",  "90",
                                              "GND", "x",    "2540",   "Primitive"};
    return kValues[in.Byte() % (sizeof kValues / sizeof kValues[0])];
}

inline std::string Gap(Input& in) {
    static constexpr const char* kGaps[] = {" ", " ", "  ", "\t", " \t "};
    return kGaps[in.Byte() % 5u];
}

// A file of up to 48 lines; `ids` receives the IDs of its blocks in order.
inline std::string GeneratedFile(Input& in, std::vector<std::string>& ids) {
    std::string text;
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
        text += line + end;
    }
    return text;
}

// Up to 16 edits of `blocks`, whose blocks are `ids` (kept up to date); new blocks are named
// `prefix` and a number. Returns the IDs of the blocks changed, added or removed.
inline std::set<std::string> ApplyGeneratedEdits(Input& in, CReuseBlockFile& blocks,
                                                 std::vector<std::string>& ids,
                                                 const std::string& prefix) {
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
            const std::string id = prefix + std::to_string(added++);
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
    return edited;
}

// Loads `text` through a scratch file named `name`; the load must succeed.
inline void LoadText(CReuseBlockFile& blocks, const std::string& text, const std::string& name) {
    const std::string path = ScratchDirectory() + "/" + name;
    WriteBytes(path, text.data(), text.size());
    HARNESS_CHECK(blocks.LoadFile(path.c_str()) == 0);
}

}  // namespace harness

#endif  // REUSEBLOCKS_FUZZ_GENERATED_BLOCKS_H
