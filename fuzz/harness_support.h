// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FUZZ_HARNESS_SUPPORT_H
#define REUSEBLOCKS_FUZZ_HARNESS_SUPPORT_H

// Shared by the fuzz harnesses and the fault tests: a check that stops the process with a
// message (libFuzzer keeps the input that caused it), a scratch directory, and a comparable image
// of a collection taken while its invariants are checked.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "reuseblocks/reuseblocks.h"

namespace harness {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define HARNESS_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::harness::Fail(#condition, __FILE__, __LINE__))

struct BlockImage {
    std::string key;
    std::array<std::string, CReuseBlock::kPropertyCount> properties;
    std::vector<std::array<std::string, CReuseBlock::kLayerMapColumnCount>> rows;

    bool operator==(const BlockImage& other) const {
        return key == other.key && properties == other.properties && rows == other.rows;
    }
    bool operator<(const BlockImage& other) const { return key < other.key; }
};

// The blocks in walk order.
using CollectionImage = std::vector<BlockImage>;

template <typename Call>
bool ThrowsInvalidArg(Call call) {
    try {
        call();
    } catch (const CInvalidArgException&) {
        return true;
    }
    return false;
}

// One block's values; with `checkBounds`, also that its indexes end where its row count says
// (exceptions are slow under the sanitizers, so the harnesses ask for it sparingly).
inline BlockImage ImageOfBlock(std::string key, const CReuseBlock& block, bool checkBounds = true) {
    BlockImage entry;
    entry.key = std::move(key);
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        entry.properties[index] = std::string(block.GetProperty(index).GetView());
    }
    if (checkBounds) {
        HARNESS_CHECK(ThrowsInvalidArg([&] { block.GetProperty(CReuseBlock::kPropertyCount); }));
    }
    const std::uint32_t rows = block.GetLayerMapCount();
    for (std::uint32_t row = 0; row < rows; ++row) {
        auto& columns = entry.rows.emplace_back();
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            columns[column] = std::string(block.GetLayerMap(row, column).GetView());
        }
    }
    if (checkBounds) {
        HARNESS_CHECK(ThrowsInvalidArg([&] { block.GetLayerMap(rows, 0); }));
        HARNESS_CHECK(
            ThrowsInvalidArg([&] { block.GetLayerMap(0, CReuseBlock::kLayerMapColumnCount); }));
    }
    return entry;
}

// Checks that the walk, GetBlocksIDs and GetBlock agree (every block reachable both ways, keys
// unique, the same order) and that every block's row count matches the rows it can hand out.
inline CollectionImage ImageOf(CReuseBlockFile& blocks, bool checkBounds = true) {
    CollectionImage image;
    std::vector<CReuseBlock*> walked;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock* block = blocks.GetNext(position);
        HARNESS_CHECK(block != nullptr);
        walked.push_back(block);
    }
    HARNESS_CHECK(std::set<CReuseBlock*>(walked.begin(), walked.end()).size() == walked.size());

    CStringArray ids;
    ids.Add("untouched");
    const int listed = blocks.GetBlocksIDs(ids);
    if (walked.empty()) {
        HARNESS_CHECK(listed == 0 && ids.GetSize() == 1 && ids[0] == "untouched");
        return image;
    }
    HARNESS_CHECK(listed == 1);
    HARNESS_CHECK(ids.GetSize() == static_cast<std::ptrdiff_t>(walked.size()));

    std::set<std::string> keys;
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const CReuseBlock* block = walked[i];
        BlockImage entry = ImageOfBlock(std::string(ids[i].GetView()), *block, checkBounds);
        HARNESS_CHECK(keys.insert(entry.key).second);
        // A key with a NUL byte cannot be passed through the C-string lookup.
        if (entry.key.find('\0') == std::string::npos) {
            CReuseBlock* found = nullptr;
            HARNESS_CHECK(blocks.GetBlock(entry.key.c_str(), found) == 1 && found == block);
        }
        image.push_back(std::move(entry));
    }
    return image;
}

inline CollectionImage Sorted(CollectionImage image) {
    std::sort(image.begin(), image.end());
    return image;
}

// One directory per process, on tmpfs when there is one: the writer syncs every file it makes.
// Removed with everything in it when the process exits normally.
inline const std::string& ScratchDirectory() {
    struct Directory {
        Directory() {
            // fuzz/run.sh names a base it removes afterwards: libFuzzer may end the process
            // without running this destructor.
            std::vector<std::filesystem::path> bases;
            if (const char* base = std::getenv("REUSEBLOCKS_FUZZ_SCRATCH"))
                bases.emplace_back(base);
            bases.emplace_back("/dev/shm");
            std::error_code error;
            bases.push_back(std::filesystem::temp_directory_path(error));
            std::mt19937_64 random(
                std::random_device{}() ^
                static_cast<std::uint64_t>(
                    std::chrono::steady_clock::now().time_since_epoch().count()));
            for (const std::filesystem::path& base : bases) {
                for (int attempt = 0; attempt < 16 && path.empty(); ++attempt) {
                    const std::filesystem::path candidate =
                        base / ("reuseblocks-fuzz-" + std::to_string(random()));
                    if (std::filesystem::create_directory(candidate, error))
                        path = candidate.string();
                    if (error) break;
                }
                if (!path.empty()) return;
            }
            Fail("no scratch directory", __FILE__, __LINE__);
        }
        ~Directory() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::string path;
    };
    static const Directory directory;
    return directory.path;
}

inline void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    HARNESS_CHECK(file != nullptr);
    const bool written = std::fwrite(data, 1, size, file) == size;
    HARNESS_CHECK(std::fclose(file) == 0 && written);
}

}  // namespace harness

#endif  // REUSEBLOCKS_FUZZ_HARNESS_SUPPORT_H
