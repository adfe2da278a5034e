// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "inspect/block_diff.h"
#include "inspect/block_query.h"
#include "inspect/file_check.h"
#include "inspect/listing.h"
#include "terminal/tool_error.h"
#include "test_support.h"

namespace reuseblocks::tool {
namespace {

void AddRow(CReuseBlock& block, const char* order, const char* name) {
    const std::uint32_t row = block.NewLayerMap();
    block.GetLayerMap(row, 0) = order;
    block.GetLayerMap(row, 1) = name;
    block.GetLayerMap(row, 2) = order;
    block.GetLayerMap(row, 3) = name;
}

TEST(Inspect, AnInsertedLayerMapIsOneAddedRowAndAChangedOneIsPaired) {
    CReuseBlockFile files[2];
    CReuseBlock* before = files[0].NewBlock("/A");
    CReuseBlock* after = files[1].NewBlock("/A");
    for (const char* name : {"TOP", "GND", "BOTTOM"}) AddRow(*before, "1", name);
    for (const char* name : {"TOP", "SIG", "GND", "PWR"}) AddRow(*after, "1", name);
    const std::vector<LayerMapChange> changes = CompareLayerMaps(*before, *after);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, ChangeKind::kAdded);
    EXPECT_EQ(changes[0].newRow, 1);
    EXPECT_EQ(changes[1].kind, ChangeKind::kChanged);
    EXPECT_EQ(changes[1].oldRow, 2);
    EXPECT_EQ(changes[1].newRow, 3);
}

TEST(Inspect, ManyBlocksAreComparedWholeAndListedByID) {
    // Enough blocks to be compared in halves, with changes of every kind in both halves.
    constexpr int kBlocks = 5000;
    CReuseBlockFile before;
    CReuseBlockFile after;
    for (int i = 0; i < kBlocks; ++i) {
        const std::string id = "/B" + std::to_string(i);
        AddRow(*before.NewBlock(id.c_str()), "1", "TOP");
        if (i % 1000 == 7) continue;  // removed
        CReuseBlock* block = after.NewBlock(id.c_str());
        AddRow(*block, "1", i % 1000 == 500 ? "GND" : "TOP");
        if (i % 1000 == 900) block->SetProperty(kXLoc, "5");
    }
    for (const char* id : {"/A0", "/Z9"}) after.NewBlock(id);
    std::vector<std::string> expected;
    for (int i = 7; i < kBlocks; i += 1000) expected.push_back("-/B" + std::to_string(i));
    for (int i = 500; i < kBlocks; i += 1000) {
        for (const int changed : {i, i + 400}) expected.push_back("~/B" + std::to_string(changed));
    }
    for (const char* id : {"+/A0", "+/Z9"}) expected.push_back(id);
    std::sort(expected.begin(), expected.end(),
              [](const std::string& x, const std::string& y) { return x.substr(1) < y.substr(1); });

    std::vector<std::string> found;
    for (const BlockChange& change : CompareCollections(before, after)) {
        const char mark = change.kind == ChangeKind::kAdded     ? '+'
                          : change.kind == ChangeKind::kRemoved ? '-'
                                                                : '~';
        found.push_back(mark + change.id);
        if (change.kind == ChangeKind::kChanged) {
            EXPECT_EQ(change.properties.size() + change.layerMaps.size(), 1u) << change.id;
        }
    }
    EXPECT_EQ(found, expected);
}

TEST(Inspect, AWideValueInEitherHalfOfALongTableWidensItsColumnOnEveryRow) {
    // Enough rows for the widths to be found in halves: one column's widest value is in the
    // first half, another's in the second.
    constexpr int kBlocks = 5000;
    const std::string widePath(40, 'p');
    const std::string wideX(30, '9');
    CReuseBlockFile blocks;
    for (int i = 0; i < kBlocks; ++i) {
        CReuseBlock* block = blocks.NewBlock(("/B" + std::to_string(i)).c_str());
        block->SetProperty(kBlockPath, i == 10 ? widePath.c_str() : "p");
        block->SetProperty(kXLoc, i == kBlocks - 10 ? wideX.c_str() : "1");
        block->SetProperty(kUnits, "MILS");
    }
    testing::internal::CaptureStdout();
    PrintListing(blocks, {}, ParseFields({"BLOCK_HIER_NAME,BLOCK_PATH,XLOC,UNITS"}),
                 ListFormat::kTable, true);
    const std::string out = testing::internal::GetCapturedStdout();
    std::size_t lines = 0;
    std::size_t unitsAt = std::string::npos;
    for (std::size_t start = 0; start < out.size(); ++lines) {
        const std::size_t end = out.find('\n', start);
        const std::string line = out.substr(start, end - start);
        const std::size_t at = line.rfind(lines == 0 ? "UNITS" : "MILS");
        if (lines == 0) unitsAt = at;
        ASSERT_EQ(at, unitsAt) << line;
        start = end + 1;
    }
    EXPECT_EQ(lines, kBlocks + 1u);
    // The heading is the widest ID; then the 40 of the path and the 30 of XLOC, each and two
    // blanks.
    EXPECT_EQ(unitsAt, 15 + 2 + 40 + 2 + 30 + 2u);
}

// The message of the usage error `texts` make, or "" when they parse.
std::string RefusalOf(std::vector<std::string> texts) {
    try {
        ParseConditions(texts);
    } catch (const ToolError& error) {
        EXPECT_EQ(error.Status(), kExitUsage);
        return error.what();
    }
    return "";
}

TEST(Inspect, WhereTakesListsGlobsNumbersAndAlternativesAndSaysWhatIsWrong) {
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/TOP/U1");
    block->Init();
    block->SetProperty(kBlockPath, "$REUSE/other_libs/optics");
    block->SetProperty(kXLoc, "150.5");
    block->SetProperty(kYLoc, "-2e2");
    block->SetProperty(kSide, "TOP");
    block->SetProperty(kUnits, "a,b*c");
    const std::vector<QueryField> fields = ParseFields({"id,symbol", "maps,xloc"});
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[1].ValueOf(*block), "optics");
    EXPECT_EQ(fields[2].ValueOf(*block), "0");
    const auto matches = [&](std::vector<std::string> texts, bool ignoreCase = false) {
        return Matches(*block, ParseConditions(texts, ignoreCase));
    };
    EXPECT_TRUE(matches({"ID=/TOP/U1", "BLOCK_STATUS!=Placed,Planned", "side=BOTTOM,TOP"}));
    EXPECT_FALSE(matches({"SIDE!=BOTTOM,TOP"}));
    EXPECT_TRUE(matches({"BLOCK_PATH=*optics*", "symbol=opt?cs", "ID=*U1"}));
    EXPECT_FALSE(matches({"BLOCK_PATH=*optics*x"}));
    EXPECT_FALSE(matches({"symbol=OPTICS"}));
    EXPECT_TRUE(matches({"symbol=OPTICS", "BLOCK_PATH=*OTHER*"}, true));
    EXPECT_TRUE(matches({"XLOC>100", "XLOC<=150.5", "YLOC<-199", "YLOC>=-2e2", "MAPS<1"}));
    EXPECT_FALSE(matches({"XLOC>150.5"}));
    EXPECT_FALSE(matches({"SIDE>0"}));  // not a number: no comparison holds
    EXPECT_TRUE(matches({"SIDE=BOTTOM|XLOC>100"}));
    EXPECT_FALSE(matches({"SIDE=BOTTOM|XLOC>200"}));
    EXPECT_TRUE(matches({"UNITS=a\\,b\\*c"}));  // escapes: the value itself, no list, no glob
    EXPECT_TRUE(matches({"UNITS=a\\,*"}));

