// SPDX-License-Identifier: MIT
// Edits written into the text they were loaded from: what the edit did not touch stays byte for
// byte, and the result loads as the edited collection.
#include <gtest/gtest.h>
#include <reuseblocks/diagnostics.h>
#include <reuseblocks/edit.h>
#include <reuseblocks/reuseblocks.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace {

using reuseblocks::UpdateOptions;
using reuseblocks::UpdateReport;
using reuseblocks::UpdateResult;

// A file as a person keeps it: someone else's header, notes, blank lines, parentheses, spacing
// and CR LF line ends.
const std::string kHandKept =
    "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\r\n"
    "# Application: placer 7.2\r\n"
    "# Date: Sun Dec  6 07:32:38 2026\r\n"
    "\r\n"
    "# power: ask Ana before moving\r\n"
    "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 10 20 Processed)\r\n"
    "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n"
    "\tmap_block_host /TOP/PSU1 2 GND 2 GND   \r\n"
    "\r\n"
    "/TOP/U2 $R/mcu Smashed Unplaced 0 0 TOP 90 mils 0 0 Unprocessed\r\n"
    "# trailing note\r\n";

struct Loaded {
    TempDir dir;
    CReuseBlockFile blocks;

    explicit Loaded(const std::string& text) {
        WriteText(dir.File("in.blocks"), text);
        EXPECT_EQ(blocks.LoadFile(dir.File("in.blocks").c_str()), 0);
    }
    CReuseBlock& Block(const char* id) {
        CReuseBlock* block = nullptr;
        EXPECT_EQ(blocks.GetBlock(id, block), 1);
        return *block;
    }
    // The update of `text`, checked to load as the collection it was made from.
    std::string Updated(const std::string& text, UpdateResult expected = UpdateResult::kUpdated,
                        const UpdateOptions& options = {}) {
        std::string updated;
        const UpdateReport report = reuseblocks::UpdateText(text, blocks, options, updated);
        EXPECT_EQ(report.result, expected) << report.message;
        WriteText(dir.File("out.blocks"), updated);
        CReuseBlockFile again;
        EXPECT_EQ(again.LoadFile(dir.File("out.blocks").c_str()), 0);
        EXPECT_EQ(Dump(again), DumpRenamed());
        return updated;
    }
    // Dump with each block under its ID, as a file written from it loads.
    std::string DumpRenamed() {
        CReuseBlockFile copy;
        for (POSITION position = blocks.GetStartPosition(); position;) {
            const CReuseBlock* block = blocks.GetNext(position);
            CReuseBlock* into = copy.NewBlock(block->GetBlockID().GetString());
            for (std::uint32_t p = 0; p < CReuseBlock::kPropertyCount; ++p) {
                into->SetProperty(p, block->GetPropertyRef(p).GetString());
            }
            for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
                const std::uint32_t added = into->NewLayerMap();
                for (std::uint32_t c = 0; c < CReuseBlock::kLayerMapColumnCount; ++c) {
                    into->GetLayerMap(added, c) = block->GetLayerMapRef(row, c).GetString();
                }
            }
        }
        return Dump(copy);
    }
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(TextUpdate, AnUnchangedCollectionGivesBackTheTextItself) {
    Loaded file(kHandKept);
    EXPECT_EQ(file.Updated(kHandKept, UpdateResult::kUnchanged), kHandKept);
    // A value set to what it was is no change either.
    file.Block("/TOP/PSU1").SetProperty(reuseblocks::kXLoc, "100");
    EXPECT_EQ(file.Updated(kHandKept, UpdateResult::kUnchanged), kHandKept);
}

TEST(TextUpdate, AChangedBlockRewritesItsOwnDefinitionLineOnly) {
    Loaded file(kHandKept);
    file.Block("/TOP/PSU1").SetProperty(reuseblocks::kXLoc, "111");
    EXPECT_EQ(file.Updated(kHandKept),
              Replaced(kHandKept,
                       "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 10 20 Processed)\r\n",
                       "/TOP/PSU1 $R/psu Replica Placed 111 200 TOP 0 mils 10 20 Processed \r\n"));
}

