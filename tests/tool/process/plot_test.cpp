// SPDX-License-Identifier: MIT
// `plot`: the committed picture of the sample is what the tool draws today, and no text from a
// file can turn into markup or break the XML.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSample = REUSEBLOCKS_SAMPLE;
const fs::path kPicture = REUSEBLOCKS_SAMPLE_PICTURE;
const fs::path kCrafted = fs::path(REUSEBLOCKS_GOLDEN_DIR) / "plot_crafted.blocks";

// Every byte is part of well-formed UTF-8 and no control character but the line feed appears.
bool IsCleanUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead < 0x80 && lead < 0x20 && lead != '\n') return false;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || at + length > text.size()) return false;
        for (std::size_t index = 1; index < length; ++index) {
            if ((static_cast<unsigned char>(text[at + index]) & 0xC0) != 0x80) return false;
        }
        at += length;
    }
    return true;
}

// Where the square blocks are drawn, in drawing order.
std::vector<std::string> ShapePositions(const std::string& svg) {
    const std::size_t start = svg.find("<g class=\"blocks\">");
    const std::string blocks = svg.substr(start, svg.find("<g class=\"labels\">") - start);
    static const std::regex shape(R"re(<rect class="[a-z ]+" x="([-0-9.]+)" y="([-0-9.]+)")re");
    std::vector<std::string> positions;
    for (std::sregex_iterator it(blocks.begin(), blocks.end(), shape), end; it != end; ++it) {
        positions.push_back((*it)[1].str() + "," + (*it)[2].str());
    }
    return positions;
}

TEST(ToolPlot, SampleGivesTheCommittedPictureByteForByte) {
    const ToolRun run =
        RunTool({"plot", kSample.filename().string(), "-o", "-"}, kSample.parent_path());
    ASSERT_EQ(run.status, 0) << run.err;
    if (std::getenv("REUSEBLOCKS_UPDATE_GOLDEN") != nullptr) WriteText(kPicture, run.out);
    EXPECT_TRUE(run.out == ReadText(kPicture)) << "REUSEBLOCKS_UPDATE_GOLDEN=1 redraws it";

    // Without -o the picture goes beside the file, under the same name.
    TempDir dir;
    fs::copy_file(kSample, dir / "board.blocks");
    ASSERT_EQ(RunTool({"plot", "board.blocks"}, dir.Path()).status, 0);
    EXPECT_TRUE(ReadText(dir / "board.svg") == run.out);
    // ... and never over the file itself.
    fs::copy_file(kSample, dir / "odd.svg");
    ASSERT_EQ(RunTool({"plot", "odd.svg"}, dir.Path()).status, 0);
    EXPECT_EQ(ReadText(dir / "odd.svg"), ReadText(kSample));
    EXPECT_TRUE(fs::exists(dir / "odd.svg.svg"));

    EXPECT_EQ(RunTool({"plot", "board.blocks", "-o", "./board.blocks"}, dir.Path()).status, 2);
    EXPECT_EQ(ReadText(dir / "board.blocks"), ReadText(kSample));
    EXPECT_EQ(RunTool({"plot", kSample.string(), "--label", "bogus"}).status, 2);
    EXPECT_EQ(RunTool({"plot", "missing.blocks", "-o", "-"}).status, 1);
    EXPECT_EQ(RunTool({"plot", kSample.string(), "-o", (dir / "no/such/dir.svg")}).status, 1);
}

