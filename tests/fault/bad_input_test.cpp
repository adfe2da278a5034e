// SPDX-License-Identifier: MIT
// Hostile and odd input, loaded into a collection that already holds blocks: every case gives
// its documented code, and the blocks held before are still there, unchanged.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bad_input_fixture.h"
#include "reuseblocks/diagnostics.h"

namespace {

using namespace std::string_literals;

TEST_F(BadInput, EmptyHugeAndTenMegabyteLineFiles) {
    EXPECT_EQ(Load(""), 0);
    EXPECT_EQ(Load("\n\n   \t\n# only comments\n"), 0);
    EXPECT_EQ(Count(), 2u);

    std::string huge;
    for (int b = 0; b < 50000; ++b) {
        const std::string id = "/HUGE/" + std::to_string(b);
        huge += id + " $REUSE/path Smashed Placed 1 2 TOP 90 mils 10 20 Processed\n";
        huge += "map_block_host " + id + " 1 TOP 1 TOP\n";
    }
    EXPECT_EQ(Load(huge), 0);
    EXPECT_EQ(Count(), 50002u);
    EXPECT_EQ(Block("/HUGE/49999").rows.size(), 1u);

    const std::string tenMegabytes(10u << 20, 'p');
    EXPECT_EQ(Load("/LONG " + tenMegabytes + " b c d e f g h i j k\n"), 0);
    EXPECT_EQ(Block("/LONG").properties[1], tenMegabytes);
    EXPECT_EQ(Block("/LONG").properties[11], "k");

    fault::WriteBytes(m_input, "/NEXT a b c d e f g h i j k\n" + tenMegabytes);
    const reuseblocks::LoadReport report =
        reuseblocks::LoadFileWithReport(m_blocks, m_input.c_str());
    EXPECT_EQ(report.result, -2);
    EXPECT_EQ(report.line, 2u);
    EXPECT_LT(report.message.size(), 200u);
    EXPECT_EQ(Block("/NEXT").properties[11], "k");
}

TEST_F(BadInput, BinaryJunkGivesADocumentedCode) {
    std::mt19937 random(6);
    const std::vector<std::string> tokens = {" ",  "\t",     "\r", "\n",  "\"",   "'",
                                             "(",  ")",      "#",  "\0"s, "\xff", "map_block_host",
                                             "/J", "/HELD/A"};
    for (int round = 0; round < 24; ++round) {
        std::string junk;
        while (junk.size() < 64 * 1024) {
            if (round % 2 == 0) {
                junk += static_cast<char>(random() & 0xff);
            } else {
                junk += tokens[random() % tokens.size()];
            }
        }
        const int result = Load(junk);
        EXPECT_TRUE(result == 0 || (result <= -2 && result >= -5)) << round << ": " << result;
        ExpectHeldIntact();
    }
}

TEST_F(BadInput, NulBytesAndBytesAbove0x7FAreOrdinaryCharacters) {
    EXPECT_EQ(Load("/N\0UL a\0b c d e f g h i j k l\nmap_block_host /N\0UL 1 \0 2 \0\0\n"s), 0);
    const harness::BlockImage nul = Block("/N\0UL"s);
    EXPECT_EQ(nul.properties[1], "a\0b"s);
    ASSERT_EQ(nul.rows.size(), 1u);
    EXPECT_EQ(nul.rows[0][1], "\0"s);
    EXPECT_EQ(nul.rows[0][3], "\0\0"s);
    EXPECT_EQ(Load("\0\0\0\n"s), -2);
    EXPECT_EQ(Load("\0# is not a comment\n"s), -2);

    // No byte from 0x80 up separates fields or starts a comment, not even NBSP or NEL.
    EXPECT_EQ(Load("\xff\xfe \xa0 b\x85"
                   "c d e f g h i j k l\n"),
              0);
    EXPECT_EQ(Block("\xff\xfe").properties[1], "\xa0");
    EXPECT_EQ(Block("\xff\xfe").properties[2],
              "b\x85"
              "c");
    EXPECT_EQ(Load("\xa0# a b c d e f g h i j k\n"), 0);
    EXPECT_EQ(Block("\xa0#").properties[11], "k");
}

TEST_F(BadInput, CarriageReturnOnlyAndMixedLineEnds) {
    // Lines end only at a line feed: with CR alone the file is one line, split at the CRs.
    EXPECT_EQ(Load(kDefinition + "\r/TOP/B2 a b c d e f g h i j k\r"), 0);
    EXPECT_EQ(Count(), 3u);
    EXPECT_EQ(Block("/TOP/B1").properties[11], "Done");
    // ... and one that holds the keyword is a mapping line before any definition: ignored whole.
    EXPECT_EQ(Load("/CR a b c d e f g h i j k\r" + kMapping + "\r"), 0);
    EXPECT_EQ(Count(), 3u);

    EXPECT_EQ(Load("/MIX\ra b c d e f g h i j k\r\nmap_block_host /MIX 1 T 2 B\n\r\n \t\r\n"
                   "map_block_host /MIX 3 T 4 B"),
              0);
    EXPECT_EQ(Block("/MIX").rows.size(), 2u);
}

TEST_F(BadInput, UnbalancedQuotesAndParentheses) {
    EXPECT_EQ(Load("/U a b c d e f g h i j \"k l\tm\n"), 0);
    EXPECT_EQ(Block("/U").properties[11], "\"k l\tm");
    EXPECT_EQ(Load("\"/Q a b c d e f g h i j k l\n"), -2);
    EXPECT_EQ(Load("'/Q 1\" a b c d e f g h i j k\nmap_block_host '/Q 1\" 1 'T\" 2 B\n"
                   "map_block_host \"/Q 1 1 T 2 B\n"),
              -4);
    EXPECT_EQ(Block("'/Q 1\"").rows.size(), 1u);

    for (const char* lone : {"(", "( )", ")", "(\t(", "()"}) {
        EXPECT_EQ(Load(std::string(lone) + "\n"), -2) << lone;
    }
    EXPECT_EQ(Load("((( /P a b c d e f g h i j k )))\n(map_block_host /P 1 T 2 B)\n"), 0);
    EXPECT_EQ(Block("/P").properties[11], "k");
    EXPECT_EQ(Block("/P").rows.at(0)[3], "B");
    EXPECT_EQ(Load("/P2( a b c d e f g h i j k)x\n"), 0);
    EXPECT_EQ(Block("/P2(").properties[11], "k)x");
}

TEST_F(BadInput, PathsThatAreNotReadableFiles) {
    EXPECT_EQ(m_blocks.LoadFile(m_dir.Path().c_str()), -1);  // opens, then cannot be read
    const reuseblocks::LoadReport directory = reuseblocks::LoadFileWithReport(m_blocks, "/");
    EXPECT_EQ(directory.result, -1);
    EXPECT_EQ(directory.line, 0u);
    EXPECT_FALSE(directory.message.empty());

    EXPECT_EQ(m_blocks.LoadFile(m_dir.File("missing").c_str()), -1);
    EXPECT_EQ(m_blocks.LoadFile(""), -1);
    EXPECT_EQ(m_blocks.LoadFile(nullptr), -1);
    EXPECT_EQ(Count(), 2u);
}

}  // namespace
