// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"
#include "test_support.h"

using reuseblocks::FindRoundTripProblems;
using reuseblocks::RoundTripProblem;

namespace {

CReuseBlock* CarriableBlock(CReuseBlockFile& blocks, const char* id) {
    CReuseBlock* block = blocks.NewBlock(id);
    for (std::uint32_t index = 1; index < CReuseBlock::kPropertyCount; ++index) {
        block->SetProperty(index, "v");
    }
    return block;
}

}  // namespace

TEST(RoundTripCheck, NamesEachValueThatWouldNotReadBack) {
    CReuseBlockFile blocks;
    CarriableBlock(blocks, "/TOP/OK");
    CReuseBlock* hash = CarriableBlock(blocks, "#HASH");
    hash->SetProperty(11, "done)");
    CReuseBlock* mapped = CarriableBlock(blocks, "/TOP/M");
    const std::uint32_t row = mapped->NewLayerMap();
    mapped->GetLayerMap(row, 0) = "1";
    mapped->GetLayerMap(row, 1) = "a b'";
    mapped->GetLayerMap(row, 2) = "x\r\ny";
    // column 3 stays empty

    const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].blockID, "#HASH");
    EXPECT_EQ(problems[0].property, 0);
    EXPECT_EQ(problems[0].message, "starts with \"#\"");
    EXPECT_EQ(problems[1].property, 11);
    EXPECT_EQ(problems[1].message, "ends in \")\"");
    EXPECT_EQ(problems[2].row, 0);
    EXPECT_EQ(problems[2].column, 1);
    EXPECT_EQ(problems[2].property, -1);
    EXPECT_EQ(problems[2].message, "holds white space and a quote");
    EXPECT_EQ(problems[3].reasons, reuseblocks::kRoundTripLineBreak);
    EXPECT_EQ(problems[3].message, "holds a line break");
    EXPECT_EQ(problems[4].column, 3);
    EXPECT_EQ(problems[4].message, "is empty");
}

// Property 0 renames a block in written files only; a second line with an ID already read is
// rejected, and nothing after it is read.
TEST(RoundTripCheck, NamesEachBlockWrittenUnderAnEarlierBlocksID) {
    CReuseBlockFile blocks;
    CarriableBlock(blocks, "/B1");
    CarriableBlock(blocks, "/B2")->SetProperty(0, "/B3");  // before the block it collides with
    CarriableBlock(blocks, "/B3");
    CarriableBlock(blocks, "/B4")->SetProperty(0, "/NEW");
    CarriableBlock(blocks, "/B5")->SetProperty(0, "/NEW");
    CarriableBlock(blocks, "/B6")->SetProperty(0, "#NEW");
    CarriableBlock(blocks, "/B7")->SetProperty(0, "#NEW");
    // A swap of names collides with nothing.
    CarriableBlock(blocks, "/S1")->SetProperty(0, "/S2");
    CarriableBlock(blocks, "/S2")->SetProperty(0, "/S1");

    const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].blockID, "/B3");
    EXPECT_EQ(problems[0].property, 0);
    EXPECT_EQ(problems[0].reasons, reuseblocks::kRoundTripRepeatedID);
    EXPECT_EQ(problems[0].message, "repeats an earlier block's ID");
    EXPECT_EQ(problems[1].blockID, "/NEW");
    EXPECT_EQ(problems[2].reasons, reuseblocks::kRoundTripLeadingHash);
    EXPECT_EQ(problems[3].reasons,
              reuseblocks::kRoundTripLeadingHash | reuseblocks::kRoundTripRepeatedID);
    EXPECT_EQ(problems[3].message, "starts with \"#\" and repeats an earlier block's ID");
}

// A large collection is checked in parts side by side: the problems still come in walk order,
// and a repeated ID is named where it repeats, in whichever part.
TEST(RoundTripCheck, ALargeCollectionNamesItsProblemsInWalkOrder) {
    CReuseBlockFile blocks;
    std::vector<std::string> expected;
    for (int i = 0; i < 10000; ++i) {
        const std::string id = "/B" + std::to_string(i);
        CReuseBlock* block = CarriableBlock(blocks, id.c_str());
        if (i % 997 == 3) {
            block->SetProperty(5, "a b");
            expected.push_back(id);
        }
        if (i == 9000) {
            block->SetProperty(0, "/B10");
            expected.push_back("/B10");
        }
        const std::uint32_t row = block->NewLayerMap();
        for (std::uint32_t c = 0; c < CReuseBlock::kLayerMapColumnCount; ++c) {
            block->GetLayerMap(row, c) = i % 1999 == 5 && c == 2 ? "x\ny" : "L";
        }
        if (i % 1999 == 5) expected.push_back(id);
    }
    std::vector<std::string> found;
    for (const RoundTripProblem& problem : FindRoundTripProblems(blocks)) {
        found.push_back(problem.blockID);
    }
    EXPECT_EQ(found, expected);
}

