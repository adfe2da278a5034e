// SPDX-License-Identifier: MIT
// reuseblocks_loadwrite FILE [OUT]: loads FILE with LoadFile and, given OUT, writes it back with
// WriteFile. A stand-in for the command-line tool when timing the library alone.
#include <cstdio>

#include "reuseblocks/reuseblocks.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [OUT]\n", argv[0]);
        return 2;
    }
    CReuseBlockFile blocks;
    const int result = blocks.LoadFile(argv[1]);
    if (result != 0) {
        std::fprintf(stderr, "%s: LoadFile gave %d\n", argv[0], result);
        return 1;
    }
    if (argc == 3 && !blocks.WriteFile(argv[2], "reuseblocks_loadwrite")) {
        std::fprintf(stderr, "%s: WriteFile failed\n", argv[0]);
        return 1;
    }
    return 0;
}