    EXPECT_NE(RefusalOf({"SIDE==TOP"}).find("use one ="), std::string::npos);
    EXPECT_NE(RefusalOf({"SDIE=TOP"}).find("did you mean \"SIDE\"?"), std::string::npos);
    EXPECT_NE(RefusalOf({"XLOC>abc"}).find("not a number"), std::string::npos);
    EXPECT_NE(RefusalOf({"XLOC>inf"}).find("not a number"), std::string::npos);
    EXPECT_NE(RefusalOf({"SIDE"}).find("expected FIELD=VALUE"), std::string::npos);
    EXPECT_NE(RefusalOf({"=TOP"}).find("a field name comes before"), std::string::npos);
    EXPECT_NE(RefusalOf({"SIDE!TOP"}).find("! goes with ="), std::string::npos);
    EXPECT_NE(RefusalOf({"SIDE=TOP|"}).find("expected FIELD=VALUE"), std::string::npos);
    EXPECT_EQ(RefusalOf({"SIDE="}), "");  // an empty value is a value

    // Many stars against a text that almost matches: a recursive matcher takes years here.
    const std::string pattern = std::string(2000, '*') + std::string(30, 'a') + "b";
    const std::string text(5000, 'a');
    EXPECT_FALSE(GlobMatches(pattern, text, false));
    EXPECT_TRUE(GlobMatches(pattern.substr(0, pattern.size() - 1), text, false));
    EXPECT_TRUE(GlobMatches("a\\*b*", "A*bc", true));
    EXPECT_FALSE(GlobMatches("a\\*b*", "axbc", false));
    EXPECT_FALSE(GlobMatches("?", "", false));
}

