#include "plot_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "axis_ticks.h"
#include "field_names.h"
#include "label_space.h"
#include "svg_writer.h"
#include "text_output.h"
#include "text_width.h"
#include "xml_text.h"

namespace reuseblocks::tool {

namespace {

constexpr double kMargin = 16;
constexpr double kFrameTop = 52;
constexpr double kFrameWidth = 760;
constexpr double kMinFrameHeight = 360;
constexpr double kMaxFrameHeight = 620;
constexpr double kPanelWidth = 300;
constexpr double kLineHeight = 15;
constexpr double kFontSize = 11;
constexpr double kTitleFontSize = 16;
constexpr double kBoldWidening = 1.1;
constexpr double kLabelHeight = 12;
constexpr double kLabelPadding = 2;
constexpr double kLabelWidth = 160;
constexpr double kShortLabelWidth = 60;
constexpr double kKeyIndent = 18;
// Above this many drawn blocks labels and rotation strokes would bury the board: the tooltips
// still show them.
constexpr std::size_t kMostDetailed = 2500;
constexpr double kPi = 3.14159265358979323846;

constexpr const char* kStyle =
    "<style>\n"
    "text{font-family:sans-serif;font-size:11px;fill:#222}\n"
    ".title{font-size:16px;font-weight:bold}\n"
    ".head{font-weight:bold}\n"
    ".note{fill:#666}\n"
    ".grid{stroke:#e8e8e8;stroke-width:1}\n"
    ".frame{fill:none;stroke:#999;stroke-width:1}\n"
    ".placed{fill:#009e73;stroke:#009e73}\n"
    ".planned{fill:#0072b2;stroke:#0072b2}\n"
    ".unplaced{fill:#d55e00;stroke:#d55e00}\n"
    ".other{fill:#cc79a7;stroke:#cc79a7}\n"
    ".side{fill:#777;stroke:#777}\n"
    ".bottom{fill:#fff;stroke-width:2}\n"
    ".rot{fill:none;stroke:#222;stroke-width:1.5;stroke-linecap:round}\n"
    ".labels text{paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}\n"
    "</style>\n";

const char* StatusClass(BlockStatus status) {
    switch (status) {
        case BlockStatus::kPlaced:
            return "placed";
        case BlockStatus::kPlanned:
            return "planned";
        case BlockStatus::kUnplaced:
            return "unplaced";
        case BlockStatus::kOther:
            break;
    }
    return "other";
}

std::string Property(const CReuseBlock& block, std::uint32_t index) {
    return std::string(block.GetProperty(index).GetView());
}

// The tooltip of a block: every property by name, and how many layer maps it has.
std::vector<std::string> TooltipLines(const CReuseBlock& block) {
    std::vector<std::string> lines;
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        lines.push_back(std::string(PropertyName(index)) + ": " + Property(block, index));
    }
    lines.push_back(Counted(block.GetLayerMapCount(), "layer map", "layer maps"));
    return lines;
}

// The shape of a block: a square, open on the bottom side, a diamond on any other side.
void DrawShape(SvgWriter& svg, const char* colourClass, BoardSide side, double x, double y,
               double size) {
    std::string classes = colourClass;
    if (side == BoardSide::kBottom) classes += " bottom";
    const double half = size / 2;
    if (side == BoardSide::kOther) {
        const std::string r = FormattedNumber(half * 1.3, 1);
        svg.Empty("path",
                  {{"class", classes},
                   {"d", "M" + FormattedNumber(x, 1) + " " + FormattedNumber(y - half * 1.3, 1) +
                             "l" + r + " " + r + "l-" + r + " " + r + "l-" + r + " -" + r + "z"}});
        return;
    }
    // The stroke of an open square grows outwards too: shrink it to keep its size.
    const double inset = side == BoardSide::kBottom ? 1 : 0;
    svg.Empty("rect", {{"class", classes},
                       {"x", x - half + inset},
                       {"y", y - half + inset},
                       {"width", size - 2 * inset},
                       {"height", size - 2 * inset}});
}

void DrawRotation(SvgWriter& svg, double degrees, double x, double y, double length) {
    const double radians = degrees * kPi / 180;
    svg.Empty("path", {{"class", "rot"},
                       {"d", "M" + FormattedNumber(x, 1) + " " + FormattedNumber(y, 1) + "l" +
                                 FormattedNumber(length * std::cos(radians), 1) + " " +
                                 FormattedNumber(-length * std::sin(radians), 1)}});
}

// The part of the board on the frame: the drawn blocks with a margin, one scale for both axes.
struct View {
    double minX = 0;
    double minY = 0;
    double scale = 1;
    double left = 0;
    double top = kFrameTop;
    double width = kFrameWidth;
    double height = kMinFrameHeight;