TEST(TextUpdate, LayerMapRowsChangeOneByOne) {
    Loaded file(kHandKept);
    CReuseBlock& psu = file.Block("/TOP/PSU1");
    psu.GetLayerMap(1, 3) = "GND2";
    const std::uint32_t row = psu.NewLayerMap();
    for (std::uint32_t c = 0; c < 4; ++c) psu.GetLayerMap(row, c) = "3";
    EXPECT_EQ(file.Updated(kHandKept),
              Replaced(kHandKept, "\tmap_block_host /TOP/PSU1 2 GND 2 GND   \r\n",
                       "map_block_host /TOP/PSU1 2 GND 2 GND2 \r\n"
                       "map_block_host /TOP/PSU1 3 3 3 3 \r\n"));

    Loaded removed(kHandKept);
    removed.Block("/TOP/PSU1").RemoveLayerMap(0);
    EXPECT_EQ(removed.Updated(kHandKept),
              Replaced(kHandKept, "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n", ""));
}

TEST(TextUpdate, ARemovedBlockTakesItsLinesAndANewOneGoesAfterTheLastBlock) {
    Loaded file(kHandKept);
    EXPECT_EQ(file.blocks.RemoveBlock("/TOP/PSU1"), 1);
    CReuseBlock* added = file.blocks.NewBlock("/TOP/NEW");
    added->Init();
    for (std::uint32_t p = 1; p < CReuseBlock::kPropertyCount; ++p) {
        if (added->GetPropertyRef(p).IsEmpty()) added->SetProperty(p, "1");
    }
    const std::uint32_t row = added->NewLayerMap();
    for (std::uint32_t c = 0; c < 4; ++c) added->GetLayerMap(row, c) = "L";
    std::string expected =
        Replaced(kHandKept,
                 "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 10 20 Processed)\r\n"
                 "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n"
                 "\tmap_block_host /TOP/PSU1 2 GND 2 GND   \r\n",
                 "");
    expected = Replaced(expected, "Unprocessed\r\n",
                        "Unprocessed\r\n/TOP/NEW 1 Smashed Unplaced 1 1 1 1 1 1 1 Unprocessed \r\n"
                        "map_block_host /TOP/NEW L L L L \r\n");
    EXPECT_EQ(file.Updated(kHandKept), expected);
}

TEST(TextUpdate, ARenameChangesTheLinesInPlaceAndABlockAddedAgainGoesLast) {
    Loaded file(kHandKept);
    file.Block("/TOP/PSU1").SetProperty(0, "/TOP/PSU9");
    std::string expected =
        Replaced(kHandKept,
                 "(/TOP/PSU1   $R/psu Replica Placed 100 200 TOP 0 mils 10 20 Processed)\r\n"
                 "  map_block_host /TOP/PSU1 1 TOP 1 TOP\r\n"
                 "\tmap_block_host /TOP/PSU1 2 GND 2 GND   \r\n",
                 "/TOP/PSU9 $R/psu Replica Placed 100 200 TOP 0 mils 10 20 Processed \r\n"
                 "map_block_host /TOP/PSU9 1 TOP 1 TOP \r\n"
                 "map_block_host /TOP/PSU9 2 GND 2 GND \r\n");
    EXPECT_EQ(file.Updated(kHandKept), expected);

    Loaded again(kHandKept);
    again.blocks.RemoveBlock("/TOP/PSU1");
    CReuseBlock* block = again.blocks.NewBlock("/TOP/PSU1");
    for (std::uint32_t p = 1; p < CReuseBlock::kPropertyCount; ++p) block->SetProperty(p, "v");
    const std::string moved = again.Updated(kHandKept);
    EXPECT_NE(moved.find("Unprocessed\r\n/TOP/PSU1 v v"), std::string::npos) << moved;
}

