// SPDX-License-Identifier: MIT
// reuseblocks_gen [--ids=crafted|ordinary] OUT [BLOCKS [MIN_ROWS [MAX_ROWS [SEED]]]]: writes a
// generated blocks file; --ids gives it the 16-byte IDs of flood_ids.h instead of hierarchical
// ones.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "blocks_generator.h"

namespace {

bool ParseNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    reuseblocks::bench::GeneratorOptions options;
    const std::string program = argv[0];
    bool usable = true;
    if (argc > 1 && std::string(argv[1]).rfind("--ids=", 0) == 0) {
        const std::string kind = argv[1] + 6;
        usable = kind == "crafted" || kind == "ordinary";
        options.ids = kind == "crafted" ? reuseblocks::bench::IdKind::kFloodCrafted
                                        : reuseblocks::bench::IdKind::kFloodOrdinary;
        --argc;
        ++argv;
    }
    if (!usable || argc < 2 || argc > 6) {
        std::fprintf(
            stderr,
            "usage: %s [--ids=crafted|ordinary] OUT [BLOCKS [MIN_ROWS [MAX_ROWS [SEED]]]]\n",
            program.c_str());
        return 2;
    }
    unsigned long long values[4] = {options.blocks, options.minRows, options.maxRows, options.seed};
    for (int arg = 2; arg < argc; ++arg) {
        if (!ParseNumber(argv[arg], values[arg - 2])) {
            std::fprintf(stderr, "%s: not a number: %s\n", program.c_str(), argv[arg]);
            return 2;
        }
    }
    options.blocks = values[0];
    options.minRows = static_cast<std::uint32_t>(values[1]);
    options.maxRows = static_cast<std::uint32_t>(argc > 4 ? values[2] : values[1]);
    options.seed = values[3];
    if (!reuseblocks::bench::WriteBlocksFile(argv[1], options)) {
        std::fprintf(stderr, "%s: cannot write %s\n", program.c_str(), argv[1]);
        return 1;
    }
    return 0;
}