    double X(double x) const { return left + (x - minX) * scale; }
    double Y(double y) const { return top + height - (y - minY) * scale; }
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
};

View FitView(const Placement& placement) {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (placement.drawn.empty()) {
        maxX = maxY = ConvertLength(1000, LengthUnit::kMils, placement.unit);
    } else {
        minX = maxX = placement.drawn.front().x;
        minY = maxY = placement.drawn.front().y;
        for (const DrawnBlock& drawn : placement.drawn) {
            minX = std::min(minX, drawn.x), maxX = std::max(maxX, drawn.x);
            minY = std::min(minY, drawn.y), maxY = std::max(maxY, drawn.y);
        }
    }
    // A single block, or a row of them, still gets a view of a sensible size.
    const double floor = ConvertLength(100, LengthUnit::kMils, placement.unit);
    const double larger = std::max({maxX - minX, maxY - minY, floor});
    const double pad = larger * 0.08;
    const double spanX = std::max(maxX - minX, floor) + 2 * pad;
    const double spanY = std::max(maxY - minY, floor) + 2 * pad;
    View view;
    view.height = std::clamp(kFrameWidth * spanY / spanX, kMinFrameHeight, kMaxFrameHeight);
    view.scale = std::min(kFrameWidth / spanX, view.height / spanY);
    view.minX = (minX + maxX) / 2 - view.width / view.scale / 2;
    view.minY = (minY + maxY) / 2 - view.height / view.scale / 2;
    return view;
}

double WidestText(const std::vector<Tick>& ticks) {
    double widest = 0;
    for (const Tick& tick : ticks) widest = std::max(widest, TextWidth(tick.text, kFontSize));
    return widest;
}

struct Axes {
    std::vector<Tick> xTicks;
    std::vector<Tick> yTicks;
};

void DrawAxes(SvgWriter& svg, const View& view, const Axes& axes, LengthUnit unit) {
    svg.Open("g", {{"class", "grid"}});
    for (const Tick& tick : axes.xTicks) {
        svg.Empty("line", {{"x1", view.X(tick.value)},
                           {"y1", view.top},
                           {"x2", view.X(tick.value)},
                           {"y2", view.Bottom()}});
    }
    for (const Tick& tick : axes.yTicks) {
        svg.Empty("line", {{"x1", view.left},
                           {"y1", view.Y(tick.value)},
                           {"x2", view.Right()},
                           {"y2", view.Y(tick.value)}});
    }
    svg.Close("g");
    svg.Empty("rect", {{"class", "frame"},
                       {"x", view.left},
                       {"y", view.top},
                       {"width", view.width},
                       {"height", view.height}});
    svg.Open("g", {{"class", "ticks"}});
    for (const Tick& tick : axes.xTicks) {
        svg.TextElement(
            "text",
            {{"x", view.X(tick.value)}, {"y", view.Bottom() + 16}, {"text-anchor", "middle"}},
            tick.text);
    }
    for (const Tick& tick : axes.yTicks) {
        svg.TextElement(
            "text", {{"x", view.left - 6}, {"y", view.Y(tick.value) + 4}, {"text-anchor", "end"}},
            tick.text);
    }
    const std::string unitName(LengthUnitName(unit));
    svg.TextElement(
        "text",
        {{"x", view.left + view.width / 2}, {"y", view.Bottom() + 36}, {"text-anchor", "middle"}},
        "X (" + unitName + ")");
    const double middle = view.top + view.height / 2;
    svg.TextElement("text",
                    {{"x", kMargin + 10},
                     {"y", middle},
                     {"text-anchor", "middle"},
                     {"transform", "rotate(-90 " + FormattedNumber(kMargin + 10, 1) + " " +
                                       FormattedNumber(middle, 1) + ")"}},
                    "Y (" + unitName + ")");
    svg.Close("g");
}

// Markers grow smaller as the board gets crowded.
double MarkerSize(std::size_t count) {
    if (count <= 300) return 12;
    if (count <= 3000) return 7;
    return 4;
}

double RotationLength(double markerSize) {
    return markerSize / 2 + 5;
}

void DrawBlocks(SvgWriter& svg, const Placement& placement, const View& view, double size) {
    const bool detailed = placement.drawn.size() <= kMostDetailed;
    svg.Open("g", {{"class", "blocks"}});
    svg.Raw("\n");
    for (const DrawnBlock& drawn : placement.drawn) {
        const CReuseBlock& block = *drawn.block;
        const double x = view.X(drawn.x);
        const double y = view.Y(drawn.y);
        svg.Open("g");
        svg.Tooltip(TooltipLines(block));
        DrawShape(svg, StatusClass(StatusOf(block)), SideOf(block), x, y, size);
        if (detailed) {
            if (const std::optional<double> rotation = ParseNumber(Property(block, kRotation))) {
                DrawRotation(svg, std::fmod(*rotation, 360.0), x, y, RotationLength(size));
            }
        }
        svg.Close("g");
    }
    svg.Close("g");
}

// The label texts to try for a block, longest first; none for --label none.
std::vector<std::string> LabelChoices(const CReuseBlock& block, LabelKind kind) {
    if (kind == LabelKind::kNone) return {};
    const std::string text =
        DisplayText(kind == LabelKind::kId ? block.GetBlockID().GetView()
                                           : block.GetBlockSymbolName().GetView());
    std::vector<std::string> choices = {FittedText(text, kLabelWidth, kFontSize)};
    // The last level of a hierarchical ID tells blocks apart best when space is short.
    std::string shorter = text;
    if (kind == LabelKind::kId && text.find('/') < text.size() - 1) {
        shorter = text.substr(text.rfind('/') + 1);
    }
    shorter = FittedText(shorter, kShortLabelWidth, kFontSize);
    if (shorter != choices.front()) choices.push_back(shorter);
    return choices;
}

// Labels go where they cover no block and no other label, inside the frame; returns how many
// found no place.
std::size_t DrawLabels(SvgWriter& svg, const Placement& placement, const View& view, double size,
                       LabelKind kind) {
    if (kind == LabelKind::kNone) return 0;
    if (placement.drawn.size() > kMostDetailed) return placement.drawn.size();
    LabelSpace space({view.left, view.top, view.width, view.height}, 3);
    // Around each block, room for its rotation stroke, which may point anywhere.
    const double half = RotationLength(size) + 1;
    for (const DrawnBlock& drawn : placement.drawn) {
        space.Take({view.X(drawn.x) - half, view.Y(drawn.y) - half, 2 * half, 2 * half});
    }
    std::size_t hidden = 0;
    svg.Open("g", {{"class", "labels"}});
    svg.Raw("\n");
    for (const DrawnBlock& drawn : placement.drawn) {
        const std::vector<std::string> choices = LabelChoices(*drawn.block, kind);
        const double x = view.X(drawn.x);
        const double y = view.Y(drawn.y);
        bool placed = false;
        for (const std::string& text : choices) {
            // A blank of kLabelPadding on either side keeps neighbouring labels apart.
            const double width = TextWidth(text, kFontSize) + 2 * kLabelPadding;
            const std::array<Box, 4> spots = {{
                {x + half + 1, y - kLabelHeight / 2, width, kLabelHeight},
                {x - half - 1 - width, y - kLabelHeight / 2, width, kLabelHeight},
                {x - width / 2, y - half - 1 - kLabelHeight, width, kLabelHeight},
                {x - width / 2, y + half + 1, width, kLabelHeight},
            }};
            for (const Box& spot : spots) {
                if (!space.TakeIfFree(spot)) continue;
                svg.TextElement("text", {{"x", spot.left + kLabelPadding}, {"y", spot.top + 9}},
                                text);
                placed = true;
                break;
            }
            if (placed) break;
        }
        if (!placed) ++hidden;
    }
    svg.Close("g");
    return hidden;
}

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

void DrawLegend(Panel& panel, const Placement& placement, LabelKind labels, std::size_t hidden) {
    SvgWriter& svg = panel.Svg();
    panel.Line("Legend", "head");
    const auto shape = [&svg](const char* colourClass, BoardSide side) {
        return [&svg, colourClass, side](double x, double y) {
            DrawShape(svg, colourClass, side, x, y, 10);
        };
    };
    panel.KeyLine("Placed", shape(StatusClass(BlockStatus::kPlaced), BoardSide::kTop));
    panel.KeyLine("Planned", shape(StatusClass(BlockStatus::kPlanned), BoardSide::kTop));
    panel.KeyLine("other status", shape(StatusClass(BlockStatus::kOther), BoardSide::kTop));
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
        if (hidden == placement.drawn.size() && hidden > kMostDetailed) {
            panel.Line("Too many blocks for labels and rotation", "note");
        } else if (hidden > 0) {
            panel.Line(Counted(hidden, "label", "labels") + " left out where crowded", "note");
        }
    }
    panel.Line("Hover a block for all its properties", "note");
}