TEST(Inspect, CheckStopsCollectingProblemsAtTheLimit) {
    ::TempDir folder;
    std::string text = std::string(kFormatLine) + "\n";
    for (std::size_t i = 0; i <= kProblemLimit; ++i) {
        text += "/U" + std::to_string(i) + " p Smashd Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    }
    ::WriteText(folder.File("many.blocks"), text);
    const FileCheck check = CheckFile(folder.File("many.blocks"), true);
    ASSERT_EQ(check.problems.size(), kProblemLimit + 1);
    EXPECT_EQ(check.problems[kProblemLimit - 1].line, kProblemLimit + 1);
    EXPECT_EQ(check.problems.back().code, "ProblemLimit");
}

TEST(Inspect, ALargeFileIsCheckedAlikeWhereverTheLoadStops) {
    // Large enough for its lines to be read beside the load, on the guess that it loads whole.
    std::string text = std::string(kFormatLine) + "\nmap_block_host /B 1 TOP 1 TOP\n";
    for (std::size_t i = 0; i < 12000; ++i) {
        const std::string id = "/B" + std::to_string(i);
        text += id + " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\nmap_block_host " + id +
                " 1 TOP 1 TOP\n";
    }
    text += "map_block_hots p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed extra\n";
    ASSERT_GT(text.size(), std::size_t{1} << 20);
    for (const bool strict : {false, true}) {
        const FileCheck whole = CheckText(text, strict);
        EXPECT_TRUE(whole.report.Succeeded());
        EXPECT_EQ(whole.counts.at("MappingBeforeDefinition"), 1u);
        EXPECT_EQ(whole.counts.at("TooManyFields"), 1u);
        if (strict) {
            EXPECT_EQ(whole.counts.at("MappingKeyword"), 1u);
        } else {
            EXPECT_EQ(whole.unselected.at("MappingKeyword"), 1u);
        }
    }

    // Loading stops near the end: the lines after it are read again, knowing where.
    std::string stopped = text + "/SHORT p\n/ALSO p\n";
    const FileCheck check = CheckText(stopped, true);
    EXPECT_FALSE(check.report.Succeeded());
    EXPECT_EQ(check.counts.at("DefinitionTooShort"), 2u);
    EXPECT_EQ(check.counts.at("TooManyFields"), 1u);
    EXPECT_EQ(check.counts.at("MappingKeyword"), 1u);
    EXPECT_EQ(check.counts.at("LoadingStopped"), 1u);
}

// Without --strict a file is read line by line only when its lines have something to say; what
// the check says of it is the same as of its text either way.
TEST(Inspect, AFileSaysWhatItsTextSaysWithoutStrict) {
    ::TempDir folder;
    const std::string block = "/B p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    const std::string fields = " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    const std::string texts[] = {
        std::string(kFormatLine) + "\n" + block + "map_block_host /B 1 TOP 1 TOP\n",
        "map_block_host /B 1 TOP 1 TOP\n" + block,
        block + "map_block_host /B 1 TOP 1 TOP 9\n",
        // Conflict markers with fields enough to load as blocks.
        "<<<<<<<" + fields + block + "=======" + fields + ">>>>>>>" + fields,
        "|||||||\t" + fields.substr(1),
        block + "/C p\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ::WriteText(folder.File("f.blocks"), text);
        const FileCheck file = CheckFile(folder.File("f.blocks"), false);
        const FileCheck expected = CheckText(text, false);
        EXPECT_EQ(file.report.result, expected.report.result);
        EXPECT_EQ(file.blocks, expected.blocks);
        EXPECT_EQ(file.layerMaps, expected.layerMaps);
        EXPECT_EQ(file.warnings, expected.warnings);
        EXPECT_EQ(file.counts, expected.counts);
        ASSERT_EQ(file.problems.size(), expected.problems.size());
        for (std::size_t i = 0; i < file.problems.size(); ++i) {
            EXPECT_EQ(file.problems[i].line, expected.problems[i].line);
            EXPECT_EQ(file.problems[i].message, expected.problems[i].message);
        }
    }
}

TEST(Inspect, RepeatedRowsOfManyBlocksAreKeptInFileOrder) {
    // Enough blocks to be searched in halves; the limit keeps the first in the file.
    constexpr std::size_t kBlocks = 5000;
    std::string text = std::string(kFormatLine) + "\n";
    for (std::size_t i = 0; i < kBlocks; ++i) {
        const std::string id = "/B" + std::to_string(i);
        const std::string row = "map_block_host " + id + " 1 TOP 1 TOP\n";
        text += id + " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n" + row + row;
    }
    const FileCheck check = CheckText(text, true);
    EXPECT_EQ(check.counts.at("RepeatedLayerMap"), kBlocks);
    std::vector<const Problem*> repeats;
    for (const Problem& problem : check.problems) {
        if (problem.code == "RepeatedLayerMap") repeats.push_back(&problem);
    }
    ASSERT_EQ(repeats.size(), kProblemLimit);
    EXPECT_EQ(repeats.front()->block, "/B0");
    EXPECT_EQ(repeats.front()->line, 4u);
    EXPECT_EQ(repeats.back()->block, "/B" + std::to_string(kProblemLimit - 1));
}

TEST(Inspect, ARepeatedRowIsPairedWithTheFirstRowItRepeatsInShortAndLongBlocks) {
    // A few rows are compared pair by pair, many are sorted: both say the same.
    const std::string pattern = "ABACBAADCB";
    std::string text = std::string(kFormatLine) + "\n";
    std::vector<std::string> expected;
    for (const std::size_t rows : {pattern.size(), 3 * pattern.size()}) {
        const std::string id = "/R" + std::to_string(rows);
        text += id + " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
        for (std::size_t row = 0; row < rows; ++row) {
            const char name = pattern[row % pattern.size()];
            text += "map_block_host " + id + " 1 " + name + " 1 TOP\n";
            const std::size_t first = pattern.find(name);
            if (first != row) {
                expected.push_back("layer map " + std::to_string(row) + " of block \"" + id +
                                   "\" repeats layer map " + std::to_string(first));
            }
        }
    }
    std::vector<std::string> found;
    for (const Problem& problem : CheckText(text, true).problems) {
        if (problem.code == "RepeatedLayerMap") found.push_back(problem.message);
    }
    EXPECT_EQ(found, expected);
}

TEST(Inspect, ValuesThatWouldNotReadBackInManyBlocksAreSaidAtTheirLines) {
    // Enough blocks for the round trip to be checked beside the other checks of values.
    std::string text = std::string(kFormatLine) + "\n";
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < 5000; ++i) {
        const bool hash = i % 1000 == 999;
        const std::string id = (hash ? "#H" : "/B") + std::to_string(i);
        text += "(" + id + " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed)\n";
        if (hash) expected.push_back(id + "@" + std::to_string(i + 2));
    }
    const FileCheck check = CheckText(text, true);
    std::vector<std::string> found;
    for (const Problem& problem : check.problems) {
        if (problem.code == "RoundTrip")
            found.push_back(*problem.block + "@" + std::to_string(problem.line));
    }
    EXPECT_EQ(found, expected);
}

