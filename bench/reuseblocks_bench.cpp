// SPDX-License-Identifier: MIT
// Throughput of loading, writing, tokenizing and the block index, on generated files.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "blocks_generator.h"
#include "flood_ids.h"
#include "format/line_syntax.h"
#include "platform/huge_page_allocator.h"
#include "reuseblocks/edit.h"
#include "reuseblocks/reuseblocks.h"

namespace {

using reuseblocks::bench::GeneratorOptions;
using reuseblocks::bench::IdKind;

// Generated files are made once per run and shared by every benchmark that needs the same one.
class Workspace {
  public:
    Workspace() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/reuseblocks-bench-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch directory");
        m_directory = pattern;
    }
    ~Workspace() {
        for (const auto& entry : m_files) ::unlink(entry.second.c_str());
        ::unlink(OutputPath().c_str());
        ::rmdir(m_directory.c_str());
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& File(std::uint64_t blocks, std::uint32_t minRows, std::uint32_t maxRows,
                            IdKind ids = IdKind::kHierarchical) {
        const auto key = std::make_tuple(blocks, minRows, maxRows, ids);
        auto found = m_files.find(key);
        if (found != m_files.end()) return found->second;
        const std::string path = m_directory + "/blocks-" + std::to_string(blocks) + "-" +
                                 std::to_string(minRows) + "-" + std::to_string(maxRows) + "-" +
                                 std::to_string(static_cast<int>(ids)) + ".txt";
        GeneratorOptions options;
        options.blocks = blocks;
        options.minRows = minRows;
        options.maxRows = maxRows;
        options.ids = ids;
        if (!reuseblocks::bench::WriteBlocksFile(path, options)) {
            throw std::runtime_error("cannot write " + path);
        }
        return m_files.emplace(key, path).first->second;
    }
    std::string OutputPath() const { return m_directory + "/written.txt"; }

  private:
    std::string m_directory;
    std::map<std::tuple<std::uint64_t, std::uint32_t, std::uint32_t, IdKind>, std::string> m_files;
};

Workspace& Scratch() {
    static Workspace workspace;
    return workspace;
}

std::int64_t FileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + path);
    return static_cast<std::int64_t>(info.st_size);
}

// Arguments: blocks, fewest and most layer maps per block.
void BM_LoadFile(benchmark::State& state) {
    const auto blocks = static_cast<std::uint64_t>(state.range(0));
    const std::string& path = Scratch().File(blocks, static_cast<std::uint32_t>(state.range(1)),
                                             static_cast<std::uint32_t>(state.range(2)));
    for (auto _ : state) {
        auto collection = std::make_unique<CReuseBlockFile>();
        if (collection->LoadFile(path.c_str()) != 0) state.SkipWithError("LoadFile failed");
        state.PauseTiming();
        collection.reset();  // freeing is not loading
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(blocks));
}

