// SPDX-License-Identifier: MIT
// The tool's hash tables of values read from a file, fed values made to share one std::hash
// (flood_ids.h) and values of the same length and bytes drawn at random.
#include <benchmark/benchmark.h>

#include <reuseblocks/reuseblocks.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "flood_ids.h"
#include "plot/color_by.h"
#include "text/keyed_map.h"

namespace {

std::vector<std::string> Values(bool crafted, std::size_t count) {
    reuseblocks::bench::FloodIds ids(crafted, 1);
    std::vector<std::string> values;
    for (std::size_t index = 0; index < count; ++index) values.push_back(ids.Next());
    return values;
}

// Argument 0: ordinary (0) or crafted (1) values; 1: how many. The table `plot --color-by`
// and `diff`'s layer-map rows fill.
void BM_KeyedMap(benchmark::State& state) {
    const std::vector<std::string> values =
        Values(state.range(0) != 0, static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        reuseblocks::tool::KeyedMap<std::size_t> table;
        for (const std::string& value : values) table.emplace(value, table.size());
        benchmark::DoNotOptimize(table.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_KeyedMap)->ArgsProduct({{0, 1}, {1 << 14}})->Unit(benchmark::kMillisecond);

// The same with the standard library's hash, as those tables had it: what the keyed one saves.
void BM_StandardHashMap(benchmark::State& state) {
    const std::vector<std::string> values =
        Values(state.range(0) != 0, static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        std::unordered_map<std::string, std::size_t> table;
        for (const std::string& value : values) table.emplace(value, table.size());
        benchmark::DoNotOptimize(table.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_StandardHashMap)->ArgsProduct({{0, 1}, {1 << 14}})->Unit(benchmark::kMillisecond);

// `plot --color-by BLOCK_PATH` of blocks whose paths are such values.
void BM_ColorBy(benchmark::State& state) {
    const std::vector<std::string> values =
        Values(state.range(0) != 0, static_cast<std::size_t>(state.range(1)));
    auto blocks = std::make_unique<CReuseBlockFile>();
    reuseblocks::tool::DrawnBlocks drawn;
    for (std::size_t index = 0; index < values.size(); ++index) {
        CReuseBlock* block = blocks->NewBlock(("/B" + std::to_string(index)).c_str());
        block->Init();
        block->SetProperty(reuseblocks::kBlockPath, values[index].c_str());
        drawn.push_back({block, 0.0, 0.0});
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            reuseblocks::tool::ColorBy(drawn, reuseblocks::kBlockPath).otherValues);
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_ColorBy)->ArgsProduct({{0, 1}, {1 << 14}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
