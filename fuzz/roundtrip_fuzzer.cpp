// SPDX-License-Identifier: MIT
// Write -> load round trips of collections built by a random sequence of edits. The first byte
// chooses the values: with values the format can carry, the loaded collection must equal the
// written one exactly (and loading the file again into the original must stop at the first ID);
// with any values, loading must still give a documented code and a consistent collection, and a
// collection holding a line break or writing one ID twice must be refused before anything is
// written. Either way FindRoundTripProblems must be right both ways: it names a value exactly
// when the values do not come back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "harness_support.h"
#include "reuseblocks/diagnostics.h"

namespace {

class Input {
  public:
    static constexpr std::size_t kMaxTaken = 32;

    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_size == 0; }
    std::uint8_t Byte() {
        if (m_size == 0) return 0;
        --m_size;
        return *m_data++;
    }
    // Mostly short values; now and then one longer than any line buffer, to reach the writer's
    // and the reader's long-line paths.
    std::string Text() {
        std::size_t length = Byte() % 32u;
        if (length == 31) length = 700;
        std::string text;
        const std::size_t available = std::min({length, m_size, kMaxTaken});
        text.assign(reinterpret_cast<const char*>(m_data), available);
        m_data += available;
        m_size -= available;
        while (!text.empty() && text.size() < length) text += text.substr(0, length - text.size());
        return text;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

constexpr std::string_view kKeyword = "map_block_host";

enum class Place { kFirst, kMiddle, kLast };

// Shapes any text into a value that survives writing and reading unchanged.
std::string Carriable(std::string text, Place place, bool definition) {
    for (char& c : text) {
        if (std::string_view(" \t\r\n\v\f\"'", 9).find(c) != std::string_view::npos) c = '_';
    }
    if (definition) {
        for (std::size_t at = text.find(kKeyword); at != std::string::npos;
             at = text.find(kKeyword)) {
            text[at] = '_';
        }
    }
    if (text.empty()) text = "_";
    if (place == Place::kFirst && (text[0] == '#' || text[0] == '(')) text.insert(0, "_");
    if (place == Place::kLast && text.back() == ')') text += '_';
    return text;
}

std::string CName(std::string text) {
    return text.substr(0, text.find('\0'));
}

// The values of the blocks in walk order, without the keys, which a rename through property 0
// changes in written files only.
std::vector<harness::BlockImage> ValuesOf(harness::CollectionImage image) {
    for (harness::BlockImage& block : image) block.key.clear();
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const bool carriable = (in.Byte() & 1u) == 0;
    // Text that goes through a C string is cut at its first NUL before it is shaped.
    auto value = [&](Place place, bool definition, bool cString = false) {
        std::string text = cString ? CName(in.Text()) : in.Text();
        return carriable ? Carriable(std::move(text), place, definition) : text;
    };
    auto place = [](std::uint32_t index, std::uint32_t last) {
        return index == 0 ? Place::kFirst : index == last ? Place::kLast : Place::kMiddle;
    };

    CReuseBlockFile blocks;
    std::vector<std::string> names;
    auto pick = [&]() -> CReuseBlock* {
        CReuseBlock* block = nullptr;
        if (!names.empty()) blocks.GetBlock(names[in.Byte() % names.size()].c_str(), block);
        return block;
    };
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const unsigned op = in.Byte() % 8u;
        if (op <= 1) {
            const std::string name = value(Place::kFirst, true, true);
            CReuseBlock* block = blocks.NewBlock(name.c_str());
            if (!block) continue;
            names.push_back(name);
            for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
                block->GetProperty(index) = value(place(index, 11), true);
            }
        } else if (op <= 3) {
            if (CReuseBlock* block = pick()) {
                const std::uint32_t row = block->NewLayerMap();
                for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount;
                     ++column) {
                    block->GetLayerMap(row, column) = value(place(column + 1, 4), false);
                }
            }
        } else if (op == 4) {
            if (CReuseBlock* block = pick()) {
                const std::uint32_t index = 1 + in.Byte() % (CReuseBlock::kPropertyCount - 1);
                block->SetProperty(index, value(place(index, 11), true, true).c_str());
            }
        } else if (op == 5) {
            if (CReuseBlock* block = pick()) block->RemoveLayerMap(in.Byte() % 8u);
        } else if (op == 6) {
            if (!names.empty()) {
                const std::size_t at = in.Byte() % names.size();
                HARNESS_CHECK(blocks.RemoveBlock(names[at].c_str()) == 1);
                names.erase(names.begin() + static_cast<std::ptrdiff_t>(at));
            }
        } else if (!carriable) {
            if (CReuseBlock* block = pick()) block->GetProperty(0) = in.Text();  // renamed
        }
    }

    const harness::CollectionImage written = harness::ImageOf(blocks, false);
    const std::string path = harness::ScratchDirectory() + "/roundtrip.blocks";
    const std::vector<reuseblocks::RoundTripProblem> problems =
        reuseblocks::FindRoundTripProblems(blocks);
    if (std::any_of(problems.begin(), problems.end(), [](const auto& problem) {
            return (problem.reasons &
                    (reuseblocks::kRoundTripLineBreak | reuseblocks::kRoundTripRepeatedID)) != 0;
        })) {
        harness::WriteBytes(path, "kept", 4);
        HARNESS_CHECK(blocks.WriteFile(path.c_str(), "roundtrip fuzzer") == 0);
        CReuseBlockFile untouched;
        HARNESS_CHECK(untouched.LoadFile(path.c_str()) == -2);  // "kept" is still all there is
        return 0;
    }
    HARNESS_CHECK(blocks.WriteFile(path.c_str(), "roundtrip fuzzer") == 1);
    CReuseBlockFile loaded;
    const int result = loaded.LoadFile(path.c_str());
    const harness::CollectionImage image = harness::ImageOf(loaded);
    HARNESS_CHECK(problems.empty() == (result == 0 && ValuesOf(image) == ValuesOf(written)));
    if (carriable) {
        HARNESS_CHECK(result == 0);
        HARNESS_CHECK(harness::Sorted(image) == harness::Sorted(written));
        HARNESS_CHECK(blocks.LoadFile(path.c_str()) == (written.empty() ? 0 : -3));
        HARNESS_CHECK(harness::ImageOf(blocks, false) == written);
    } else {
        HARNESS_CHECK(result == 0 || (result <= -2 && result >= -5));
    }
    return 0;
}
