// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <string>

#include "reuseblocks/reuseblocks.h"
#include "test_support.h"
#include "written_file.h"

namespace {

TEST(WriteFileTest, HeaderBytesAndApplicationName) {
    TempDir dir;
    const std::string path = dir.File("empty.blocks");
    CReuseBlockFile blocks;
    const struct {
        const char* given;
        std::string written;
    } names[] = {{"Board Editor 7.2", "Board Editor 7.2"},
                 {nullptr, "Unknown"},
                 {"", "Unknown"},
                 {" ", " "},
                 {"%s%n%d", "%s%n%d"}};
    for (const auto& name : names) {
        ASSERT_EQ(blocks.WriteFile(path.c_str(), name.given), 1);
        EXPECT_EQ(WithoutDate(ReadWrittenFile(path)), Header(name.written)) << name.written;
    }
}

TEST(WriteFileTest, DefinitionAndMappingLines) {
    TempDir dir;
    const std::string path = dir.File("out.blocks");
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    CReuseBlock* b2 = blocks.NewBlock("/B2");
    b2->Init();
    b2->SetProperty(1, "$REUSE/lib/optics");
    b2->SetProperty(4, "%s");
    b2->SetProperty(5, "%n%d");
    for (std::uint32_t row = 0; row < 2; ++row) {
        b2->NewLayerMap();
        for (std::uint32_t c = 0; c < 4; ++c)
            b2->GetLayerMap(row, c) = std::to_string(row * 10 + c).c_str();
    }
    b2->GetLayerMap(1, 1) = "";  // an empty column leaves two blanks side by side
    CReuseBlock* b3 = blocks.NewBlock("/B3");
    b3->NewLayerMap();
    b3->SetProperty(0, "/Renamed");

    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_EQ(Body(path),
              "/B1            \n"
              "/B2 $REUSE/lib/optics Smashed Unplaced %s %n%d      Unprocessed \n"
              "map_block_host /B2 0 1 2 3 \n"
              "map_block_host /B2 10  12 13 \n"
              "/Renamed            \n"
              "map_block_host /Renamed     \n");

    // Blocks follow the walk order, and rewriting replaces the whole file.
    blocks.RemoveBlock("/B1");
    blocks.RemoveBlock("/B2");
    blocks.NewBlock("/B1");
    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_EQ(Body(path),
              "/Renamed            \n"
              "map_block_host /Renamed     \n"
              "/B1            \n");
}

TEST(WriteFileTest, FailuresReturnZero) {
    TempDir dir;
    CReuseBlockFile blocks;
    blocks.NewBlock("/B1");
    EXPECT_EQ(blocks.WriteFile(dir.File("missing/out.blocks").c_str(), "test"), 0);
    EXPECT_EQ(blocks.WriteFile(dir.Path().c_str(), "test"), 0);
    EXPECT_EQ(EntryCount(dir), 0u);
}

TEST(WriteFileTest, LineBreakAnywhereWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("kept.blocks");
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/B1");
    block->NewLayerMap();
    auto refused = [&](const char* application) {
        WriteText(path, "kept\n");
        return blocks.WriteFile(path.c_str(), application) == 0 && ReadFile(path) == "kept\n";
    };
    EXPECT_TRUE(refused("x\n/EVIL a b c d e f g h i j k"));
    EXPECT_TRUE(refused("x\r"));
    for (const char* value : {"a\nb", "\r", "tail\n"}) {
        block->SetProperty(11, value);
        EXPECT_TRUE(refused("test")) << "property";
        block->SetProperty(11, "");
        block->GetLayerMap(0, 3) = value;
        EXPECT_TRUE(refused("test")) << "column";
        block->GetLayerMap(0, 3) = "";
    }
    // Found far beyond the first buffer's worth.
    for (int i = 0; i < 30000; ++i) blocks.NewBlock(("/MANY" + std::to_string(i)).c_str())->Init();
    blocks.NewBlock("/LAST")->SetProperty(5, "1\n2");
    EXPECT_TRUE(refused("test"));
    blocks.RemoveBlock("/LAST");
    // In the first of many blocks, and at either end of a long value.
    const std::string longValue(100, 'v');
    for (const std::string& value : {"\r" + longValue, longValue + "\n", std::string("x\n")}) {
        block->SetProperty(11, value.c_str());
        EXPECT_TRUE(refused("test")) << "a value of " << value.size() << " bytes";
    }
    block->SetProperty(11, "");
    // Everything else the format cannot carry is still written.
    block->SetProperty(1, "a b\t\"'");
    EXPECT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"kept.blocks"});
}

TEST(WriteFileTest, RepeatedIDWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("kept.blocks");
    CReuseBlockFile blocks;
    for (const char* id : {"/B1", "/B2", "/B3"}) {
        CReuseBlock* block = blocks.NewBlock(id);
        for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index)
            block->SetProperty(index, "v");
    }
    CReuseBlock* renamed = nullptr;
    ASSERT_EQ(blocks.GetBlock("/B2", renamed), 1);
    renamed->SetProperty(0, "/B1");
    WriteText(path, "kept\n");
    EXPECT_EQ(blocks.WriteFile(path.c_str(), "test"), 0);
    EXPECT_EQ(ReadFile(path), "kept\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"kept.blocks"});

    // Swapped names collide with nothing: the file reads back whole.
    ASSERT_EQ(blocks.GetBlock("/B1", renamed), 1);
    renamed->SetProperty(0, "/B2");
    ASSERT_EQ(blocks.WriteFile(path.c_str(), "test"), 1);
    CReuseBlockFile loaded;
    EXPECT_EQ(loaded.LoadFile(path.c_str()), 0);
    CStringArray ids;
    loaded.GetBlocksIDs(ids);
    EXPECT_EQ(ids.GetSize(), 3);
}

}  // namespace
