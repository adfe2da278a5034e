// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>
#include <utility>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"
#include "test_support.h"

namespace {

using reuseblocks::LoadFileWithReport;
using reuseblocks::LoadReport;
using reuseblocks::LoadResult;

// A definition line with twelve fields, and what Dump shows for its block.
std::string Def(const std::string& id, const std::string& path = "p") {
    return id + " " + path + " t s x y side rot u ix iy q\n";
}
std::string Shown(const std::string& id, const std::string& path = "p") {
    return id + ": " + id + " " + path + " t s x y side rot u ix iy q\n";
}

class LoadFileTest : public ::testing::Test {
  protected:
    int Load(std::string_view text) {
        WriteText(path, text);
        const bool empty = blocks.GetCount() == 0;
        const int result = blocks.LoadFile(path.c_str());
        // The same file cut into pieces on several threads, and its text loaded from memory,
        // must end exactly as on one.
        if (empty) {
            CReuseBlockFile split;
            reuseblocks::LoadOptions several;
            several.threads = 3;
            EXPECT_EQ(reuseblocks::LoadFileWithReport(split, path.c_str(), several).result, result);
            EXPECT_EQ(Dump(split), Dump(blocks));
            CReuseBlockFile fromText;
            EXPECT_EQ(reuseblocks::LoadTextWithReport(fromText, text).result, result);
            EXPECT_EQ(Dump(fromText), Dump(blocks));
        }
        return result;
    }