TEST(TextUpdate, TheHeaderChangesOnlyWhenAnApplicationIsGiven) {
    Loaded file(kHandKept);
    file.Block("/TOP/U2").SetProperty(reuseblocks::kRotation, "180");
    UpdateOptions options;
    options.application = "reuseblocks";
    options.hasDate = true;
    options.date = 1700000000;
    const std::string updated = file.Updated(kHandKept, UpdateResult::kUpdated, options);
    EXPECT_EQ(updated.substr(0, 100),
              "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\r\n# Application: reuseblocks\r\n"
              "# Date: Tue Nov 14 22:13:20 2023\r\n");
    // A file without those lines gets none.
    Loaded bare("/A p t s 1 2 TOP 0 mils 1 2 q\n");
    bare.Block("/A").SetProperty(1, "p2");
    EXPECT_EQ(bare.Updated("/A p t s 1 2 TOP 0 mils 1 2 q\n", UpdateResult::kUpdated, options),
              "/A p2 t s 1 2 TOP 0 mils 1 2 q \n");
}

TEST(TextUpdate, WhatCannotBeWrittenIsRefusedAndLeavesTheOutputAlone) {
    Loaded file(kHandKept);
    file.Block("/TOP/U2").SetProperty(1, "two\nlines");
    std::string updated = "untouched";
    EXPECT_EQ(reuseblocks::UpdateText(kHandKept, file.blocks, {}, updated).result,
              UpdateResult::kUnwritableValue);
    file.Block("/TOP/U2").SetProperty(1, "p");
    file.Block("/TOP/U2").SetProperty(0, "/TOP/PSU1");
    EXPECT_EQ(reuseblocks::UpdateText(kHandKept, file.blocks, {}, updated).result,
              UpdateResult::kUnwritableValue);
    const UpdateReport rejected = reuseblocks::UpdateText("/A b\n", file.blocks, {}, updated);
    EXPECT_EQ(rejected.result, UpdateResult::kRejectedText);
    EXPECT_EQ(rejected.line, 1u);
    EXPECT_EQ(rejected.message, "definition line has 2 fields, 12 expected");
    EXPECT_EQ(updated, "untouched");
}

TEST(TextUpdate, AFileUpdateThatChangesNothingWritesNothing) {
    Loaded file(kHandKept);
    const std::string path = file.dir.File("in.blocks");
    const auto before = std::filesystem::last_write_time(path);
    const UpdateReport same = reuseblocks::UpdateFileWithReport(file.blocks, path.c_str(), {});
    EXPECT_EQ(same.result, UpdateResult::kUnchanged);
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
    file.Block("/TOP/U2").SetProperty(reuseblocks::kRotation, "180");
    EXPECT_EQ(reuseblocks::UpdateFileWithReport(file.blocks, path.c_str(), {}).result,
              UpdateResult::kUpdated);
    EXPECT_NE(ReadFile(path).find("TOP 180 mils"), std::string::npos);
    EXPECT_EQ(file.dir.Entries(), (std::vector<std::string>{"in.blocks"}));
    const UpdateReport missing = reuseblocks::UpdateFileWithReport(
        file.blocks, file.dir.File("none").c_str(), file.dir.File("out").c_str(), {});
    EXPECT_EQ(missing.result, UpdateResult::kCannotRead);
    EXPECT_NE(missing.systemError, 0);
}

// Wherever a line break stands, in a row paired with one of the text's, a row added, a new
// block's definition or row, or the application name, nothing is made of the text.
TEST(TextUpdate, ALineBreakIsRefusedWhereverItWouldStand) {
    const auto refused = [](CReuseBlockFile& blocks, const UpdateOptions& options,
                            const std::string& message) {
        std::string updated = "untouched";
        const UpdateReport report = reuseblocks::UpdateText(kHandKept, blocks, options, updated);
        EXPECT_EQ(report.result, UpdateResult::kUnwritableValue);
        EXPECT_EQ(report.message, message);
        EXPECT_EQ(updated, "untouched");
    };
    const std::string lineBreak = "a value holds a line break, which would end its line early";
    for (const char* value : {"G\nD", "G\rD"}) {
        Loaded paired(kHandKept);
        paired.Block("/TOP/PSU1").GetLayerMap(1, 1) = value;
        refused(paired.blocks, {}, lineBreak);

        Loaded added(kHandKept);
        CReuseBlock& psu = added.Block("/TOP/PSU1");
        const std::uint32_t row = psu.NewLayerMap();
        for (std::uint32_t c = 0; c < 4; ++c) psu.GetLayerMap(row, c) = c == 2 ? value : "3";
        refused(added.blocks, {}, lineBreak);

        Loaded newBlock(kHandKept);
        CReuseBlock* block = newBlock.blocks.NewBlock("/TOP/NEW");
        block->Init();
        block->SetProperty(reuseblocks::kBlockPath, value);
        refused(newBlock.blocks, {}, lineBreak);
        block->SetProperty(reuseblocks::kBlockPath, "$R/new");
        const std::uint32_t newRow = block->NewLayerMap();
        block->GetLayerMap(newRow, 0) = value;
        refused(newBlock.blocks, {}, lineBreak);

        Loaded header(kHandKept);
        UpdateOptions options;
        options.application = value;
        refused(header.blocks, options, "the application name holds a line break");
    }
}

