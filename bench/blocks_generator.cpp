// SPDX-License-Identifier: MIT
#include "blocks_generator.h"

#include "flood_ids.h"

#include <array>
#include <cinttypes>
#include <memory>
#include <string>
#include <string_view>

namespace reuseblocks::bench {

namespace {

// splitmix64: tiny, seedable and identical on every platform, unlike the distributions of
// <random>, whose output the standard leaves to each library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform enough in [0, bound) for test data.
    std::uint64_t Below(std::uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(Below(N))];
    }

  private:
    std::uint64_t m_state;
};

constexpr std::array<std::string_view, 6> kLibraries = {"$REUSE/power_libs", "$REUSE/ddr4_libs",
                                                        "$REUSE/other_libs", "$REUSE/rf_libs",
                                                        "$REUSE/serdes",     "/proj/panel/reuse"};
constexpr std::array<std::string_view, 8> kSymbols = {
    "optics", "vreg_3v3", "ddr4_x16", "fpga_io", "lna_2g4", "pcie_x4", "clkgen", "sensor_afe"};
constexpr std::array<std::string_view, 3> kTypes = {"Smashed", "Primitive", "Replica"};
constexpr std::array<std::string_view, 3> kStatuses = {"Unplaced", "Placed", "Planned"};
constexpr std::array<std::string_view, 2> kSides = {"TOP", "BOTTOM"};
constexpr std::array<std::string_view, 4> kRotations = {"0.000", "90.000", "180.000", "270.000"};
constexpr std::array<std::string_view, 2> kUnits = {"MILS", "MM"};
constexpr std::array<std::string_view, 2> kQor = {"Processed", "Unprocessed"};
constexpr std::array<std::string_view, 12> kLayers = {"TOP",    "GND_02", "SIG_03", "PWR_04",
                                                      "SIG_05", "GND_06", "SIG_07", "PWR_08",
                                                      "SIG_09", "GND_10", "SIG_11", "BOTTOM"};

class Writer {
  public:
    explicit Writer(std::FILE* out) : m_out(out) {}
    void Put(std::string_view text) {
        if (std::fwrite(text.data(), 1, text.size(), m_out) != text.size()) m_ok = false;
    }
    // A field and the blank that follows every field, as the library writes them.
    void Field(std::string_view text) {
        Put(text);
        Put(" ");
    }
    template <typename... Args>
    void Format(const char* format, Args... args) {
        char text[64];
        const int length = std::snprintf(text, sizeof text, format, args...);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) {
            m_ok = false;
            return;
        }
        Field(std::string_view(text, static_cast<std::size_t>(length)));
    }
    bool Ok() const { return m_ok && std::ferror(m_out) == 0; }

  private:
    std::FILE* m_out;
    bool m_ok = true;
};

}  // namespace

bool WriteBlocksFile(std::FILE* out, const GeneratorOptions& options) {
    Random random(options.seed);
    Writer writer(out);
    writer.Put("# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Application: reuseblocks_gen\n#\n");
    const std::uint32_t minRows = options.minRows;
    const std::uint32_t maxRows = options.maxRows < minRows ? minRows : options.maxRows;
    FloodIds floodIds(options.ids == IdKind::kFloodCrafted, options.seed);
    std::string id;
    for (std::uint64_t index = 0; index < options.blocks; ++index) {
        if (options.ids == IdKind::kHierarchical) {
            // A replicated sub-board: panel, instance and block numbers derived from the index
            // keep every ID unique whatever the seed.
            id = "/TOP/P" + std::to_string(index / 4096) + "/U" +
                 std::to_string((index / 8) % 512) + "/B" + std::to_string(index % 8);
        } else {
            id = floodIds.Next();
        }
        const std::string_view blockId(id);
        writer.Field(blockId);
        writer.Format("%s/%s", random.Pick(kLibraries).data(), random.Pick(kSymbols).data());
        writer.Field(random.Pick(kTypes));
        writer.Field(random.Pick(kStatuses));
        const std::uint64_t x = random.Below(2000000);
        const std::uint64_t y = random.Below(1500000);
        writer.Format("%" PRIu64 ".%03" PRIu64, x / 1000, x % 1000);
        writer.Format("%" PRIu64 ".%03" PRIu64, y / 1000, y % 1000);
        writer.Field(random.Pick(kSides));
        writer.Field(random.Pick(kRotations));
        writer.Field(random.Pick(kUnits));
        writer.Format("%" PRIu64, x * 254);
        writer.Format("%" PRIu64, y * 254);
        writer.Field(random.Pick(kQor));
        writer.Put("\n");
        const std::uint64_t rows = minRows + random.Below(std::uint64_t{maxRows} - minRows + 1);
        const std::uint64_t offset = random.Below(4);
        for (std::uint64_t row = 0; row < rows; ++row) {
            const std::uint64_t designRow = (row + offset) % kLayers.size();
            writer.Field("map_block_host");
            writer.Field(blockId);
            writer.Format("%" PRIu64, row + 1);
            writer.Field(kLayers[static_cast<std::size_t>(row % kLayers.size())]);
            writer.Format("%" PRIu64, designRow + 1);
            writer.Field(kLayers[static_cast<std::size_t>(designRow)]);
            writer.Put("\n");
        }
    }
    return writer.Ok();
}

bool WriteBlocksFile(const std::string& path, const GeneratorOptions& options) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"),
                                                        &std::fclose);
    if (!out) return false;
    std::setvbuf(out.get(), nullptr, _IOFBF, 1 << 20);
    const bool written = WriteBlocksFile(out.get(), options);
    return std::fclose(out.release()) == 0 && written;
}

}  // namespace reuseblocks::bench