TEST(Inspect, ProblemsOfRowsAreSaidAtTheirLinesWhateverTheBlocksAroundThem) {
    // Blocks without rows, with comments and blank lines between rows, and the rows of the last
    // block: each problem of a row names the line that row was read from (a field past the last
    // keeps the ")" on the value before it).
    const std::string definition = " p Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    std::string text = std::string(kFormatLine) + "\n";  // 1
    text += "/A" + definition;                           // 2
    text += "/B" + definition;                           // 3
    text += "# a note\n";                                // 4
    text += "map_block_host /B 1 TOP 1 TOP\n";           // 5
    text += "\n";                                        // 6
    text += "map_block_host /B 1 TOP 1 TOP\n";           // 7
    text += "/C" + definition;                           // 8
    text += "/D" + definition;                           // 9
    text += "map_block_host /D 1 X 1 TOP\n";             // 10
    text += "map_block_host /D 1 X 1 TOP) more\n";       // 11
    text += "map_block_host /D 1 X 1 TOP\n";             // 12
    std::vector<std::string> found;
    for (const Problem& problem : CheckText(text, true).problems) {
        if (problem.code == "RepeatedLayerMap" || problem.code == "RoundTrip")
            found.push_back(problem.code + "@" + std::to_string(problem.line));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"RepeatedLayerMap@7", "RoundTrip@11",
                                               "RepeatedLayerMap@12"}));
}