TEST(ToolPlot, FileTextStaysTextAndTheXmlStaysWellFormed) {
    TempDir dir;
    std::error_code error;
    if (!fs::copy_file(kCrafted, dir / "a&b<c>.blocks", error)) {
        GTEST_SKIP() << "file names here take no '<' or '>': " << error.message();
    }
    const ToolRun run = RunTool({"plot", "a&b<c>.blocks", "-o", "-", "--label", "id"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& svg = run.out;
    EXPECT_TRUE(IsCleanUtf8(svg));
    EXPECT_EQ(svg.find("\xEF\xBF\xBE"), std::string::npos) << "U+FFFE is no XML character";
    EXPECT_EQ(svg.find("<script"), std::string::npos);
    EXPECT_EQ(svg.find("<b>"), std::string::npos);
    EXPECT_EQ(svg.find("]]>"), std::string::npos);
    EXPECT_NE(svg.find("/TOP/&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(svg.find("/TOP/&amp;\u2401\u2421\uFFFD"), std::string::npos) << "controls show";
    EXPECT_NE(svg.find("<title>a&amp;b&lt;c&gt;.blocks: 8 blocks, 4 drawn, 4 not drawn"),
              std::string::npos);
    // Blocks that cannot be drawn are listed with the reason.
    for (const char* reason : {"XLOC &quot;abc&quot; is not a number",
                               "UNITS &quot;furlong&quot; is not mils, mm or inches",
                               "XLOC &quot;1e300&quot; is too far out to draw", "1 Unplaced"}) {
        EXPECT_NE(svg.find(reason), std::string::npos) << reason;
    }

    // mils, THOU, Inches and MILLIMETRES name the same place in the unit most blocks use.
    const std::vector<std::string> positions = ShapePositions(svg);
    ASSERT_EQ(positions.size(), 3u) << "the block on no known side is a diamond";
    // Stacked at one place, so each after the first is drawn aside and counted.
    EXPECT_EQ(std::set<std::string>(positions.begin(), positions.end()).size(), 3u);
    EXPECT_NE(svg.find("2 blocks on another, drawn up and right"), std::string::npos);
    EXPECT_NE(svg.find(">X (mils)<"), std::string::npos);
}

std::string Block(const std::string& id, const std::string& x, const std::string& units) {
    return id + " $REUSE/lib/sym Smashed Placed " + x + " 100 TOP 0 " + units + " 0 0 Processed\n";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ToolPlot, ReadsNumbersAndUnitsInTheUsualFormsOnly) {
    std::string file;
    const char* const numbers[] = {"1200", "+5",  "-0.5", ".5",    "2.5e3", "1,5",
                                   "0x10", "inf", "nan",  "1.2.3", "+-1",   "12mm"};
    for (const char* x : numbers) file += Block(std::string("/N/") + x, x, "mils");
    const char* const units[] = {"MIL", "Thou", "millimeter", "Millimetres", "INCH",
                                 "in",  "cm",   "mils2",      "\"mils\""};
    for (const char* unit : units) file += Block(std::string("/U/") + unit, "1", unit);
    TempDir dir;
    WriteText(dir / "forms.blocks", file);
    const ToolRun run = RunTool({"plot", "forms.blocks", "-o", "-"}, dir.Path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("21 blocks, 11 drawn, 10 not drawn"), std::string::npos);
    EXPECT_NE(run.out.find(">7 with a location that is not a number<"), std::string::npos);
    EXPECT_NE(run.out.find(">3 in unknown units<"), std::string::npos);
    EXPECT_NE(run.out.find(R"(UNITS &quot;\&quot;mils\&quot;&quot; is not mils)"),
              std::string::npos);
}

TEST(ToolPlot, ColorByAndHighlightSayWhatIsWrongInTheToolsWords) {
    TempDir dir;
    WriteText(dir / "two.blocks", Block("/A", "1", "mils") + Block("/B", "2", "mm"));
    const ToolRun misspelt = RunTool({"plot", "two.blocks", "--color-by", "xlo"}, dir.Path());
    EXPECT_EQ(misspelt.status, 2);
    EXPECT_NE(misspelt.err.find(R"(unknown field "xlo"; did you mean "XLOC"?)"), std::string::npos)
        << misspelt.err;
    const ToolRun none =
        RunTool({"plot", "two.blocks", "--highlight", "ID=/C", "-o", "-"}, dir.Path());
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "reuseblocks: warning: no block of two.blocks matches --highlight\n");
    const ToolRun colored =
        RunTool({"plot", "two.blocks", "--highlight", "ID=/B", "--color-by", "units", "-o", "-"},
                dir.Path());
    EXPECT_EQ(colored.err, "");
    EXPECT_NE(colored.out.find(">Colour: UNITS<"), std::string::npos);
}

TEST(ToolPlot, CrowdedBoardsKeepLabelsApartOrLeaveThemToTheTooltips) {
    TempDir dir;
    for (const std::size_t count : {std::size_t{400}, std::size_t{2501}}) {
        std::string file;
        for (std::size_t index = 0; index < count; ++index) {
            file += Block("/TOP/B" + std::to_string(index), std::to_string(index % 20 * 10), "mm");
        }
        WriteText(dir / "crowded.blocks", file);
        const ToolRun run = RunTool({"plot", "crowded.blocks", "-o", "-"}, dir.Path());
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string& svg = run.out;
        const std::size_t start = svg.find("<g class=\"labels\">");
        const std::size_t shown =
            start == std::string::npos
                ? 0
                : Count(svg.substr(start, svg.find("</g>", start) - start), "<text ");
        if (count > 2500) {
            EXPECT_EQ(shown, 0u);
            EXPECT_EQ(Count(svg, "class=\"rot\""), 1u) << "only the legend's";
            EXPECT_NE(svg.find("Too many blocks for labels"), std::string::npos);
            continue;
        }
        // 20 blocks on each of 20 spots: a few labels around each spot, the rest counted.
        EXPECT_GE(shown, 20u);
        EXPECT_LE(shown, 80u);
        EXPECT_NE(svg.find(">" + std::to_string(count - shown) + " labels left out where crowded<"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace reuseblocks::test
