// SPDX-License-Identifier: MIT
// reuseblocks_loadwrite [--time] FILE [OUT]: loads FILE with LoadFile and, given OUT, writes it
// back with WriteFile. A stand-in for the command-line tool when timing the library alone; with
// --time it prints how long LoadFile took, in microseconds, without the process around it.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "reuseblocks/reuseblocks.h"

int main(int argc, char** argv) {
    const bool timed = argc > 1 && std::strcmp(argv[1], "--time") == 0;
    if (timed) {
        --argc;
        ++argv;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: reuseblocks_loadwrite [--time] FILE [OUT]\n");
        return 2;
    }
    CReuseBlockFile blocks;
    const auto start = std::chrono::steady_clock::now();
    const int result = blocks.LoadFile(argv[1]);
    const auto loaded = std::chrono::steady_clock::now();
    if (result != 0) {
        std::fprintf(stderr, "%s: LoadFile gave %d\n", argv[0], result);
        return 1;
    }
    if (timed) {
        std::printf(
            "%lld\n",
            static_cast<long long>(
                std::chrono::duration_cast<std::chrono::microseconds>(loaded - start).count()));
    }
    if (argc == 3 && !blocks.WriteFile(argv[2], "reuseblocks_loadwrite")) {
        std::fprintf(stderr, "%s: WriteFile failed\n", argv[0]);
        return 1;
    }
    return 0;
}
