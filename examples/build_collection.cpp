// SPDX-License-Identifier: MIT
// Builds a small collection of reuse blocks in memory, the way a host application does, then
// walks it and prints every block with its layer maps.
#include <cstdio>

#include <reuseblocks/reuseblocks.h>

namespace {

void AddLayerMap(CReuseBlock* block, const char* order, const char* name, const char* designOrder,
                 const char* designName) {
    const std::uint32_t row = block->NewLayerMap();
    block->GetLayerMap(row, 0) = order;
    block->GetLayerMap(row, 1) = name;
    block->GetLayerMap(row, 2) = designOrder;
    block->GetLayerMap(row, 3) = designName;
}

}  // namespace

int main() {
    CReuseBlockFile blocks;

    CReuseBlock* optics = blocks.NewBlock("/TOP/B2");
    optics->Init();
    optics->SetProperty(1, "$REUSE/other_libs/optics");
    optics->SetProperty(3, "Placed");
    optics->SetProperty(4, "1200");
    optics->SetProperty(5, "850");
    optics->SetProperty(6, "TOP");
    optics->SetProperty(7, "90");
    optics->SetProperty(8, "mils");
    AddLayerMap(optics, "1", "TOP", "1", "TOP");
    AddLayerMap(optics, "2", "GND", "3", "GND_1");

    CReuseBlock* power = blocks.NewBlock("/TOP/PSU1");
    power->Init();
    power->SetProperty(1, "$REUSE/power/buck_3v3");
    power->SetProperty(2, "Replica");

    if (blocks.NewBlock("/TOP/B2") == nullptr) std::printf("names are unique: /TOP/B2 refused\n");

    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock* block = blocks.GetNext(position);
        std::printf("%s  symbol=%s type=%s status=%s at (%s, %s)\n",
                    block->GetBlockID().GetString(), block->GetBlockSymbolName().GetString(),
                    block->GetProperty(2).GetString(), block->GetProperty(3).GetString(),
                    block->GetProperty(4).GetString(), block->GetProperty(5).GetString());
        for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
            std::printf("    layer %s %s -> %s %s\n", block->GetLayerMap(row, 0).GetString(),
                        block->GetLayerMap(row, 1).GetString(),
                        block->GetLayerMap(row, 2).GetString(),
                        block->GetLayerMap(row, 3).GetString());
        }
    }
    return 0;
}
