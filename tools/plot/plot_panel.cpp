// SPDX-License-Identifier: MIT
#include "plot/plot_panel.h"

#include <array>
#include <string>

#include "plot/plot_marks.h"
#include "plot/text_width.h"
#include "plot/xml_text.h"
#include "records/fields.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

constexpr double kLineHeight = 15;
constexpr double kKeyIndent = 18;

// Writes the side panel's lines top-down from `top`.
class Panel {
  public:
    Panel(SvgWriter& svg, double left, double top) : m_svg(svg), m_left(left), m_y(top) {}

    void Line(const std::string& text, const char* cssClass = "", double indent = 0) {
        m_y += kLineHeight;
        m_svg.TextElement("text", {{"class", cssClass}, {"x", m_left + indent}, {"y", m_y}},
                          FittedText(DisplayText(text), kPanelWidth - indent, kFontSize));
    }
    // A line after a sample shape, drawn by `shape` at the given centre.
    template <typename Shape>
    void KeyLine(const std::string& text, Shape shape) {
        shape(m_left + 6, m_y + kLineHeight - 4);
        Line(text, "", kKeyIndent);
    }
    // A name and a note after it, on two lines when one cannot hold both.
    template <typename Shape>
    void Entry(const std::string& name, const std::string& note, Shape shape) {
        const std::string shownName = DisplayText(name);
        const std::string shownNote = DisplayText(note);
        if (TextWidth(shownName + "  " + shownNote, kFontSize) > kPanelWidth - kKeyIndent) {
            KeyLine(name, shape);
            Line(note, "note", kKeyIndent);
            return;
        }
        shape(m_left + 6, m_y + kLineHeight - 4);
        m_y += kLineHeight;
        m_svg.Open("text", {{"x", m_left + kKeyIndent}, {"y", m_y}});
        m_svg.Text(shownName + "  ");
        m_svg.TextElement("tspan", {{"class", "note"}}, shownNote);
        m_svg.Close("text");
    }
    void Gap() { m_y += kLineHeight / 2; }
    double Y() const { return m_y; }
    SvgWriter& Svg() { return m_svg; }

  private:
    SvgWriter& m_svg;
    double m_left;
    double m_y;
};

// A sample block of the legend.
auto KeyShape(SvgWriter& svg, const char* colorClass, BoardSide side = BoardSide::kTop) {
    return [&svg, colorClass, side](double x, double y) {
        DrawShape(svg, colorClass, side, x, y, 10);
    };
}

// Each value with its color and how many drawn blocks have it.
void DrawColorKeys(Panel& panel, const Coloring& coloring) {
    SvgWriter& svg = panel.Svg();
    panel.Line("Colour: " + std::string(PropertyName(coloring.property)), "note");
    for (std::size_t index = 0; index < coloring.keys.size(); ++index) {
        const ColorKey& key = coloring.keys[index];
        panel.Entry(key.value.empty() ? "(empty)" : key.value,
                    Counted(key.count, "block", "blocks"), KeyShape(svg, ColorClass(index)));
    }
    if (coloring.otherValues > 0) {
        panel.Entry(Counted(coloring.otherValues, "other value", "other values"),
                    Counted(coloring.otherBlocks, "block", "blocks"),
                    KeyShape(svg, ColorClass(kPaletteSize)));
    }
}

