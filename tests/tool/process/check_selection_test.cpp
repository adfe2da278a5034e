// SPDX-License-Identifier: MIT
// `check --only`, `--skip` and `--max-problems`, and the counts by code that count every problem
// however many are shown.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kSample = REUSEBLOCKS_SAMPLE;

// `units` blocks in inches (a Units warning each), the rest in mils, and one INT_XLOC that
// disagrees with its XLOC, in the last block: what a cap on warnings used to hide. The sides
// differ, so that no block is stacked on another.
std::string ManyWarnings(int blocks, int units) {
    const std::string sample = ReadText(kSample);
    std::string text = sample.substr(0, sample.find('\n') + 1);
    for (int i = 0; i < blocks; ++i) {
        const bool inches = i < units;
        const long long internal =
            static_cast<long long>(i) * (inches ? 254000 : 254) + (i == blocks - 1 ? 1 : 0);
        text += "/TOP/B" + std::to_string(i) + " $R/b Smashed Placed " + std::to_string(i) +
                (inches ? " 0 TOP 0 inch " : " 0 BOTTOM 0 mils ") + std::to_string(internal) +
                " 0 Processed\n";
    }
    return text;
}

TEST(CheckSelection, OnlyFindsTheLastBlockBehindThousandsOfOtherWarnings) {
    TempDir dir;
    const std::string file = dir / "many.blocks";
    WriteText(file, ManyWarnings(3000, 1200));
    const std::string last = "\"/TOP/B2999\"";

    const ToolRun only = RunTool({"check", "--strict", "--only", "InternalLocation", file});
    EXPECT_EQ(only.status, 1);
    EXPECT_NE(only.err.find("INT_XLOC of block " + last), std::string::npos) << only.err;
    EXPECT_EQ(only.err.find("UNITS"), std::string::npos);
    EXPECT_NE(only.out.find("3000 blocks, 0 layer maps, 1 warning (InternalLocation 1); not "
                            "selected: Units 1200"),
              std::string::npos)
        << only.out;

    // Every warning counted, though only the first thousand are shown.
    const ToolRun all = RunTool({"check", "--strict", file});
    EXPECT_NE(all.out.find("1201 warnings (InternalLocation 1, Units 1200)"), std::string::npos)
        << all.out;
    EXPECT_NE(all.err.find("stopped showing warnings after 1000; 201 more warnings are left out"),
              std::string::npos);
    EXPECT_EQ(all.err.find(last), std::string::npos);

    const ToolRun skipped =
        RunTool({"check", "--strict", "--json", "--skip", "Units", "--max-problems", "0", file});
    const nlohmann::json report = nlohmann::json::parse(skipped.out)[0];
    ASSERT_EQ(report["problems"].size(), 1u);
    EXPECT_EQ(report["problems"][0]["block"], "/TOP/B2999");
    EXPECT_EQ(report["counts"], nlohmann::json::parse(R"({"InternalLocation": 1})"));
    EXPECT_EQ(report["not_selected"], nlohmann::json::parse(R"({"Units": 1200})"));

    const ToolRun capped = RunTool({"check", "--strict", "--json", "--max-problems", "3", file});
    const nlohmann::json capReport = nlohmann::json::parse(capped.out)[0];
    ASSERT_EQ(capReport["problems"].size(), 4u);  // three warnings and the note
    EXPECT_EQ(capReport["problems"][3]["code"], "ProblemLimit");
    EXPECT_EQ(capReport["counts"]["Units"], 1200);
    EXPECT_EQ(capReport["counts"]["InternalLocation"], 1);

    // Without --strict a selection of warnings --strict alone finds says nothing, and passes.
    EXPECT_EQ(RunTool({"check", "--only", "Units", file}).status, 0);
}

TEST(CheckSelection, ErrorsAreNeverDroppedAndCodesAreChecked) {
    TempDir dir;
    const std::string file = dir / "rejected.blocks";
    WriteText(file, ManyWarnings(10, 10) + "/TOP/SHORT p Smashed\n");
    const ToolRun run = RunTool({"check", "--strict", "--skip", "DefinitionTooShort,Units",
                                 "--skip", "InternalLocation", "--max-problems", "1", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("error: definition line has 3 fields"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;

    const ToolRun typo = RunTool({"check", "--only", "InternalLocaton", file});
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err,
              "reuseblocks: error: --only: unknown problem code \"InternalLocaton\"; did you "
              "mean \"InternalLocation\"?\n");
    EXPECT_EQ(RunTool({"check", "--skip", "Units,", file}).status, 2);
}

}  // namespace
}  // namespace reuseblocks::test