    TempDir dir;
    std::string path = dir.File("in.blocks");
    CReuseBlockFile blocks;
};

TEST_F(LoadFileTest, NothingToLoadChangesNothing) {
    blocks.NewBlock("/held")->NewLayerMap();
    const std::string before = Dump(blocks);
    EXPECT_EQ(Load(""), 0);
    EXPECT_EQ(Load("\n \t\v\f\r\n\n"), 0);
    EXPECT_EQ(Load("# comment\n   # indented comment\n#map_block_host /held 1 a 2 b\n"), 0);
    CReuseBlockFile empty;
    ASSERT_EQ(empty.WriteFile(path.c_str(), "test"), 1);
    EXPECT_EQ(blocks.LoadFile(path.c_str()), 0);  // a header alone
    EXPECT_EQ(blocks.LoadFile(dir.File("missing").c_str()), -1);
    EXPECT_EQ(blocks.LoadFile(nullptr), -1);
    EXPECT_EQ(blocks.LoadFile(dir.Path().c_str()), -1);  // opens, then every read fails
    EXPECT_EQ(Dump(blocks), before);
}

TEST_F(LoadFileTest, RejectedLineStopsLoadingAndKeepsWhatCameBefore) {
    // Two comment lines first, so that the reported line is a physical line number.
    const std::string a = "# header\n\n" + Def("A") + "map_block_host A 1 top 1 L1\n";
    const std::string shownA = Shown("A") + "  map 1 top 1 L1\n";
    const std::string later = Def("Z");  // never read after a rejection
    const struct {
        const char* what;
        std::string text;
        int code;
        std::string dump;
        unsigned long line = 5;
    } cases[] = {
        {"accepted", a + Def("B"), 0, shownA + Shown("B"), 0},
        {"eleven fields", a + "B p t s x y side rot u ix iy\n" + later, -2, shownA},
        {"counted before the ID", a + "A p\n" + later, -2, shownA},
        {"opening parenthesis alone", a + "(\n" + later, -2, shownA},
        {"parentheses alone", a + "( )\n" + later, -2, shownA},
        {"ID held", a + Def("A", "other") + later, -3, shownA},
        {"mapping names an earlier block", a + Def("B") + "map_block_host A 2 x 2 y\n" + later, -4,
         shownA + Shown("B"), 6},
        {"short mapping names another block", a + "map_block_host B 2\n" + later, -4, shownA},
        {"five fields", a + "map_block_host A 2 x 2\n" + later, -5, shownA},
        {"two fields", a + "map_block_host A\n" + later, -5, shownA},
        {"keyword alone", a + "map_block_host\n" + later, -5, shownA},
    };
    for (const auto& c : cases) {
        CReuseBlockFile plain;
        CReuseBlockFile reported;
        WriteText(path, c.text);
        EXPECT_EQ(plain.LoadFile(path.c_str()), c.code) << c.what;
        EXPECT_EQ(Dump(plain), c.dump) << c.what;
        const LoadReport report = LoadFileWithReport(reported, path.c_str());
        EXPECT_EQ(report.result, c.code) << c.what;
        EXPECT_EQ(report.line, c.line) << c.what;
        EXPECT_EQ(report.message.empty(), c.code == 0) << c.what;
        EXPECT_EQ(Dump(reported), c.dump) << c.what;
    }
}

TEST_F(LoadFileTest, LineFormsThatLoad) {
    const std::string text =
        "A p t s x y side rot u ix iy q thirteenth # a note\n"
        "map_block_host A 1 a 2 b seventh\n"
        "anything A 3 c 4 d map_block_host\n"  // the keyword anywhere; the first field unchecked
        "  \t\r\n"
        "(P p t s x y side rot u ix iy q)\r\n"
        "((Q\tp t s x y side rot u ix iy q)) \r\n"
        "( map_block_host Q 5 e 6 f )\r\n"
        "MAP_BLOCK_HOST p t s x y side rot u ix iy q\n"
        "\"my block\" 'a path' t s x y side rot u ix iy q\n"
        "map_block_host \"my block\" \"1 2\" a'b' 3 \"\n"
        "E p t s x y side rot u ix iy q";  // no line feed at the end
    EXPECT_EQ(Load(text), 0);
    EXPECT_EQ(Dump(blocks), Shown("A") + "  map 1 a 2 b\n  map 3 c 4 d\n" + Shown("P") +
                                Shown("Q") + "  map 5 e 6 f\n" + Shown("MAP_BLOCK_HOST") +
                                Shown("\"my block\"", "'a path'") + "  map \"1 2\" a'b' 3 \"\n" +
                                Shown("E"));

    // The keyword inside what was meant as a definition makes it a mapping line of block G.
    EXPECT_EQ(Load(Def("G") + Def("F", "$REUSE/map_block_host/lib")), -4);
    CReuseBlock* found = nullptr;
    EXPECT_EQ(blocks.GetBlock("F", found), 0);
}

TEST_F(LoadFileTest, MappingLinesAttachOnlyToBlocksOfTheSameLoad) {
    blocks.NewBlock("/held");
    EXPECT_EQ(Load("map_block_host /held 1 a 2 b\nmap_block_host\nmap_block_host x y\n" + Def("B")),
              0);
    // B was the current block at the end of that load, but not of this one.
    EXPECT_EQ(Load("map_block_host B 1 a 2 b\n"), 0);
    EXPECT_EQ(Dump(blocks), "/held: /held           \n" + Shown("B"));
}

TEST_F(LoadFileTest, LoadingMergesAndRefusesTheSameFileTwice) {
    const std::string first = dir.File("first.blocks");
    WriteText(first, Def("A") + "map_block_host A 1 a 2 b\n" + Def("C"));
    WriteText(path, Def("B") + "map_block_host B 3 c 4 d\n");
    EXPECT_EQ(blocks.LoadFile(first.c_str()), 0);
    EXPECT_EQ(blocks.LoadFile(path.c_str()), 0);
    const std::string merged =
        Shown("A") + "  map 1 a 2 b\n" + Shown("C") + Shown("B") + "  map 3 c 4 d\n";
    EXPECT_EQ(Dump(blocks), merged);
    EXPECT_EQ(blocks.LoadFile(first.c_str()), -3);
    EXPECT_EQ(Dump(blocks), merged);
}

// Cut into pieces of a few dozen bytes on several threads, a file must load as it does line by
// line: the same blocks, code, line and message, whichever piece the line that decides falls in.
TEST_F(LoadFileTest, PiecesOnSeveralThreadsLoadAsOneThreadDoes) {
    std::string many = "# header\n";
    for (int b = 0; b < 60; ++b) {
        const std::string id = "B" + std::to_string(b);
        many += Def(id);
        for (int r = 0; r < b % 4; ++r) many += "map_block_host " + id + " 1 x 2 y\n";
        if (b % 7 == 0) many += "# comment\n\n  \t\r\n";
    }
    const std::string longLine = Def("L", std::string(3000, 'p')) + "map_block_host L 1 " +
                                 std::string(2000, 'a') + " 2 b\n";
    const std::string texts[] = {
        many,
        many + Def("B17"),                                     // a duplicate of an early piece
        many + Def("/held"),                                   // of a block held before the load
        many + "map_block_host B3 1 a 2 b\n" + many,           // a mapping line of an earlier block
        "map_block_host X 1 a 2 b\n\n" + many,                 // before any definition: ignored
        many.substr(0, many.size() / 2) + "\nA p t\n" + many,  // too short, midway
        longLine + many + longLine,                            // lines across many pieces
        many + "map_block_host B59 1 a 2",                     // too short, last, no line feed
        std::regex_replace(many, std::regex("\n"), "\r\n"),
        // Text passed over, far into the file, and after a duplicate that only joining finds.
        many + "B60 p t s x y side rot u ix iy q extra\n" + many,
        many + Def("B17") + "map_block_host B17 1 x 2 y extra\n",
    };
    for (const std::string& text : texts) {
        WriteText(path, text);
        reuseblocks::LoadOptions options;
        options.threads = 1;
        CReuseBlockFile alone;
        alone.NewBlock("/held");
        reuseblocks::SkippedText skippedAlone;
        const LoadReport expected = LoadFileWithReport(alone, path.c_str(), options, skippedAlone);
        for (const unsigned threads : {2u, 3u, 7u}) {
            options.threads = threads;
            CReuseBlockFile split;
            split.NewBlock("/held");
            reuseblocks::SkippedText skipped;
            const LoadReport report = LoadFileWithReport(split, path.c_str(), options, skipped);
            SCOPED_TRACE(std::to_string(threads) + " threads, " + expected.message);
            EXPECT_EQ(report.result, expected.result);
            EXPECT_EQ(report.line, expected.line);
            EXPECT_EQ(report.message, expected.message);
            EXPECT_EQ(skipped.firstLine, skippedAlone.firstLine);
            EXPECT_EQ(Dump(split), Dump(alone));
        }
        // The text itself, never written to a file, on one thread and in pieces.
        for (const unsigned threads : {1u, 3u}) {
            options.threads = threads;
            CReuseBlockFile fromText;
            fromText.NewBlock("/held");
            const LoadReport report = reuseblocks::LoadTextWithReport(fromText, text, options);
            SCOPED_TRACE("text, " + std::to_string(threads) + " threads");
            EXPECT_EQ(report.result, expected.result);
            EXPECT_EQ(report.line, expected.line);
            EXPECT_EQ(report.message, expected.message);
            EXPECT_EQ(Dump(fromText), Dump(alone));
        }
    }
}

// The first line holding text the load passes over, and only before any line it rejects.
TEST_F(LoadFileTest, SkippedTextIsTheFirstTextTheLoadPassesOver) {
    const std::string extra = "B p t s x y side rot u ix iy q extra\n";
    const std::pair<std::string, unsigned long> cases[] = {
        {"# notes\n" + Def("A") + "map_block_host A 1 x 2 y\n", 0},
        {"# notes\n\nmap_block_host X 1 a 2 b\n" + Def("A"), 3},
        {Def("A") + "map_block_host A 1 x 2 y\n" + extra + extra, 3},
        {Def("A") + "map_block_host A 1 x 2 y 3\n", 2},
        // A carriage return alone ends no line: the two read as one, with fields to spare.
        {Def("A").substr(0, Def("A").size() - 1) + "\r" + Def("B"), 1},
        {"map_block_host X 1 a 2 b\nA p t\n", 1},
        {"A p t\n" + extra, 0},
    };
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text);
        for (const unsigned threads : {1u, 2u}) {
            reuseblocks::LoadOptions options;
            options.threads = threads;
            CReuseBlockFile fromText;
            reuseblocks::SkippedText skipped;
            skipped.firstLine = 99;  // whatever it held
            reuseblocks::LoadTextWithReport(fromText, text, options, skipped);
            EXPECT_EQ(skipped.firstLine, line);
        }
    }
}

