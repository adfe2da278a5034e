// SPDX-License-Identifier: MIT
// Built against an installed copy of the library: writes a block, reads it back, and catches the
// library's exception type across the shared-library boundary.
#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <cstdio>

// The package must hand a static library's switch to its consumers, and the version macros.
#if defined(EXPECT_STATIC) != defined(REUSEBLOCKS_STATIC)
#error "REUSEBLOCKS_STATIC does not match the kind of library installed"
#endif
#if REUSEBLOCKS_VERSION != REUSEBLOCKS_VERSION_MAJOR * 10000 + REUSEBLOCKS_VERSION_MINOR * 100 + \
                               REUSEBLOCKS_VERSION_PATCH
#error "REUSEBLOCKS_VERSION does not agree with its parts"
#endif

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: consumer FILE\n");
        return 2;
    }
    {
        CReuseBlockFile blocks;
        CReuseBlock* block = blocks.NewBlock("/TOP/U12/B3");
        block->Init();
        const char* values[] = {
            "$REUSE/other_libs/optics", "1200", "850", "TOP", "90", "mils", "304800", "215900"};
        std::uint32_t index = 1;
        for (const char* value : values) {
            if (index == 2) index = 4;  // type and status keep the Init defaults
            block->SetProperty(index++, value);
        }
        block->GetLayerMap(block->NewLayerMap(), 0) = "1";
        for (std::uint32_t column = 1; column < 4; ++column) block->GetLayerMap(0, column) = "TOP";
        if (blocks.WriteFile(argv[1], "consumer") != 1) return 1;
    }

    CReuseBlockFile loaded;
    const reuseblocks::LoadReport report = reuseblocks::LoadFileWithReport(loaded, argv[1]);
    CReuseBlock* block = nullptr;
    if (!report.Succeeded() || loaded.GetBlock("/TOP/U12/B3", block) != 1 ||
        block->GetBlockSymbolName() != "optics" || block->GetLayerMapCount() != 1) {
        std::fprintf(stderr, "read back wrong: %s\n", report.message.c_str());
        return 1;
    }
    try {
        block->GetProperty(12);
        return 1;
    } catch (const CInvalidArgException&) {
    }
    std::printf("consumer of reuseblocks %s: %s %s %s\n", REUSEBLOCKS_VERSION_STRING,
                block->GetBlockID().GetString(), block->GetProperty(2).GetString(),
                block->GetLayerMap(0, 3).GetString());
    return 0;
}
