// SPDX-License-Identifier: MIT
// A host whose operator new and delete are its own, as one built with another C runtime has:
// on Windows each module keeps its own, so what the library allocated must never reach this
// operator delete, nor what it frees come from this operator new. Every block this program
// allocates carries a mark that its operator delete checks.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "reuseblocks/reuseblocks.h"
#include "test_support.h"

namespace {
constexpr std::size_t kMarkSize = 16;
constexpr unsigned long long kMark = 0x486f737448656170ULL;  // "HostHeap"
}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kMarkSize));
    if (!block) throw std::bad_alloc();
    *reinterpret_cast<unsigned long long*>(block) = kMark;
    return block + kMarkSize;
}
namespace {
void FreeMarked(void* memory) noexcept {
    if (!memory) return;
    auto* block = static_cast<unsigned char*>(memory) - kMarkSize;
    if (*reinterpret_cast<unsigned long long*>(block) != kMark) {
        std::fputs("freed memory this program did not allocate\n", stderr);
        std::abort();
    }
    std::free(block);
}
}  // namespace

void operator delete(void* memory) noexcept {
    FreeMarked(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    FreeMarked(memory);
}

namespace {

TEST(ForeignHeap, StringsCrossTheLibraryBoundaryBothWays) {
    TempDir dir;
    const std::string path = dir.File("long.blocks");
    const std::string longValue(100, 'v');
    WriteText(path, "/B1 " + longValue + " b c d e f g h i j k\nmap_block_host /B1 1 T 2 " +
                        longValue + "\n");
    {
        CReuseBlockFile blocks;
        ASSERT_EQ(blocks.LoadFile(path.c_str()), 0);
        CReuseBlock* block = nullptr;
        ASSERT_EQ(blocks.GetBlock("/B1", block), 1);
        // Made by the library, copied, changed and dropped here.
        CString copy = block->GetProperty(1);
        EXPECT_EQ(copy.Mid(1).GetView(), longValue.substr(1));
        CString taken = std::move(block->GetLayerMap(0, 3));
        EXPECT_EQ(taken.GetView(), longValue);
        // Made here, dropped by the library.
        block->GetProperty(2) = CString(longValue + "x");
        block->SetProperty(3, (longValue + "y").c_str());
        EXPECT_EQ(blocks.RemoveBlock("/B1"), 1);

        // Thrown in the library, caught here by its type.
        block = blocks.NewBlock("/X");
        EXPECT_THROW(block->GetProperty(CReuseBlock::kPropertyCount), CInvalidArgException);
    }
}

}  // namespace