TEST_F(LoadFileTest, TextLoadsAsTheFileHoldingItWithoutReadingPastIt) {
    // A view into a larger buffer: nothing past its end may be read, the bytes there would
    // make a block.
    const std::string buffer = Def("A") + "map_block_host A 1 a 2 b" + "\n" + Def("PAST");
    const std::string_view text(buffer.data(), buffer.find("\nPAST"));
    CReuseBlockFile loaded;
    EXPECT_EQ(reuseblocks::LoadTextWithReport(loaded, text).result, 0);
    EXPECT_EQ(Dump(loaded), Shown("A") + "  map 1 a 2 b\n");
    // Empty and null views load nothing; a second load refuses the IDs already held, at the line.
    EXPECT_EQ(reuseblocks::LoadTextWithReport(loaded, std::string_view()).result, 0);
    EXPECT_EQ(reuseblocks::LoadTextWithReport(loaded, "").result, 0);
    const LoadReport again = reuseblocks::LoadTextWithReport(loaded, "\n\n" + Def("A"));
    EXPECT_EQ(again.Code(), LoadResult::kDuplicateBlockID);
    EXPECT_EQ(again.line, 3u);
    // Megabytes without a line feed, cut into many pieces: each piece looks for its start no
    // further than the next one's, so this stays linear.
    std::string flat(std::size_t{32} << 20, 'x');
    reuseblocks::LoadOptions many;
    many.threads = 64;
    CReuseBlockFile none;
    const LoadReport flatReport = reuseblocks::LoadTextWithReport(none, flat, many);
    EXPECT_EQ(flatReport.Code(), LoadResult::kDefinitionTooShort);
    EXPECT_EQ(flatReport.line, 1u);
    EXPECT_EQ(none.GetCount(), 0u);
}

