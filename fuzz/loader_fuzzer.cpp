// SPDX-License-Identifier: MIT
// The loader on arbitrary bytes, through a real file, into a collection that already holds a
// block. Whatever the bytes, LoadFile and LoadFileWithReport, on one thread and on several, must
// agree, give a documented code, leave the held block alone and leave a consistent collection of
// non-empty single-line values; and when every loaded value is one the format can carry, writing
// it out and loading that file must give the same blocks back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "harness_support.h"
#include "reuseblocks/diagnostics.h"

namespace {

constexpr const char* kHeldID = "/HELD";

void AddHeldBlock(CReuseBlockFile& blocks) {
    // Every value set, so that the held block survives a write and a load as well.
    CReuseBlock* held = blocks.NewBlock(kHeldID);
    HARNESS_CHECK(held != nullptr);
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        held->SetProperty(index, "held");
    }
    const std::uint32_t row = held->NewLayerMap();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        held->GetLayerMap(row, column) = "TOP";
    }
}

bool IsCarriedUnchanged(std::string_view value) {
    // Quotes regroup fields, parentheses and a leading "#" are stripped or read as a comment,
    // and vertical tab and form feed are trimmed at the end of a line.
    return value.find_first_of("\"'()#\v\f") == std::string_view::npos;
}

bool AllCarriedUnchanged(const harness::CollectionImage& image) {
    for (const auto& block : image) {
        for (const auto& property : block.properties) {
            if (!IsCarriedUnchanged(property)) return false;
        }
        for (const auto& row : block.rows) {
            for (const auto& column : row) {
                if (!IsCarriedUnchanged(column)) return false;
            }
        }
    }
    return true;
}

void CheckLoadedValue(std::string_view value) {
    HARNESS_CHECK(!value.empty());
    HARNESS_CHECK(value.find('\n') == std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& directory = harness::ScratchDirectory();
    const std::string input = directory + "/input.blocks";
    harness::WriteBytes(input, data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                              (text.empty() || text.back() == '\n' ? 0 : 1);

    CReuseBlockFile reported;
    AddHeldBlock(reported);
    const harness::CollectionImage before = harness::ImageOf(reported, false);
    reuseblocks::LoadOptions oneThread;
    oneThread.threads = 1;
    const reuseblocks::LoadReport report =
        reuseblocks::LoadFileWithReport(reported, input.c_str(), oneThread);

    CReuseBlockFile plain;
    AddHeldBlock(plain);
    const int result = plain.LoadFile(input.c_str());

    // Cut into pieces of a few bytes each, parsed on several threads: the same outcome.
    CReuseBlockFile pieces;
    AddHeldBlock(pieces);
    reuseblocks::LoadOptions threads;
    threads.threads = 2 + static_cast<unsigned>(size % 3);
    const reuseblocks::LoadReport split =
        reuseblocks::LoadFileWithReport(pieces, input.c_str(), threads);
    HARNESS_CHECK(split.result == report.result && split.line == report.line);
    HARNESS_CHECK(split.message == report.message);

    HARNESS_CHECK(result == report.result);
    HARNESS_CHECK(result == 0 || (result <= -2 && result >= -5));  // a readable file is never -1
    HARNESS_CHECK((result == 0) == (report.line == 0));
    HARNESS_CHECK((result == 0) == report.message.empty());
    HARNESS_CHECK(report.line <= lines);

    const harness::CollectionImage image = harness::ImageOf(reported);
    HARNESS_CHECK(image == harness::ImageOf(plain, false));
    HARNESS_CHECK(image == harness::ImageOf(pieces, false));
    HARNESS_CHECK(!image.empty() && image.front() == before.front());
    std::size_t records = 0;
    for (std::size_t i = 1; i < image.size(); ++i) {
        const harness::BlockImage& block = image[i];
        HARNESS_CHECK(block.key == block.properties[0]);
        for (const auto& property : block.properties) CheckLoadedValue(property);
        for (const auto& row : block.rows) {
            for (const auto& column : row) CheckLoadedValue(column);
        }
        records += 1 + block.rows.size();
    }
    HARNESS_CHECK(records <= lines);

    if (AllCarriedUnchanged(image)) {
        const std::string output = directory + "/reloaded.blocks";
        HARNESS_CHECK(reported.WriteFile(output.c_str(), "loader fuzzer") == 1);
        CReuseBlockFile reloaded;
        HARNESS_CHECK(reloaded.LoadFile(output.c_str()) == 0);
        HARNESS_CHECK(harness::Sorted(harness::ImageOf(reloaded, false)) == harness::Sorted(image));
    }
    return 0;
}
