// SPDX-License-Identifier: MIT
// Every allocation of a LoadFile (on one thread and on several), a WriteFile, a NewLayerMap and a
// NewBlock is made to fail in turn. The bad_alloc must reach the caller, and afterwards nothing may
// leak, no descriptor may stay open, and the collection must hold exactly what it held before or
// what was accepted before the failure.

#include <gtest/gtest.h>
#include <unistd.h>

#include <new>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "fault_support.h"
#include "reuseblocks/diagnostics.h"

namespace {

using harness::CollectionImage;
using harness::ImageOf;

constexpr const char* kNotInjectable =
    "operator new is not this binary's own; under valgrind pass "
    "--soname-synonyms=somalloc=nouserintercepts";

// Long enough that no value fits in a string's own small buffer.
std::string Value(const std::string& stem) {
    return stem + std::string(40, '_') + stem;
}

void AddHeldBlocks(CReuseBlockFile& blocks) {
    for (const char* name : {"/HELD/A", "/HELD/B"}) {
        CReuseBlock* block = blocks.NewBlock(name);
        block->Init();
        block->SetProperty(1, Value(name).c_str());
        block->GetLayerMap(block->NewLayerMap(), 3) = Value("held-row").c_str();
    }
}

// A header, then blocks with zero to three rows, one of them with a value longer than the
// reader's buffer so that the buffer has to grow.
std::vector<std::string> RecordLines() {
    std::vector<std::string> lines;
    for (int b = 0; b < 5; ++b) {
        const std::string id = "/TOP/B" + std::to_string(b);
        std::string definition = id;
        for (int p = 1; p < 12; ++p) {
            definition += " " + (b == 3 && p == 1 ? std::string(300000, 'p')
                                                  : Value(std::to_string(b * 100 + p)));
        }
        lines.push_back(definition);
        for (int r = 0; r < b % 4; ++r) {
            lines.push_back("map_block_host " + id + " " + std::to_string(r) + " " +
                            Value("L" + std::to_string(r)) + " " + std::to_string(r) + " TOP");
        }
    }
    return lines;
}

std::string FileText(const std::vector<std::string>& lines, std::size_t count) {
    std::string text = "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Application: fault\n\n";
    for (std::size_t i = 0; i < count; ++i) text += lines[i] + "\n";
    return text;
}

TEST(AllocationFailure, LoadFileKeepsWhatWasAcceptedBeforeTheFailure) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    fault::ScratchDir dir;
    const std::vector<std::string> lines = RecordLines();
    // What the collection may hold after a failure: the held blocks plus any prefix of the file.
    std::vector<CollectionImage> acceptable;
    for (std::size_t count = 0; count <= lines.size(); ++count) {
        fault::WriteBytes(dir.File("prefix"), FileText(lines, count));
        CReuseBlockFile blocks;
        AddHeldBlocks(blocks);
        ASSERT_EQ(blocks.LoadFile(dir.File("prefix").c_str()), 0);
        acceptable.push_back(ImageOf(blocks));
    }
    const std::string path = dir.File("full.blocks");
    fault::WriteBytes(path, FileText(lines, lines.size()));

    // On the calling thread, and in pieces on three threads, where a failure on
    // a worker must reach the caller with what came before it kept and nothing after.
    std::size_t injected = 0;
    for (const unsigned threads : {1u, 3u}) {
        reuseblocks::LoadOptions options;
        options.threads = threads;
        for (const bool persistent : {false, true}) {
            for (std::size_t nth = 1;; ++nth) {
                const std::size_t live = fault::LiveAllocations();
                const int descriptors = fault::OpenDescriptors();
                bool threw = false;
                bool fired = false;
                int result = 1;
                std::size_t matched = acceptable.size();
                {
                    CReuseBlockFile blocks;
                    AddHeldBlocks(blocks);
                    try {
                        fault::ScopedAllocationFailure failure(nth, persistent);
                        result =
                            reuseblocks::LoadFileWithReport(blocks, path.c_str(), options).result;
                    } catch (const std::bad_alloc&) {
                        threw = true;
                    }
                    fired = fault::DisarmAllocationFailure() || threw;
                    const CollectionImage image = ImageOf(blocks);
                    for (std::size_t i = 0; i < acceptable.size(); ++i) {
                        if (image == acceptable[i]) matched = i;
                    }
                }
                // Measured before the trace, which allocates.
                const std::size_t liveAfter = fault::LiveAllocations();
                const int descriptorsAfter = fault::OpenDescriptors();
                SCOPED_TRACE("allocation " + std::to_string(nth) +
                             (persistent ? " and every later one" : "") + ", " +
                             std::to_string(threads) + " threads");
                EXPECT_EQ(liveAfter, live);
                EXPECT_EQ(descriptorsAfter, descriptors);
                ASSERT_LT(matched, acceptable.size())
                    << "not the content of any prefix of the file";
                if (!threw) {
                    // No allocation left to fail: the load ran to its end.
                    EXPECT_FALSE(fired) << "a failed allocation was swallowed";
                    EXPECT_EQ(result, 0);
                    EXPECT_EQ(matched, lines.size());
                    break;
                }
                ++injected;
            }
        }
    }
    EXPECT_GT(injected, 4 * lines.size());
    RecordProperty("faults_injected", static_cast<int>(injected));
}

