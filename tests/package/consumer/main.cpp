// Built against an installed copy of the library: writes a block, reads it back, and catches the
// library's exception type across the shared-library boundary.
#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

#include <cstdio>

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
    std::printf("consumer: %s %s %s\n", block->GetBlockID().GetString(),
                block->GetProperty(2).GetString(), block->GetLayerMap(0, 3).GetString());
    return 0;
}
