// SPDX-License-Identifier: MIT
// Where Windows behaves its own way: line ends, file attributes, sharing, ANSI paths.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "reuseblocks/reuseblocks.h"
#include "test_support.h"

namespace {

void FillOneBlock(CReuseBlockFile& blocks, const char* symbol = "$REUSE/optics") {
    CReuseBlock* block = blocks.NewBlock("/B1");
    for (std::uint32_t p = 1; p < CReuseBlock::kPropertyCount; ++p) block->SetProperty(p, "v");
    block->SetProperty(1, symbol);
    const std::uint32_t row = block->NewLayerMap();
    for (std::uint32_t c = 0; c < CReuseBlock::kLayerMapColumnCount; ++c) {
        block->GetLayerMap(row, c) = "1";
    }
}

TEST(WindowsWriteFile, LinesEndInCarriageReturnLineFeedAndCtrlZIsOrdinary) {
    TempDir dir;
    const std::string path = dir.File("crlf.blocks");
    CReuseBlockFile blocks;
    FillOneBlock(blocks,
                 "$REUSE/a\x1a"
                 "b");
    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
              std::count(bytes.begin(), bytes.end(), '\r'));
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n/B1 $REUSE/a\x1a"
                         "b v v v v v v v v v v \r\n"
                         "map_block_host /B1 1 1 1 1 \r\n"),
              std::string::npos);

    // A Ctrl-Z does not end the file, as a text-mode read would have it.
    CReuseBlockFile loaded;
    WriteText(dir.File("ctrlz.blocks"),
              "/Z1 a\x1a b c d e f g h i j k\r\n\x1a/Z2 a b c d e f g h i j k\n");
    ASSERT_EQ(loaded.LoadFile(dir.File("ctrlz.blocks").c_str()), 0);
    ASSERT_EQ(loaded.LoadFile(path.c_str()), 0);
    CReuseBlock* block = nullptr;
    ASSERT_EQ(loaded.GetBlock("\x1a/Z2", block), 1);
    ASSERT_EQ(loaded.GetBlock("/B1", block), 1);
    EXPECT_EQ(block->GetProperty(1),
              "$REUSE/a\x1a"
              "b");
}

TEST(WindowsWriteFile, ReadOnlyRefusedOtherAttributesKept) {
    TempDir dir;
    const std::string path = dir.File("board.blocks");
    CReuseBlockFile blocks;
    FillOneBlock(blocks);
    WriteText(path, "old\n");
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(blocks.WriteFile(path.c_str(), "test"), 0);
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(ReadFile(path), "old\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});

    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_NE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_NE(ReadFile(path), "old\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});
}

// A file two names share is written in place: room for the new text first, then the text over
// the old, whose rest is cut off, shorter or longer alike; both names see it.
TEST(WindowsWriteFile, HardLinkedFileWrittenInPlaceWhole) {
    TempDir dir;
    const std::string path = dir.File("board.blocks");
    const std::string other = dir.File("other.blocks");
    CReuseBlockFile blocks;
    FillOneBlock(blocks);
    for (const std::string& old : {std::string("old\n"), std::string(200000, '#') + "\n"}) {
        WriteText(path, old);
        ::DeleteFileA(other.c_str());
        if (!::CreateHardLinkA(other.c_str(), path.c_str(), nullptr)) {
            GTEST_SKIP() << "no hard links here";
        }
        ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
        const std::string written = ReadFile(path);
        EXPECT_EQ(written.find("old"), std::string::npos);
        EXPECT_EQ(written.find("##"), std::string::npos);
        EXPECT_TRUE(ReadFile(other) == written);
        CReuseBlockFile loaded;
        EXPECT_EQ(loaded.LoadFile(other.c_str()), 0);
        EXPECT_EQ(loaded.GetCount(), 1);
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"board.blocks", "other.blocks"}));
}

TEST(WindowsWriteFile, TargetHeldWithoutDeleteSharingStaysIntact) {
    TempDir dir;
    const std::string path = dir.File("board.blocks");
    CReuseBlockFile blocks;
    FillOneBlock(blocks);
    WriteText(path, "old\n");
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(blocks.WriteFile(path.c_str(), "test"), 0);
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(path), "old\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"board.blocks"});

    // A reader sharing everything, as LoadFile opens, stands in no save's way.
    held = ::CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    ::CloseHandle(held);
    EXPECT_NE(ReadFile(path), "old\n");
}

TEST(WindowsPaths, AnsiNamesWithNonAsciiCharactersAndLongPaths) {
    TempDir dir;
    const std::wstring wideName = L"Bl\u00f6cke-\u00e9t\u00e9.blocks";
    char ansiName[64] = {};
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideName.c_str(), -1,
                                             ansiName, sizeof ansiName, nullptr, &lossy);
    if (length <= 0 || lossy) GTEST_SKIP() << "code page " << ::GetACP() << " lacks the name";
    CReuseBlockFile blocks;
    FillOneBlock(blocks);
    const std::string path = dir.File(ansiName);
    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir.Path()) / wideName));
    CReuseBlockFile loaded;
    EXPECT_EQ(loaded.LoadFile(path.c_str()), 0);
    EXPECT_EQ(Dump(loaded), Dump(blocks));

    // Longer than MAX_PATH, which the narrow API would refuse.
    std::string deep = dir.Path();
    while (deep.size() < 2 * MAX_PATH) {
        deep += "\\" + std::string(60, 'd');
        std::filesystem::create_directory(
            std::filesystem::path(L"\\\\?\\" + std::filesystem::absolute(deep).wstring()));
    }
    const std::string longPath = deep + "\\long.blocks";
    ASSERT_EQ(blocks.WriteFile(longPath.c_str(), "test"), 1);
    EXPECT_EQ(loaded.LoadFile(longPath.c_str()), -3);  // read: its block is held already
    EXPECT_EQ(blocks.WriteFile(longPath.c_str(), "again"), 1);
}

}  // namespace
