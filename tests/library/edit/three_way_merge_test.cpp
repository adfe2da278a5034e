// SPDX-License-Identifier: MIT
// Three texts merged as git merges them, through the library: what stops a merge, and what a
// conflict keeps.
#include <gtest/gtest.h>
#include <reuseblocks/edit.h>

#include <string>

namespace {

// A side that does not load stops the merge, naming the side; the merged text is left alone.
TEST(ThreeWayMerge, ASideThatDoesNotLoadMergesNothing) {
    const std::string good = "/A p t s 1 2 TOP 0 mils 1 2 q\n";
    const std::string bad = good + "/B p t\n";
    for (int side = 0; side < 3; ++side) {
        std::string merged = "untouched";
        const reuseblocks::ThreeWayReport report = reuseblocks::MergeTexts(
            side == 0 ? bad : good, side == 1 ? bad : good, side == 2 ? bad : good, {}, merged);
        EXPECT_EQ(report.result, reuseblocks::ThreeWayResult::kTrouble);
        EXPECT_EQ(report.side, side);
        EXPECT_EQ(report.line, 2u);
        EXPECT_EQ(report.message, "definition line has 3 fields, 12 expected");
        EXPECT_EQ(merged, "untouched");
    }
}

// A block removed here and changed in the other text keeps the other's lines between the
// markers, each ended, also the other text's last line that had no line end.
TEST(ThreeWayMerge, RemovedHereChangedThereKeepsTheirLinesWhole) {
    const std::string a = "/A p t s 1 2 TOP 0 mils 1 2 q\n";
    const std::string b = "/B p t s 1 2 TOP 0 mils 1 2 q\n";
    std::string merged;
    const reuseblocks::ThreeWayReport report = reuseblocks::MergeTexts(
        a, a + b, a + "/B p2 t s 1 2 TOP 0 mils 1 2 q\nmap_block_host /B 1 TOP 1 TOP", {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kConflicts);
    ASSERT_EQ(report.conflicts.size(), 1u);
    EXPECT_EQ(report.conflicts[0].message, "removed here, changed in OTHER");
    EXPECT_EQ(merged, a + "<<<<<<< CURRENT\n=======\n/B p2 t s 1 2 TOP 0 mils 1 2 q\n"
                          "map_block_host /B 1 TOP 1 TOP\n>>>>>>> OTHER\n");
}

// Blocks alike in their values are alike however their lines are spaced: a side that only
// respaced a block leaves the other side's change to stand, and the spacing of the current side
// stays wherever its values do.
TEST(ThreeWayMerge, SpacingAloneIsNoChange) {
    const std::string base = "/A p t s 1 2 TOP 0 mils 1 2 q\nmap_block_host /A 1 TOP 1 TOP\n";
    const std::string respaced =
        "(/A  p t s 1 2 TOP 0 mils 1 2 q)\n  map_block_host /A 1 TOP\t1 TOP\n";
    const std::string changed = "/A p t s 1 2 BOTTOM 0 mils 1 2 q\nmap_block_host /A 1 TOP 1 TOP\n";
    std::string merged;
    reuseblocks::ThreeWayReport report =
        reuseblocks::MergeTexts(respaced, base, changed, {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kClean);
    EXPECT_EQ(merged, "/A p t s 1 2 BOTTOM 0 mils 1 2 q \n  map_block_host /A 1 TOP\t1 TOP\n");
    report = reuseblocks::MergeTexts(changed, base, respaced, {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kClean);
    EXPECT_EQ(merged, changed);
    report = reuseblocks::MergeTexts(respaced, base, base, {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kClean);
    EXPECT_EQ(merged, respaced);
    // Removed on one side, respaced on the other: removed.
    report = reuseblocks::MergeTexts(respaced, base + "/B p t s 1 2 TOP 0 mils 1 2 q\n",
                                     "/B  p t s 1 2 TOP 0 mils 1 2 q\n", {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kClean);
    EXPECT_EQ(merged, "");
}

// Blocks in a different order on each side are matched by ID all the same: a block moved on
// one side, others changed, removed or added on the other, all merge cleanly.
TEST(ThreeWayMerge, SidesHoldingTheirBlocksInOtherOrdersMergeByID) {
    const auto line = [](const char* id, const char* side = "TOP", const char* x = "1") {
        return std::string(id) + " p t s " + x + " 2 " + side + " 0 mils 1 2 q\n";
    };
    const std::string base = line("/A") + line("/B") + line("/C") + line("/D") + line("/E");
    const std::string current =
        line("/A") + line("/B") + line("/D", "TOP", "5") + line("/E") + line("/C");
    const std::string other =
        line("/E") + line("/D") + line("/C") + line("/B", "BOTTOM") + line("/F");
    std::string merged;
    const reuseblocks::ThreeWayReport report =
        reuseblocks::MergeTexts(current, base, other, {}, merged);
    ASSERT_EQ(report.result, reuseblocks::ThreeWayResult::kClean);
    EXPECT_EQ(merged, "/B p t s 1 2 BOTTOM 0 mils 1 2 q \n" + line("/D", "TOP", "5") + line("/E") +
                          line("/C") + "/F p t s 1 2 TOP 0 mils 1 2 q \n");
}

}  // namespace