TEST(Inspect, TheLimitOnProblemsNeverDropsAnError) {
    // Warnings enough to fill the limit, then the line loading stops at, then lines the loader
    // would have rejected too: every error is reported, and the note says how much is left out.
    ::TempDir folder;
    std::string text = std::string(kFormatLine) + "\n";
    const std::size_t warnings = kProblemLimit + 5;
    for (std::size_t i = 0; i < warnings; ++i) {
        text += "/U" + std::to_string(i) + " p Smashd Unplaced 0 0 TOP 0 mils 0 0 Unprocessed\n";
    }
    const unsigned long rejected = static_cast<unsigned long>(warnings) + 2;
    text += "/BAD p Smashed\n";
    const std::size_t after = kProblemLimit + 10;
    for (std::size_t i = 0; i < after; ++i) text += "/E" + std::to_string(i) + " p\n";
    ::WriteText(folder.File("many.blocks"), text);
    const FileCheck check = CheckFile(folder.File("many.blocks"), true);
    EXPECT_FALSE(check.report.Succeeded());
    const auto count = [&](const std::string& severity) {
        return std::count_if(check.problems.begin(), check.problems.end(),
                             [&](const Problem& problem) { return problem.severity == severity; });
    };
    EXPECT_EQ(count("warning"), static_cast<long>(kProblemLimit));
    EXPECT_EQ(count("error"), static_cast<long>(1 + after));
    const auto loadError =
        std::find_if(check.problems.begin(), check.problems.end(),
                     [&](const Problem& problem) { return problem.severity == "error"; });
    ASSERT_NE(loadError, check.problems.end());
    EXPECT_EQ(loadError->line, rejected);
    EXPECT_EQ(check.problems.back().code, "ProblemLimit");
    // Every warning is counted, those not kept too, so the note knows how many it leaves out.
    EXPECT_NE(check.problems.back().message.find("; 5 more warnings are left out"),
              std::string::npos)
        << check.problems.back().message;
    EXPECT_EQ(check.warnings, warnings);
    EXPECT_EQ(check.counts.at("Convention"), warnings);

    std::string json;
    JsonWriter writer(json, JsonWriter::Layout::kCompact);
    WriteFileCheckJson(writer, "many.blocks", check);
    EXPECT_NE(json.find("{\"line\":" + std::to_string(rejected) + ",\"severity\":\"error\""),
              std::string::npos);
}

}  // namespace
}  // namespace reuseblocks::tool