TEST(AllocationFailure, WriteFileLeavesTheTargetAndTheCollectionAsTheyWere) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    fault::ScratchDir dir;
    const std::string target = dir.File("board.blocks");
    const std::string previous = "previous content, must survive every failed write\n";
    CReuseBlockFile blocks;
    AddHeldBlocks(blocks);
    CReuseBlock* big = blocks.NewBlock("/BIG");
    big->SetProperty(1, std::string(3u << 20, 'x').c_str());  // larger than the write buffer
    const CollectionImage before = ImageOf(blocks);
    ASSERT_EQ(blocks.WriteFile(dir.File("expected").c_str(), "fault"), 1);
    const std::string expected = fault::WithoutDateLine(fault::ReadBytes(dir.File("expected")));
    ASSERT_EQ(::unlink(dir.File("expected").c_str()), 0);

    // A file two names share is written in place: it too must be whole until the text is.
    std::size_t injected = 0;
    for (const bool shared : {false, true}) {
        std::vector<std::string> entries{"board.blocks"};
        if (shared) {
            fault::WriteBytes(target, previous);
            ASSERT_EQ(::link(target.c_str(), dir.File("second").c_str()), 0);
            entries.push_back("second");
        }
        for (std::size_t nth = 1;; ++nth) {
            fault::WriteBytes(target, previous);
            const std::size_t live = fault::LiveAllocations();
            const int descriptors = fault::OpenDescriptors();
            bool threw = false;
            int result = 0;
            try {
                fault::ScopedAllocationFailure failure(nth);
                result = blocks.WriteFile(target.c_str(), "fault");
            } catch (const std::bad_alloc&) {
                threw = true;
            }
            const bool fired = fault::DisarmAllocationFailure() || threw;
            const std::size_t liveAfter = fault::LiveAllocations();
            const int descriptorsAfter = fault::OpenDescriptors();
            SCOPED_TRACE("allocation " + std::to_string(nth));
            EXPECT_EQ(liveAfter, live);
            EXPECT_EQ(descriptorsAfter, descriptors);
            EXPECT_EQ(dir.Entries(), entries);
            EXPECT_EQ(ImageOf(blocks), before);
            if (!threw) {
                EXPECT_FALSE(fired) << "a failed allocation was swallowed";
                EXPECT_EQ(result, 1);
                EXPECT_TRUE(fault::WithoutDateLine(fault::ReadBytes(target)) == expected);
                break;
            }
            ASSERT_TRUE(fault::ReadBytes(target) == previous) << "the target was replaced";
            ++injected;
        }
    }
    EXPECT_GT(injected, 0u);
    RecordProperty("faults_injected", static_cast<int>(injected));
}

TEST(AllocationFailure, NewLayerMapAndNewBlockChangeNothingWhenTheyFail) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    CReuseBlockFile blocks;
    AddHeldBlocks(blocks);
    CReuseBlock* block = nullptr;
    ASSERT_EQ(blocks.GetBlock("/HELD/A", block), 1);
    CString& kept = block->GetLayerMap(0, 3);
    std::size_t injected = 0;

    for (std::size_t nth = 1;; ++nth) {
        const CollectionImage before = ImageOf(blocks);
        bool threw = false;
        std::uint32_t row = 0;
        try {
            fault::ScopedAllocationFailure failure(nth);
            row = block->NewLayerMap();
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        CollectionImage after = ImageOf(blocks);
        EXPECT_EQ(&block->GetLayerMap(0, 3), &kept) << "an earlier row moved";
        if (!threw) {
            ASSERT_EQ(row, before.front().rows.size());
            after.front().rows.pop_back();
            EXPECT_EQ(after, before);
            break;
        }
        EXPECT_EQ(after, before) << "allocation " << nth;
        ++injected;
    }

    for (std::size_t nth = 1;; ++nth) {
        const CollectionImage before = ImageOf(blocks);
        const std::size_t live = fault::LiveAllocations();
        CReuseBlock* added = nullptr;
        bool threw = false;
        try {
            fault::ScopedAllocationFailure failure(nth);
            added = blocks.NewBlock(Value("/NEW").c_str());
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        if (!threw) {
            ASSERT_NE(added, nullptr);
            EXPECT_EQ(ImageOf(blocks).size(), before.size() + 1);
            break;
        }
        const std::size_t liveAfter = fault::LiveAllocations();
        EXPECT_EQ(liveAfter, live) << "allocation " << nth;
        EXPECT_EQ(ImageOf(blocks), before) << "allocation " << nth;
        ++injected;
    }
    EXPECT_GE(injected, 2u);
    RecordProperty("faults_injected", static_cast<int>(injected));
}

TEST(AllocationFailure, GetBlocksIDsLeavesTheArrayAsItWas) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    CReuseBlockFile blocks;
    AddHeldBlocks(blocks);
    blocks.NewBlock(Value("/THIRD").c_str());
    std::size_t injected = 0;
    for (std::size_t nth = 1;; ++nth) {
        CStringArray ids;
        ids.Add(Value("kept").c_str());
        bool threw = false;
        try {
            fault::ScopedAllocationFailure failure(nth);
            EXPECT_EQ(blocks.GetBlocksIDs(ids), 1);
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        if (!threw) {
            EXPECT_EQ(ids.GetSize(), 3);
            break;
        }
        ASSERT_EQ(ids.GetSize(), 1) << "allocation " << nth;
        EXPECT_EQ(ids[0], Value("kept").c_str());
        ++injected;
    }
    EXPECT_GE(injected, 2u);
}

}  // namespace
