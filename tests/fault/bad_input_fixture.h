// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_FAULT_BAD_INPUT_FIXTURE_H
#define REUSEBLOCKS_TESTS_FAULT_BAD_INPUT_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "fault_support.h"
#include "reuseblocks/diagnostics.h"

inline const std::string kDefinition =
    "/TOP/B1 $REUSE/optics Smashed Placed 1 2 TOP 90 mils 10 20 Done";
inline const std::string kMapping = "map_block_host /TOP/B1 1 TOP 1 TOP";

class BadInput : public testing::Test {
  protected:
    void SetUp() override {
        HoldTheSameBlocks(m_blocks);
        m_held = harness::ImageOf(m_blocks);
    }
    void TearDown() override { ExpectHeldIntact(); }

    int Load(const std::string& bytes) {
        fault::WriteBytes(m_input, bytes);
        const bool first = harness::ImageOf(m_blocks) == m_held;
        const int result = m_blocks.LoadFile(m_input.c_str());
        // The same input cut into pieces on several threads must end exactly as on one.
        if (first) {
            CReuseBlockFile split;
            HoldTheSameBlocks(split);
            reuseblocks::LoadOptions several;
            several.threads = 3;
            EXPECT_EQ(reuseblocks::LoadFileWithReport(split, m_input.c_str(), several).result,
                      result);
            EXPECT_EQ(harness::ImageOf(split), harness::ImageOf(m_blocks));
        }
        return result;
    }
    static void HoldTheSameBlocks(CReuseBlockFile& blocks) {
        for (const char* name : {"/HELD/A", "/HELD/B"}) {
            CReuseBlock* block = blocks.NewBlock(name);
            block->Init();
            block->GetLayerMap(block->NewLayerMap(), 1) = "TOP";
        }
    }
    void ExpectHeldIntact() {
        std::size_t found = 0;
        for (const harness::BlockImage& block : harness::ImageOf(m_blocks)) {
            for (const harness::BlockImage& held : m_held) {
                if (block.key != held.key) continue;
                EXPECT_EQ(block, held);
                ++found;
            }
        }
        EXPECT_EQ(found, m_held.size());
    }
    std::size_t Count() { return harness::ImageOf(m_blocks).size(); }
    // The image of the block held under `key`, which may hold NUL bytes.
    harness::BlockImage Block(const std::string& key) {
        CReuseBlock* block = nullptr;
        if (key.find('\0') == std::string::npos && m_blocks.GetBlock(key.c_str(), block)) {
            return harness::ImageOfBlock(key, *block);
        }
        for (harness::BlockImage& image : harness::ImageOf(m_blocks)) {
            if (image.key == key) return image;
        }
        ADD_FAILURE() << "no block " << key;
        return {};
    }

    fault::ScratchDir m_dir;
    const std::string m_input = m_dir.File("input.blocks");
    CReuseBlockFile m_blocks;
    harness::CollectionImage m_held;
};

#endif  // REUSEBLOCKS_TESTS_FAULT_BAD_INPUT_FIXTURE_H