// A text the library would not load is not updated either, and says so as a load does.
TEST(TextUpdate, ATextThatDoesNotLoadIsRefusedWithTheLoadersWords) {
    const std::string definition = "/A p t s 1 2 TOP 0 mils 1 2 q\n";
    // A large text is read in pieces: the first rejection is the one of the earliest line,
    // whichever piece holds it, and a repeated ID counts as the line it stands on.
    std::string large;
    for (int i = 0; large.size() < (std::size_t{5} << 20); ++i) {
        large += "/B" + std::to_string(i) + " p t s 1 2 TOP 0 mils 1 2 q\n";
        large += "map_block_host /B" + std::to_string(i) + " 1 TOP 1 TOP\n";
    }
    const std::string lateForeign = large + "map_block_host /B0 2 TOP 2 TOP\n";
    for (const std::string& text :
         {definition + definition, definition + "map_block_host /B 1 TOP 1 TOP\n",
          definition + "map_block_host /A 1 TOP\n", definition + "map_block_host\n",
          definition + definition + "/C p t\n", "/C p t\n" + definition + definition,
          definition + large + definition, lateForeign, definition + "/A p\n" + lateForeign,
          large + definition + "map_block_host /A 1\n" + definition}) {
        SCOPED_TRACE(text.size() > 200
                         ? text.substr(0, 100) + "..." + text.substr(text.size() - 100)
                         : text);
        TempDir dir;
        WriteText(dir.File("in.blocks"), text);
        CReuseBlockFile loaded;
        const reuseblocks::LoadReport load =
            reuseblocks::LoadFileWithReport(loaded, dir.File("in.blocks").c_str());
        ASSERT_FALSE(load.Succeeded());
        std::string updated = "untouched";
        const UpdateReport report = reuseblocks::UpdateText(text, loaded, {}, updated);
        EXPECT_EQ(report.result, UpdateResult::kRejectedText);
        EXPECT_EQ(report.line, load.line);
        EXPECT_EQ(report.message, load.message);
        EXPECT_EQ(updated, "untouched");
        // Through the file: left as it was.
        const UpdateReport file =
            reuseblocks::UpdateFileWithReport(loaded, dir.File("in.blocks").c_str(), {});
        EXPECT_EQ(file.result, UpdateResult::kRejectedText);
        EXPECT_EQ(ReadFile(dir.File("in.blocks")), text);
    }
    // A header alone takes the application's name all the same.
    const std::string header = "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Application: old\n";
    CReuseBlockFile none;
    UpdateOptions options;
    options.application = "new";
    std::string updated;
    EXPECT_EQ(reuseblocks::UpdateText(header, none, options, updated).result,
              UpdateResult::kUpdated);
    EXPECT_EQ(updated, "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Application: new\n");
}