void BM_WriteFile(benchmark::State& state) {
    const auto blocks = static_cast<std::uint64_t>(state.range(0));
    const std::string& path = Scratch().File(blocks, static_cast<std::uint32_t>(state.range(1)),
                                             static_cast<std::uint32_t>(state.range(2)));
    CReuseBlockFile collection;
    if (collection.LoadFile(path.c_str()) != 0) {
        state.SkipWithError("LoadFile failed");
        return;
    }
    const std::string out = Scratch().OutputPath();
    for (auto _ : state) {
        if (!collection.WriteFile(out.c_str(), "bench")) state.SkipWithError("WriteFile failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSize(out));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(blocks));
}

void SizeSeries(benchmark::internal::Benchmark* benchmark) {
    for (std::int64_t blocks : {1000, 10000, 100000, 1000000}) benchmark->Args({blocks, 4, 8});
    benchmark->Args({100000, 8, 8});  // the reference file of the targets
    benchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_LoadFile)->Apply(SizeSeries)->UseRealTime();
BENCHMARK(BM_WriteFile)->Apply(SizeSeries)->UseRealTime();

// One property of one block edited in a file of range(0) blocks, 8 layer maps each, the whole
// way: load, SetProperty, then write. range(1): 0 WriteFile (a fresh file), 1
// UpdateFileWithReport (the file's own text, read again), 2 UpdateText alone on the text already
// in memory (the load, the edit and the read are outside the timing).
void BM_EditOneProperty(benchmark::State& state) {
    const auto blocks = static_cast<std::uint64_t>(state.range(0));
    const std::string& path = Scratch().File(blocks, 8, 8);
    const std::string out = Scratch().OutputPath();
    const auto how = state.range(1);
    const auto edit = [&](CReuseBlockFile& collection) {
        CStringArray ids;
        collection.GetBlocksIDs(ids);
        CReuseBlock* block = nullptr;
        collection.GetBlock(ids[ids.GetSize() / 2].GetString(), block);
        if (block) block->SetProperty(4, "12345");
        return block != nullptr;
    };
    std::string original;
    CReuseBlockFile edited;
    if (how == 2) {
        std::FILE* in = std::fopen(path.c_str(), "rb");
        if (!in) return state.SkipWithError("cannot read the file");
        char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
            original.append(buffer, got);
        }
        std::fclose(in);
        if (edited.LoadFile(path.c_str()) != 0 || !edit(edited)) {
            return state.SkipWithError("load or edit failed");
        }
    }
    std::string updated;
    for (auto _ : state) {
        if (how == 2) {
            if (!reuseblocks::UpdateText(original, edited, {}, updated).Succeeded()) {
                state.SkipWithError("UpdateText failed");
            }
            continue;
        }
        auto collection = std::make_unique<CReuseBlockFile>();
        if (collection->LoadFile(path.c_str()) != 0 || !edit(*collection)) {
            state.SkipWithError("load or edit failed");
        }
        if (how == 0 && !collection->WriteFile(out.c_str(), "bench")) {
            state.SkipWithError("WriteFile failed");
        }
        if (how == 1 &&
            !reuseblocks::UpdateFileWithReport(*collection, path.c_str(), out.c_str(), {})
                 .Succeeded()) {
            state.SkipWithError("UpdateFileWithReport failed");
        }
        state.PauseTiming();
        collection.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_EditOneProperty)
    ->ArgNames({"blocks", "how"})
    ->Args({10000, 2})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Hash flooding. Arguments: 1 for IDs crafted to share one std::hash value, 0 for IDs of the same
// length and bytes drawn at random; blocks, each with two layer maps. The two must cost the same
// per block. The label tells whether the crafted IDs do collide under this build's std::hash.
void BM_LoadFloodIds(benchmark::State& state) {
    const bool crafted = state.range(0) != 0;
    const auto blocks = static_cast<std::uint64_t>(state.range(1));
    const std::string& path =
        Scratch().File(blocks, 2, 2, crafted ? IdKind::kFloodCrafted : IdKind::kFloodOrdinary);
    for (auto _ : state) {
        auto collection = std::make_unique<CReuseBlockFile>();
        if (collection->LoadFile(path.c_str()) != 0) state.SkipWithError("LoadFile failed");
        state.PauseTiming();
        collection.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(blocks));
    reuseblocks::bench::FloodIds ids(true, 1);
    const std::string first = ids.Next();
    const std::string second = ids.Next();
    const bool collide =
        std::hash<std::string_view>{}(first) == std::hash<std::string_view>{}(second);
    state.SetLabel(crafted ? (collide ? "crafted, colliding here" : "crafted, not colliding here")
                           : "ordinary");
}
BENCHMARK(BM_LoadFloodIds)
    ->ArgsProduct({{0, 1}, {2000, 40000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Argument 0: a definition line, 1: a mapping line, both as the generator writes them.
void BM_SplitFields(benchmark::State& state) {
    const std::string_view line =
        state.range(0) == 0 ? "/TOP/P12/U301/B5 $REUSE/ddr4_libs/ddr4_x16 Replica Placed 1520.347 "
                              "1077.512 TOP 90.000 MILS 386168138 273688048 Processed"
                            : "map_block_host /TOP/P12/U301/B5 3 SIG_03 5 SIG_05";
    std::vector<std::string_view> fields;
    for (auto _ : state) {
        reuseblocks::format::SplitFields(line, fields);
        benchmark::DoNotOptimize(fields.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitFields)->Arg(0)->Arg(1);

// An array the size of a large file's line table, made and filled afresh each time: what its
// page faults cost with ordinary pages (0) and with the huge pages of the large text's arrays (1).
template <typename Array>
void FillFreshArrays(benchmark::State& state) {
    constexpr std::size_t kCount = std::size_t{8} << 20;  // 64 MiB of positions
    for (auto _ : state) {
        Array positions(kCount);
        benchmark::DoNotOptimize(positions.data());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(kCount * sizeof(std::size_t)));
}
void BM_FreshArray(benchmark::State& state) {
    if (state.range(0) == 0) {
        FillFreshArrays<std::vector<std::size_t>>(state);
    } else {
        FillFreshArrays<reuseblocks::detail::platform::HugePageVector<std::size_t>>(state);
    }
}
BENCHMARK(BM_FreshArray)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr std::size_t kKeys = 1000000;

std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    keys.reserve(kKeys);
    for (std::size_t index = 0; index < kKeys; ++index) {
        keys.push_back("/TOP/P" + std::to_string(index / 4096) + "/U" +
                       std::to_string((index / 8) % 512) + "/B" + std::to_string(index % 8));
    }
    return keys;
}

// A fixed shuffle, so that lookups do not walk the keys in the order they were inserted.
std::vector<std::size_t> Shuffled(std::size_t count) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::uint64_t state = 12345;
    for (std::size_t index = count; index > 1; --index) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        std::swap(order[index - 1], order[static_cast<std::size_t>((state >> 33) % index)]);
    }
    return order;
}

void BM_NewBlock(benchmark::State& state) {
    const std::vector<std::string> keys = Keys();
    for (auto _ : state) {
        auto collection = std::make_unique<CReuseBlockFile>();
        for (const std::string& key : keys)
            benchmark::DoNotOptimize(collection->NewBlock(key.c_str()));
        state.PauseTiming();
        collection.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kKeys));
}
BENCHMARK(BM_NewBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GetBlock(benchmark::State& state) {
    const std::vector<std::string> keys = Keys();
    const std::vector<std::size_t> order = Shuffled(kKeys);
    CReuseBlockFile collection;
    for (const std::string& key : keys) collection.NewBlock(key.c_str());
    for (auto _ : state) {
        for (std::size_t index : order) {
            CReuseBlock* block = nullptr;
            benchmark::DoNotOptimize(collection.GetBlock(keys[index].c_str(), block));
            benchmark::DoNotOptimize(block);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kKeys));
}
BENCHMARK(BM_GetBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RemoveBlock(benchmark::State& state) {
    const std::vector<std::string> keys = Keys();
    const std::vector<std::size_t> order = Shuffled(kKeys);
    for (auto _ : state) {
        state.PauseTiming();
        auto collection = std::make_unique<CReuseBlockFile>();
        for (const std::string& key : keys) collection->NewBlock(key.c_str());
        state.ResumeTiming();
        for (std::size_t index : order)
            benchmark::DoNotOptimize(collection->RemoveBlock(keys[index].c_str()));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kKeys));
}
BENCHMARK(BM_RemoveBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
