// reuseblocks_gen OUT [BLOCKS [MIN_ROWS [MAX_ROWS [SEED]]]]: writes a generated blocks file.
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
    if (argc < 2 || argc > 6) {
        std::fprintf(stderr, "usage: %s OUT [BLOCKS [MIN_ROWS [MAX_ROWS [SEED]]]]\n", argv[0]);
        return 2;
    }
    reuseblocks::bench::GeneratorOptions options;
    unsigned long long values[4] = {options.blocks, options.minRows, options.maxRows, options.seed};
    for (int arg = 2; arg < argc; ++arg) {
        if (!ParseNumber(argv[arg], values[arg - 2])) {
            std::fprintf(stderr, "%s: not a number: %s\n", argv[0], argv[arg]);
            return 2;
        }
    }
    options.blocks = values[0];
    options.minRows = static_cast<std::uint32_t>(values[1]);
    options.maxRows = static_cast<std::uint32_t>(argc > 4 ? values[2] : values[1]);
    options.seed = values[3];
    if (!reuseblocks::bench::WriteBlocksFile(argv[1], options)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