const char* ReasonName(SkipReason reason) {
    switch (reason) {
        case SkipReason::kUnplaced:
            return "Unplaced";
        case SkipReason::kNotANumber:
            return "with a location that is not a number";
        case SkipReason::kUnknownUnits:
            return "in unknown units";
        case SkipReason::kTooFarOut:
            break;
    }
    return "too far out to draw";
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
        panel.Line(
            std::to_string(counts[reason]) + " " + ReasonName(static_cast<SkipReason>(reason)),
            "note");
    }
    panel.Gap();
    // A long list stops beside the board; the counts above still cover every block.
    std::size_t listed = 0;
    for (; listed < placement.skipped.size() && (panel.Y() < bottom || listed < 20); ++listed) {
        const SkippedBlock& skipped = placement.skipped[listed];
        svg.Open("g");
        svg.Tooltip(TooltipLines(*skipped.block));
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

std::string RenderPlot(const Placement& placement, const PlotRequest& request) {
    View view = FitView(placement);
    // One step on both axes keeps the grid square; it grows until the numbers under the X axis
    // stand apart.
    double step = RoundStep(std::max(view.width, view.height) / view.scale, 8);
    Axes axes;
    for (int attempt = 0; attempt < 8; ++attempt) {
        axes.xTicks = TicksBetween(view.minX, view.minX + view.width / view.scale, step);
        if (WidestText(axes.xTicks) + 12 <= step * view.scale) break;
        step = RoundStep(step * 2, 1);
    }
    axes.yTicks = TicksBetween(view.minY, view.minY + view.height / view.scale, step);
    view.left = kMargin + 24 + WidestText(axes.yTicks);
    const double panelLeft = view.Right() + std::max(28.0, WidestText(axes.xTicks) / 2 + 16);

    // The panel's height is known only once it is written, so the parts are written apart.
    SvgWriter panelSvg;
    Panel panel(panelSvg, panelLeft, view.top - kLineHeight + 4);
    const double size = MarkerSize(placement.drawn.size());
    SvgWriter labels;
    const std::size_t hidden = DrawLabels(labels, placement, view, size, request.labels);
    DrawLegend(panel, placement, request.labels, hidden);
    DrawSkipped(panel, placement, view.Bottom() + 40);

    const double width = panelLeft + kPanelWidth + kMargin;
    const double height = std::max(view.Bottom() + 48, panel.Y() + kMargin);
    SvgWriter svg;
    svg.TextElement("title", {}, request.title);
    svg.Raw(kStyle);
    svg.Empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#fff"}});
    svg.TextElement("text", {{"class", "title"}, {"x", kMargin}, {"y", 30.0}},
                    FittedText(DisplayText(request.title), width - 2 * kMargin,
                               kTitleFontSize * kBoldWidening));
    DrawAxes(svg, view, axes, placement.unit);
    DrawBlocks(svg, placement, view, size);
    svg.Raw(labels.Take());
    svg.Raw(panelSvg.Take());
    return SvgWriter::Document(width, height, svg.Take());
}

}  // namespace reuseblocks::tool