void DrawLegend(Panel& panel, const Placement& placement, LabelKind labels, std::size_t hidden,
                const Coloring* coloring) {
    SvgWriter& svg = panel.Svg();
    panel.Line("Legend", "head");
    const auto shape = [&svg](const char* colorClass, BoardSide side = BoardSide::kTop) {
        return KeyShape(svg, colorClass, side);
    };
    if (coloring) {
        DrawColorKeys(panel, *coloring);
    } else {
        panel.KeyLine(std::string(kStatusPlaced), shape(StatusClass(BlockStatus::kPlaced)));
        panel.KeyLine(std::string(kStatusPlanned), shape(StatusClass(BlockStatus::kPlanned)));
        panel.KeyLine("other status", shape(StatusClass(BlockStatus::kOther)));
    }
    panel.KeyLine("top side", shape("side", BoardSide::kTop));
    panel.KeyLine("bottom side", shape("side", BoardSide::kBottom));
    panel.KeyLine("other side", shape("side", BoardSide::kOther));
    panel.KeyLine("rotation, counter-clockwise from +X", [&svg](double x, double y) {
        DrawShape(svg, "side", BoardSide::kTop, x, y, 10);
        DrawRotation(svg, 0, x, y, RotationLength(10));
    });
    panel.Gap();
    const std::string unit(LengthUnitName(placement.unit));
    panel.Line("Positions in " + unit, "note");
    if (placement.converted > 0) {
        panel.Line(Counted(placement.converted, "block", "blocks") + " converted to " + unit,
                   "note");
    }
    if (labels != LabelKind::kNone) {
        panel.Line(std::string("Labels: ") + (labels == LabelKind::kId ? "ID" : "symbol"), "note");
    }
    if (placement.drawn.size() > kMostDetailed) {
        panel.Line("Too many blocks for labels and rotation", "note");
    } else if (hidden > 0) {
        panel.Line(Counted(hidden, "label", "labels") + " left out where crowded", "note");
    }
    panel.Line("Hover a block for all its properties", "note");
}

// In the order of SkipReason.
std::string_view ReasonName(SkipReason reason) {
    static constexpr std::string_view kNames[] = {kStatusUnplaced,
                                                  "with a location that is not a number",
                                                  "in unknown units", "too far out to draw"};
    return kNames[static_cast<std::size_t>(reason)];
}

void DrawSkipped(Panel& panel, const Placement& placement, double bottom) {
    if (placement.skipped.empty()) return;
    SvgWriter& svg = panel.Svg();
    panel.Gap();
    panel.Line("Not drawn: " + std::to_string(placement.skipped.size()), "head");
    std::array<std::size_t, 4> counts{};
    for (const SkippedBlock& skipped : placement.skipped) {
        ++counts[static_cast<std::size_t>(skipped.reason)];
    }
    for (std::size_t reason = 0; reason < counts.size(); ++reason) {
        if (counts[reason] == 0) continue;
        panel.Line(std::to_string(counts[reason]) + " " +
                       std::string(ReasonName(static_cast<SkipReason>(reason))),
                   "note");
    }
    panel.Gap();
    // A long list stops beside the board; the counts above still cover every block.
    std::size_t listed = 0;
    for (; listed < placement.skipped.size() && (panel.Y() < bottom || listed < 20); ++listed) {
        const SkippedBlock& skipped = placement.skipped[listed];
        svg.Open("g");
        DrawTooltip(svg, *skipped.block);
        const BlockStatus status = StatusOf(*skipped.block);
        panel.Entry(std::string(skipped.block->GetBlockID().GetView()), skipped.explanation,
                    [&svg, status](double x, double y) {
                        DrawShape(svg, StatusClass(status), BoardSide::kTop, x, y, 8);
                    });
        svg.Close("g");
    }
    if (listed < placement.skipped.size()) {
        panel.Line("and " + std::to_string(placement.skipped.size() - listed) +
                       " more: reuseblocks list shows all",
                   "note", kKeyIndent);
    }
}

}  // namespace

double DrawPanel(SvgWriter& svg, const Placement& placement, LabelKind labels,
                 std::size_t hiddenLabels, double left, double top, double listBottom,
                 const std::vector<std::string>& notes, const Coloring* coloring) {
    Panel panel(svg, left, top - kLineHeight);
    DrawLegend(panel, placement, labels, hiddenLabels, coloring);
    for (const std::string& note : notes) panel.Line(note, "note");
    DrawSkipped(panel, placement, listBottom);
    return panel.Y();
}

}  // namespace reuseblocks::tool