TEST_F(LoadFileTest, WriteLoadWriteRoundTrip) {
    CReuseBlockFile original;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        // Names out of sorted order, so that a sorted or hashed walk would show.
        CReuseBlock* block =
            original.NewBlock(("/top/B" + std::to_string((i * 7919) % 1000)).c_str());
        for (std::uint32_t p = 1; p < 12; ++p)
            block->SetProperty(p, (n + "_" + std::to_string(p)).c_str());
        for (int row = 0; row < i % 5; ++row) {
            const std::uint32_t r = block->NewLayerMap();
            for (std::uint32_t c = 0; c < 4; ++c)
                block->GetLayerMap(r, c) = (n + "." + std::to_string(c)).c_str();
        }
    }
    // Longer than any fixed line buffer, with NUL bytes that must not end a line.
    CReuseBlock* wide = original.NewBlock("/wide");
    for (std::uint32_t p = 1; p < 12; ++p) wide->SetProperty(p, "v");
    wide->GetProperty(1) = CString(std::string(5000, 'a'));
    wide->GetProperty(4) = CString(std::string("x\0y", 3));
    wide->GetLayerMap(wide->NewLayerMap(), 3) = CString(std::string(700'000, 'm'));
    for (std::uint32_t c = 0; c < 3; ++c) wide->GetLayerMap(0, c) = "1";

    ASSERT_EQ(original.WriteFile(path.c_str(), "round trip"), 1);
    ASSERT_EQ(blocks.LoadFile(path.c_str()), 0);
    EXPECT_EQ(Dump(blocks), Dump(original));
    const std::string again = dir.File("again.blocks");
    ASSERT_EQ(blocks.WriteFile(again.c_str(), "round trip"), 1);
    EXPECT_EQ(WithoutDate(ReadWrittenFile(again)), WithoutDate(ReadWrittenFile(path)));
    EXPECT_NE(WithoutDate(ReadWrittenFile(path)),
              ReadWrittenFile(path));  // the date line was recognised
}

TEST_F(LoadFileTest, NulBytesAndLongLinesAreOrdinary) {
    const std::string id("N\0x", 3);
    const std::string longPath(5000, 'p');
    EXPECT_EQ(Load(Def(id, longPath) + "map_block_host " + id + std::string(" 1 a\0b 2 c\n", 11)),
              0);
    POSITION pos = blocks.GetStartPosition();
    const CReuseBlock* block = blocks.GetNext(pos);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(block->GetBlockID().GetView(), id);
    EXPECT_EQ(block->GetProperty(1).GetLength(), 5000);
    EXPECT_EQ(block->GetProperty(11), "q");
    EXPECT_EQ(block->GetLayerMap(0, 1).GetView(), std::string_view("a\0b", 3));
}

TEST_F(LoadFileTest, ReportTellsLineAndReason) {
    const std::string longLine = Def("L", std::string(5000, 'p'));
    const auto report = [&](const std::string& text) {
        WriteText(path, text);
        CReuseBlockFile fresh;
        return LoadFileWithReport(fresh, path.c_str());
    };
    LoadReport r = report("# c\r\n" + longLine + "\r\nA p t s x y\r\n");
    EXPECT_EQ(r.Code(), LoadResult::kDefinitionTooShort);
    EXPECT_EQ(r.line, 4u);
    EXPECT_EQ(r.message, "definition line has 6 fields, 12 expected");
    r = report(longLine + "map_block_host L 1 a\n");
    EXPECT_EQ(r.Code(), LoadResult::kMappingTooShort);
    EXPECT_EQ(r.line, 2u);
    EXPECT_EQ(r.message, "mapping line has 4 fields, 6 expected");
    r = report(Def("A") + "map_block_host )\n");
    EXPECT_EQ(r.Code(), LoadResult::kMappingTooShort);
    EXPECT_EQ(r.message, "mapping line has 1 field, 6 expected");
    r = report(Def("A"));
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.line, 0u);
    EXPECT_EQ(r.message, "");

    CReuseBlockFile fresh;
    r = LoadFileWithReport(fresh, dir.File("missing").c_str());
    EXPECT_EQ(r.Code(), LoadResult::kCannotRead);
    EXPECT_EQ(r.line, 0u);
    EXPECT_NE(r.message.find("missing"), std::string::npos) << r.message;
    r = LoadFileWithReport(fresh, dir.Path().c_str());
    EXPECT_EQ(r.Code(), LoadResult::kCannotRead);
    EXPECT_FALSE(r.message.empty());

    EXPECT_STREQ(reuseblocks::LoadResultName(-2), "DefinitionTooShort");
    EXPECT_STREQ(reuseblocks::LoadResultName(0), "Success");
    EXPECT_STREQ(reuseblocks::LoadResultName(-6), "Unknown");
    EXPECT_STREQ(reuseblocks::LoadResultName(1), "Unknown");
}

}  // namespace