namespace {

// Where a value goes in the one block of a written collection, and what the check calls it.
struct Slot {
    const char* name;
    int property;  // or -1 for a column of the block's one row
    int column;
    reuseblocks::ValuePlace place;
};

constexpr Slot kSlots[] = {
    {"ID", 0, -1, reuseblocks::ValuePlace::kBlockID},
    {"BLOCK_PATH", 1, -1, reuseblocks::ValuePlace::kMiddle},
    {"QOR_STATUS", 11, -1, reuseblocks::ValuePlace::kLast},
    {"BLOCK_LAYER_NAME", -1, 1, reuseblocks::ValuePlace::kColumn},
    {"DESIGN_LAYER_NAME", -1, 3, reuseblocks::ValuePlace::kLastColumn},
};

// One block of plain values and one row, with `value` in `slot`.
void FillBlock(CReuseBlockFile& blocks, const Slot& slot, const std::string& value) {
    CReuseBlock* block = CarriableBlock(blocks, "/B");
    const std::uint32_t row = block->NewLayerMap();
    for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
        block->GetLayerMap(row, column) = "c";
    }
    if (slot.property >= 0) {
        block->GetProperty(static_cast<std::uint32_t>(slot.property)) = value;
    } else {
        block->GetLayerMap(row, static_cast<std::uint32_t>(slot.column)) = value;
    }
}

// Every value of the collection, in walk order.
std::vector<std::string> ValuesOf(const CReuseBlockFile& blocks) {
    std::vector<std::string> values;
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock& block = *blocks.GetNext(position);
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            values.emplace_back(block.GetPropertyRef(index).GetView());
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                values.emplace_back(block.GetLayerMap(row, column).GetView());
            }
        }
        values.emplace_back("|");
    }
    return values;
}

// Values of the bytes that matter to the format: every one of up to two of them, longer ones
// drawn from them (the same ones on every run), and a few with the mapping keyword.
std::vector<std::string> GeneratedValues() {
    static constexpr char kBytes[] = {'a', ' ', '\t', '\v', '\f', '"', '\'', '(', ')', '#'};
    constexpr std::size_t kByteCount = sizeof kBytes;
    std::vector<std::string> values = {"",
                                       "map_block_host",
                                       "xmap_block_host",
                                       "\vmap_block_host\f",
                                       "a\nb",
                                       "a\r",
                                       "\"a\vb c\"",
                                       "'(a)'",
                                       "\"a b"};
    for (const char first : kBytes) {
        values.emplace_back(1, first);
        for (const char second : kBytes) values.push_back(std::string{first, second});
    }
    std::mt19937 random(20261207);
    for (int count = 0; count < 300; ++count) {
        std::string value(3 + random() % 4, 'a');
        for (char& c : value) c = kBytes[random() % kByteCount];
        values.push_back(value);
    }
    return values;
}

// Where the files are written: memory where the system has a file system there, since every
// write is flushed to the disk.
std::filesystem::path ScratchBase() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// Three reasons of one kind are listed as a sentence lists them.
TEST(RoundTripCheck, ManyReasonsReadAsOneSentence) {
    const unsigned held = reuseblocks::kRoundTripWhiteSpace | reuseblocks::kRoundTripLineBreak |
                          reuseblocks::kRoundTripQuote | reuseblocks::kRoundTripKeyword;
    EXPECT_EQ(reuseblocks::DescribeRoundTripReasons(held),
              "holds white space, a line break, a quote and \"map_block_host\"");
    EXPECT_EQ(reuseblocks::RoundTripReasonsOf("#x \"", reuseblocks::ValuePlace::kBlockID),
              reuseblocks::kRoundTripLeadingHash | reuseblocks::kRoundTripWhiteSpace |
                  reuseblocks::kRoundTripQuote);
}

}  // namespace

// The check names a value exactly when writing it and loading the file again would not give the
// collection back: each generated value in each place, through the real writer and loader.
TEST(RoundTripCheck, NamesAValueExactlyWhenTheWrittenFileWouldNotGiveItBack) {
    const std::filesystem::path directory =
        reuseblocks::test::MakeUniqueDirectory(ScratchBase(), "reuseblocks-round-trip-");
    const std::string path = (directory / "property.blocks").string();
    for (const Slot& slot : kSlots) {
        for (const std::string& value : GeneratedValues()) {
            CReuseBlockFile blocks;
            FillBlock(blocks, slot, value);
            const std::vector<RoundTripProblem> problems = FindRoundTripProblems(blocks);
            const bool named = !problems.empty();
            if (named) {
                EXPECT_EQ(problems.size(), 1u);
                EXPECT_EQ(problems[0].property, slot.property);
                EXPECT_EQ(problems[0].column, slot.column);
            }
            EXPECT_EQ(reuseblocks::RoundTripReasonsOf(value, slot.place) != 0, named);

            CReuseBlockFile loaded;
            const bool back = blocks.WriteFile(path.c_str(), "test") == 1 &&
                              loaded.LoadFile(path.c_str()) == 0 &&
                              ValuesOf(loaded) == ValuesOf(blocks);
            EXPECT_NE(named, back)
                << slot.name << " \"" << value << "\" " << (named ? problems[0].message : "");
        }
    }
}
