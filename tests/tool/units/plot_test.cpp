// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "plot/color_by.h"
#include "plot/label_space.h"
#include "plot/plot_renderer.h"
#include "plot/svg_writer.h"
#include "plot/units.h"
#include "plot/xml_text.h"

namespace reuseblocks::tool {
namespace {

TEST(Plot, NumbersAndUnitsAreReadInTheUsualFormsOnly) {
    EXPECT_EQ(ParseNumber("+91.44"), 91.44);
    EXPECT_EQ(ParseNumber("2.5e3"), 2500.0);
    for (const char* text : {"", "1,5", "0x10", "inf", "nan", "1 ", "+-1"}) {
        EXPECT_EQ(ParseNumber(text), std::nullopt) << text;
    }
    EXPECT_EQ(FindLengthUnit("MILLIMETRES"), LengthUnit::kMillimetres);
    EXPECT_EQ(FindLengthUnit("feet"), std::nullopt);
    EXPECT_DOUBLE_EQ(ConvertLength(1, LengthUnit::kInches, LengthUnit::kMillimetres), 25.4);
    EXPECT_EQ(FormattedNumber(-0.01, 1), "0");
    EXPECT_EQ(FormattedNumber(2.50, 2), "2.5");
}

TEST(Plot, FileTextBecomesVisibleXmlText) {
    EXPECT_EQ(DisplayText("a\x01\x7f"), "a\xe2\x90\x81\xe2\x90\xa1");
    EXPECT_EQ(DisplayText("\xff\xc2\x85"), "\xef\xbf\xbd\xef\xbf\xbd");  // bad byte, C1 control
    EXPECT_EQ(XmlEscaped("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
    SvgWriter svg;
    svg.TextElement("text", {{"class", "a\"b"}}, "<\x1b>");
    EXPECT_EQ(svg.Take(), "<text class=\"a&quot;b\">&lt;\xe2\x90\x9b&gt;</text>\n");
    // Appended as the two make it, printable ASCII at its edges taken as it is.
    for (const std::string bytes :
         {"", " ~", "plain /TOP/U1 0.5", "\x1f", "\x7f", "a&b", "'", "\xc3\xa9", "\x80"}) {
        std::string out = "x";
        AppendXmlText(out, bytes);
        EXPECT_EQ(out, "x" + XmlEscaped(DisplayText(bytes))) << bytes;
    }
}

TEST(Plot, LabelSpaceTakesOnlyFreeBoxesInsideItsArea) {
    LabelSpace space({0, 0, 100, 100}, 3);
    EXPECT_TRUE(space.TakeIfFree({10, 10, 20, 10}));
    EXPECT_FALSE(space.TakeIfFree({15, 12, 20, 10}));
    EXPECT_TRUE(space.TakeIfFree({30, 10, 20, 10}));  // touching is not overlapping
    EXPECT_FALSE(space.TakeIfFree({90, 90, 20, 5}));
}

// Placed blocks on the top side of `blocks`, in the order given.
std::vector<CReuseBlock*> PlacedBlocks(CReuseBlockFile& blocks,
                                       const std::vector<std::array<std::string, 3>>& places) {
    std::vector<CReuseBlock*> ordered;
    for (const auto& [id, x, y] : places) {
        CReuseBlock* block = blocks.NewBlock(id.c_str());
        const std::array<std::string, CReuseBlock::kPropertyCount> values = {
            id, "$R/a", "Smashed", "Placed", x, y, "TOP", "0", "mils", "0", "0", "Processed"};
        for (std::uint32_t i = 0; i < values.size(); ++i) block->SetProperty(i, values[i].c_str());
        ordered.push_back(block);
    }
    return ordered;
}

TEST(Plot, HighlightWindowAndStackedBlocksShowInTheDrawingAndTheLegend) {
    CReuseBlockFile blocks;
    const std::vector<CReuseBlock*> ordered = PlacedBlocks(
        blocks,
        {{"/A", "100", "100"}, {"/B", "100", "100"}, {"/C", "100", "300"}, {"/FAR", "9000", "1"}});
    PlotRequest request{"t", LabelKind::kNone, ParseConditions({"ID=/A,/C"}), {}, {}};
    const std::string all = RenderPlot(PlaceBlocks(ordered), request);
    const std::size_t faint = all.find("<g opacity=\"0.2\">");
    EXPECT_NE(faint, std::string::npos);
    EXPECT_LT(all.find("/A"), faint);  // /B comes after /A and is faint
    EXPECT_NE(all.find("2 blocks of 4 highlighted, the rest faint"), std::string::npos);
    // /B stands on /A and is moved aside, up and right.
    EXPECT_NE(all.find("1 block on another, drawn up and right"), std::string::npos);
    request.window = std::array<double, 4>{0, 0, 1000, 1000};
    const std::string part = RenderPlot(PlaceBlocks(ordered), request);
    EXPECT_NE(part.find("1 block outside --window left out"), std::string::npos);
    EXPECT_NE(part.find("2 blocks of 3 highlighted"), std::string::npos);
}

TEST(Plot, ColorByKeysValuesInTheirOrderAndTheRestShareOneColor) {
    CReuseBlockFile blocks;
    std::vector<std::array<std::string, 3>> places;
    for (int index = 0; index < 11; ++index) {
        places.push_back(
            {index == 0 ? "/B<0>" : "/B" + std::to_string(index), "1", std::to_string(index % 10)});
    }
    Placement placement = PlaceBlocks(PlacedBlocks(blocks, places));
    const Coloring coloring = ColorBy(placement.drawn, kYLoc);
    ASSERT_EQ(coloring.keys.size(), kPaletteSize);
    EXPECT_EQ(coloring.keys[0].value, "0");
    EXPECT_EQ(coloring.keys[0].count, 2u);  // /B0 and /B10
    EXPECT_EQ(coloring.colorOf[10], 0u);
    EXPECT_EQ(coloring.otherValues, 2u);
    EXPECT_EQ(coloring.otherBlocks, 2u);
    EXPECT_STREQ(ColorClass(coloring.colorOf[9]), "vx");
    PlotRequest request{"t", LabelKind::kNone, {}, {}, kBlockHierName};
    const std::string svg = RenderPlot(std::move(placement), request);
    EXPECT_NE(svg.find(">Colour: BLOCK_HIER_NAME<"), std::string::npos);
    EXPECT_NE(svg.find("/B&lt;0&gt;  <tspan class=\"note\">1 block</tspan>"), std::string::npos);
    EXPECT_NE(svg.find("3 other values  <tspan class=\"note\">3 blocks<"), std::string::npos);
}

TEST(Plot, ALargeBoardIsDrawnWholeAndInOrder) {
    // Enough blocks to be read in halves and drawn in several lots of two halves each, the last
    // lot short; some stacked and some faint everywhere.
    CReuseBlockFile blocks;
    std::vector<std::array<std::string, 3>> places;
    constexpr int kBlocks = 40001;
    for (int index = 0; index < kBlocks; ++index) {
        places.push_back({"/B" + std::to_string(index), std::to_string(index / 2 * 10), "5"});
    }
    PlotRequest request{"t", LabelKind::kNone, ParseConditions({"ID=/B1*"}), {}, {}};
    const std::string svg = RenderPlot(PlaceBlocks(PlacedBlocks(blocks, places)), request);
    std::size_t at = 0;
    for (int index = 0; index < kBlocks; ++index) {
        const std::string id = "/B" + std::to_string(index);
        at = svg.find("BLOCK_HIER_NAME: " + id + "\n", at);
        ASSERT_NE(at, std::string::npos) << index;
        const bool faint = svg.compare(svg.rfind("<g", at), 3, "<g>") != 0;
        ASSERT_EQ(faint, id[2] != '1') << index;
    }
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t g = svg.find("<g"); g != std::string::npos; g = svg.find("<g", g + 1)) {
        ++opened;
    }
    for (std::size_t g = svg.find("</g>"); g != std::string::npos; g = svg.find("</g>", g + 1)) {
        ++closed;
    }
    EXPECT_EQ(opened, closed);
    EXPECT_NE(svg.find("20000 blocks on another, drawn up and right"), std::string::npos);
    EXPECT_NE(svg.find("11111 blocks of 40001 highlighted, the rest faint"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
}  // namespace reuseblocks::tool