// A large text is read in pieces side by side; what it keeps and what it changes is what a small
// one would keep and change, across the place where the pieces meet.
TEST(TextUpdate, ALargeTextChangesOnlyTheLinesOfWhatChanged) {
    std::string text = "# notes before the first block\n";
    int blocks = 0;
    for (; text.size() < (std::size_t{6} << 20); ++blocks) {
        const std::string id = "/B" + std::to_string(blocks);
        text += id + " p t s 1 2 TOP 0 mils 1 2 q\n";
        if (blocks % 7 == 0) text += "# a note\n\n";
        text += "map_block_host " + id + " 1 TOP 1 TOP\n";
        text += "map_block_host " + id + " 2 GND 2 GND\n";
    }
    Loaded file(text);
    const int middle = blocks / 2;
    file.Block("/B1").SetProperty(3, "edited");
    file.Block(("/B" + std::to_string(middle)).c_str()).GetLayerMap(1, 3) = "VCC";
    file.Block(("/B" + std::to_string(middle + 1)).c_str()).SetProperty(3, "edited");
    file.blocks.RemoveBlock(("/B" + std::to_string(blocks - 2)).c_str());
    CReuseBlock* added = file.blocks.NewBlock("/NEW");
    added->Init();
    for (std::uint32_t p = 1; p < CReuseBlock::kPropertyCount; ++p) {
        if (added->GetPropertyRef(p).IsEmpty()) added->SetProperty(p, "n");
    }
    const std::string updated = file.Updated(text);
    // Lines rewritten take the library's own form, a blank after the last value.
    const auto definition = [](int block, const std::string& third) {
        return "/B" + std::to_string(block) + " p t " + third + " 1 2 TOP 0 mils 1 2 q";
    };
    std::string expected =
        Replaced(text, definition(1, "s") + "\n", definition(1, "edited") + " \n");
    const std::string row = "map_block_host /B" + std::to_string(middle) + " 2 GND 2 ";
    expected = Replaced(expected, row + "GND\n", row + "VCC \n");
    expected = Replaced(expected, definition(middle + 1, "s") + "\n",
                        definition(middle + 1, "edited") + " \n");
    const std::string removed = "/B" + std::to_string(blocks - 2);
    const std::size_t from = expected.find(removed + " p");
    const std::size_t to = expected.find("/B" + std::to_string(blocks - 1) + " p");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    // The lines of the removed block go, the note and blank line among them stay.
    std::string kept;
    for (std::size_t line = from; line < to;) {
        const std::size_t end = expected.find('\n', line) + 1;
        const std::string_view one(expected.data() + line, end - line);
        if (one.find(removed + " ") == std::string_view::npos) kept += one;
        line = end;
    }
    expected.replace(from, to - from, kept);
    // Compared whole, but not printed whole.
    EXPECT_TRUE(updated.compare(0, expected.size(), expected) == 0);
    EXPECT_EQ(updated.substr(expected.size(), 7), "/NEW n ");

    // A file gets the same text, written out from runs of the original larger than any buffer:
    // to a new file, and in place under one of two names, both of which see it.
    const std::string in = file.dir.File("in.blocks");
    const std::string copy = file.dir.File("copy.blocks");
    EXPECT_TRUE(
        reuseblocks::UpdateFileWithReport(file.blocks, in.c_str(), copy.c_str(), {}).Succeeded());
    EXPECT_TRUE(ReadFile(copy) == updated);
    const std::string other = file.dir.File("other name.blocks");
    std::filesystem::create_hard_link(in, other);
    EXPECT_EQ(reuseblocks::UpdateFileWithReport(file.blocks, in.c_str(), {}).result,
              UpdateResult::kUpdated);
    EXPECT_TRUE(ReadFile(in) == updated);
    EXPECT_TRUE(ReadFile(other) == updated);
}

// The last line of a large text may end without a line feed, and its lines may end in CR LF: the
// second piece then holds one line more than it has feeds, and that line is read like any other.
TEST(TextUpdate, ALargeTextWithoutAFinalLineFeedKeepsItsLastLine) {
    std::string text;
    int blocks = 0;
    for (; text.size() < (std::size_t{5} << 20); ++blocks) {
        const std::string id = "/B" + std::to_string(blocks);
        text += id + " p t s 1 2 TOP 0 mils 1 2 q\r\n";
        text += "map_block_host " + id + " 1 TOP 1 TOP\r\n";
    }
    const std::string last = "/B" + std::to_string(blocks - 1);
    text += "map_block_host " + last + " 2 GND 2 GND";  // no line feed
    Loaded file(text);
    const std::string unchanged = file.Updated(text, UpdateResult::kUnchanged);
    EXPECT_TRUE(unchanged == text);
    file.Block(last.c_str()).GetLayerMap(1, 3) = "VCC";
    file.Block("/B0").SetProperty(3, "edited");
    const std::string updated = file.Updated(text);
    std::string expected = Replaced(text, "/B0 p t s 1 2 TOP 0 mils 1 2 q\r\n",
                                    "/B0 p t edited 1 2 TOP 0 mils 1 2 q \r\n");
    // Rewritten, it takes the library's form, a line end included.
    expected = Replaced(expected, " 2 GND 2 GND", " 2 GND 2 VCC \r\n");
    EXPECT_TRUE(updated == expected);
    EXPECT_EQ(updated.substr(updated.size() - 40), expected.substr(expected.size() - 40));
}

