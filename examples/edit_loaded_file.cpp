// SPDX-License-Identifier: MIT
// Loads a blocks file, edits it the way a placement step would, and writes the result: unplaced
// blocks are placed on a row below the board, one block gains a layer map, a planned block is
// dropped and a new one added.
//
//   edit_loaded_file IN OUT
#include <cstdio>
#include <string>

#include <reuseblocks/diagnostics.h>
#include <reuseblocks/reuseblocks.h>

namespace {

// BLOCK_STATUS, XLOC, YLOC, INT_XLOC, INT_YLOC, UNITS
constexpr std::uint32_t kStatus = 3, kXLoc = 4, kYLoc = 5, kUnits = 8, kIntXLoc = 9, kIntYLoc = 10;
// Database units per mil in the designs this program edits.
constexpr long kUnitsPerMil = 254;

void Place(CReuseBlock& block, long xMils, long yMils) {
    block.SetProperty(kStatus, "Placed");
    block.SetProperty(kUnits, "mils");
    block.SetProperty(kXLoc, std::to_string(xMils).c_str());
    block.SetProperty(kYLoc, std::to_string(yMils).c_str());
    block.SetProperty(kIntXLoc, std::to_string(xMils * kUnitsPerMil).c_str());
    block.SetProperty(kIntYLoc, std::to_string(yMils * kUnitsPerMil).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN OUT\n", argv[0]);
        return 2;
    }
    CReuseBlockFile blocks;
    const reuseblocks::LoadReport report = reuseblocks::LoadFileWithReport(blocks, argv[1]);
    if (!report.Succeeded()) {
        std::fprintf(stderr, "%s:%lu: error: %s\n", argv[1], report.line, report.message.c_str());
        return 1;
    }

    long x = 200;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        CReuseBlock* block = blocks.GetNext(position);
        if (block->GetProperty(kStatus) != "Unplaced") continue;
        Place(*block, x, 3400);
        std::printf("placed %s at (%ld, 3400)\n", block->GetBlockID().GetString(), x);
        x += 600;
    }

    CReuseBlock* phy = nullptr;
    if (blocks.GetBlock("/TOP/ETH/PHY0", phy)) {
        const std::uint32_t row = phy->NewLayerMap();
        const char* columns[] = {"4", "BOTTOM", "8", "BOTTOM"};
        for (std::uint32_t column = 0; column < 4; ++column) {
            phy->GetLayerMap(row, column) = columns[column];
        }
        std::printf("mapped layer 4 of /TOP/ETH/PHY0\n");
    }

    if (blocks.RemoveBlock("/TOP/PSU2")) std::printf("removed /TOP/PSU2\n");

    if (CReuseBlock* regulator = blocks.NewBlock("/TOP/PSU4")) {
        regulator->Init();  // Smashed, Unplaced, Unprocessed
        regulator->SetProperty(1, "$REUSE/power/buck_5v0");
        regulator->SetProperty(6, "TOP");
        regulator->SetProperty(7, "0");
        Place(*regulator, 1100, 2900);
        std::printf("added /TOP/PSU4\n");
    }

    if (!blocks.WriteFile(argv[2], "edit_loaded_file")) {
        std::fprintf(stderr, "%s: error: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
