// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_BENCH_BLOCKS_GENERATOR_H
#define REUSEBLOCKS_BENCH_BLOCKS_GENERATOR_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace reuseblocks::bench {

// Which block IDs a generated file holds: hierarchical names (/TOP/P3/U17/B5), or the 16-byte IDs
// of flood_ids.h, crafted to share one std::hash value or drawn at random alike.
enum class IdKind { kHierarchical, kFloodCrafted, kFloodOrdinary };

// What a generated blocks file looks like. The same options always give the same bytes, so
// numbers taken on different days or machines describe the same input.
struct GeneratorOptions {
    std::uint64_t blocks = 100000;
    // Each block gets between minRows and maxRows layer maps, drawn per block.
    std::uint32_t minRows = 8;
    std::uint32_t maxRows = 8;
    std::uint64_t seed = 1;
    IdKind ids = IdKind::kHierarchical;
};

// Writes a header and `options.blocks` blocks in the library's own layout. False when a write
// failed.
bool WriteBlocksFile(std::FILE* out, const GeneratorOptions& options);

// As above, into a new file at `path`.
bool WriteBlocksFile(const std::string& path, const GeneratorOptions& options);

}  // namespace reuseblocks::bench

#endif  // REUSEBLOCKS_BENCH_BLOCKS_GENERATOR_H