TEST(TextUpdate, AFileUpdateWithoutASourceOrATargetSaysWhich) {
    Loaded file(kHandKept);
    const std::string path = file.dir.File("in.blocks");
    const UpdateReport noSource = reuseblocks::UpdateFileWithReport(file.blocks, nullptr, {});
    EXPECT_EQ(noSource.result, UpdateResult::kCannotRead);
    EXPECT_NE(noSource.message.find("cannot open \"\""), std::string::npos) << noSource.message;
    const UpdateReport noTarget =
        reuseblocks::UpdateFileWithReport(file.blocks, path.c_str(), nullptr, {});
    EXPECT_EQ(noTarget.result, UpdateResult::kCannotWrite);
    EXPECT_EQ(noTarget.step, reuseblocks::WriteStep::kOpen);
    EXPECT_EQ(ReadFile(path), kHandKept);
    EXPECT_EQ(file.dir.Entries(), (std::vector<std::string>{"in.blocks"}));
}

TEST(TextUpdate, EveryResultHasItsName) {
    using R = UpdateResult;
    const std::pair<R, const char*> names[] = {{R::kUpdated, "Updated"},
                                               {R::kUnchanged, "Unchanged"},
                                               {R::kCannotRead, "CannotRead"},
                                               {R::kRejectedText, "RejectedText"},
                                               {R::kUnwritableValue, "UnwritableValue"},
                                               {R::kCannotWrite, "CannotWrite"}};
    for (const auto& [result, name] : names)
        EXPECT_STREQ(reuseblocks::UpdateResultName(result), name);
    EXPECT_STREQ(reuseblocks::UpdateResultName(static_cast<R>(99)), "Unknown");
}

}  // namespace

namespace {

// The header's date line an update writes for `seconds` since 1970.
std::string DateLine(std::int64_t seconds) {
    // The date line first: found before the application's, it is still the one replaced.
    const std::string header =
        "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Date: then\n# note\n"
        "# Application: old\n";
    CReuseBlockFile none;
    UpdateOptions options;
    options.application = "new";
    options.hasDate = true;
    options.date = seconds;
    std::string updated;
    EXPECT_EQ(reuseblocks::UpdateText(header, none, options, updated).result,
              UpdateResult::kUpdated);
    const std::size_t start = updated.find("# Date: ");
    EXPECT_NE(updated.find("# note\n# Application: new\n"), std::string::npos) << updated;
    return start == std::string::npos
               ? updated
               : updated.substr(start + 8, updated.find('\n', start) - start - 8);
}

TEST(TextUpdate, HeaderDatesBefore1970AndFarAwayAreDaysOfTheCalendar) {
    constexpr std::int64_t kDay = 86400;
    // 400 Gregorian years are 146097 days, a whole number of weeks: the same weekday and date.
    constexpr std::int64_t kFourCenturies = 146097 * kDay;
    EXPECT_EQ(DateLine(0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(DateLine(-1), "Wed Dec 31 23:59:59 1969");
    EXPECT_EQ(DateLine(-kFourCenturies), "Thu Jan  1 00:00:00 1570");
    const std::int64_t yearOne = -62135596800;  // 0001-01-01
    EXPECT_EQ(DateLine(yearOne), "Mon Jan  1 00:00:00 1");
    EXPECT_EQ(DateLine(yearOne - kFourCenturies - 1), "Sun Dec 31 23:59:59 -400");
    // Beyond what any header means, the dates stop at one far day instead of overflowing.
    const std::int64_t far = std::int64_t{1} << 50;
    EXPECT_EQ(DateLine(INT64_MAX), DateLine(far));
    EXPECT_EQ(DateLine(INT64_MIN), DateLine(-far));
    EXPECT_NE(DateLine(far), DateLine(far - kDay));
}

}  // namespace
