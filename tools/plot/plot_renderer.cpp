// SPDX-License-Identifier: MIT
#include "plot/plot_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <tuple>

#include "platform/side_by_side.h"
#include "plot/axis_ticks.h"
#include "plot/color_by.h"
#include "plot/label_space.h"
#include "plot/plot_marks.h"
#include "plot/plot_panel.h"
#include "plot/svg_writer.h"
#include "plot/text_width.h"
#include "plot/xml_text.h"
#include "records/fields.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

// Sizes in pixels.
constexpr double kMargin = 16, kFrameTop = 52, kFrameWidth = 760;
constexpr double kMinFrameWidth = 400, kMinFrameHeight = 360, kMaxFrameHeight = 620;
constexpr double kTitleFontSize = 16, kBoldWidening = 1.1;
constexpr double kLabelHeight = 12, kLabelPadding = 2, kLabelWidth = 160, kShortLabelWidth = 60;

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

View FitView(const Placement& placement, const std::optional<std::array<double, 4>>& window) {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (window) {
        minX = (*window)[0], minY = (*window)[1], maxX = (*window)[2], maxY = (*window)[3];
    } else if (placement.drawn.empty()) {
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
    // The frame takes the board's shape within bounds, so that a tall board gets a narrow frame.
    View view;
    view.height = std::clamp(kFrameWidth * spanY / spanX, kMinFrameHeight, kMaxFrameHeight);
    view.width = std::clamp(view.height * spanX / spanY, kMinFrameWidth, kFrameWidth);
    view.scale = std::min(view.width / spanX, view.height / spanY);
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

// A block at the same place and side as earlier ones is moved this far right and up for each of
// them, up to kMostStackedShown, so that both show.
constexpr double kStackOffset = 3;
constexpr std::size_t kMostStackedShown = 4;

// How many blocks earlier in the file stand at each block's place on its side. One sort of the
// places costs less than a tree of them, which allocates for every block.
std::vector<std::size_t> StackDepths(const DrawnBlocks& drawn) {
    struct Key {
        BoardSide side;
        double x;
        double y;
        std::size_t index;
    };
    detail::platform::HugePageVector<Key> keys;
    keys.reserve(drawn.size());
    for (std::size_t index = 0; index < drawn.size(); ++index) {
        keys.push_back({SideOf(*drawn[index].block), drawn[index].x, drawn[index].y, index});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return std::tie(a.side, a.x, a.y, a.index) < std::tie(b.side, b.x, b.y, b.index);
    });
    std::vector<std::size_t> depths(drawn.size(), 0);
    for (std::size_t at = 1; at < keys.size(); ++at) {
        const Key& before = keys[at - 1];
        const Key& key = keys[at];
        if (key.side == before.side && key.x == before.x && key.y == before.y) {
            depths[key.index] = depths[before.index] + 1;
        }
    }
    return depths;
}

// Whether each drawn block meets --highlight; empty when nothing is highlighted.
std::vector<bool> HighlightedBlocks(const Placement& placement,
                                    const std::vector<QueryCondition>& highlight) {
    std::vector<bool> highlighted;
    if (highlight.empty()) return highlighted;
    highlighted.reserve(placement.drawn.size());
    for (const DrawnBlock& drawn : placement.drawn) {
        highlighted.push_back(Matches(*drawn.block, highlight));
    }
    return highlighted;
}

// What is known of the blocks before they are drawn, so that the legend, and with it the size of
// the picture, can be written first.
struct BlockMarks {
    std::vector<std::size_t> depths;  // StackDepths
    std::vector<bool> highlighted;    // HighlightedBlocks
    const Coloring* coloring = nullptr;
};

// The blocks drawn from `first` to `last` (indexes of placement.drawn).
void DrawBlockRange(SvgWriter& svg, const Placement& placement, const BlockMarks& marks,
                    std::size_t first, std::size_t last, const View& view, double size) {
    const bool detailed = placement.drawn.size() <= kMostDetailed;
    // Memory reserved but never written costs little: a generous guess beats copying the markup
    // as it grows.
    constexpr std::size_t kMarkupPerBlock = 320;
    svg.Reserve((last - first) * kMarkupPerBlock);
    for (std::size_t index = first; index < last; ++index) {
        const DrawnBlock& drawn = placement.drawn[index];
        const CReuseBlock& block = *drawn.block;
        const std::size_t below = marks.depths[index];
        const double shift = kStackOffset * static_cast<double>(std::min(below, kMostStackedShown));
        const double x = view.X(drawn.x) + shift;
        const double y = view.Y(drawn.y) - shift;
        if (marks.highlighted.empty() || marks.highlighted[index]) {
            svg.Open("g");
        } else {
            svg.Open("g", {{"opacity", "0.2"}});
        }
        DrawTooltip(svg, block);
        DrawShape(svg,
                  marks.coloring ? ColorClass(marks.coloring->colorOf[index])
                                 : StatusClass(StatusOf(block)),
                  SideOf(block), x, y, size);
        if (detailed) {
            if (const std::optional<double> rotation =
                    ParseNumber(block.GetPropertyRef(kRotation).GetView())) {
                DrawRotation(svg, std::fmod(*rotation, 360.0), x, y, RotationLength(size));
            }
        }
        svg.Close("g");
    }
}

// The blocks are drawn this many at a time, each lot written before the next is drawn: the
// markup of a large board never waits whole in memory, and the same few megabytes serve every
// lot.
constexpr std::size_t kBlocksPerLot = 16384;
// From this many blocks in a lot on, its second half is drawn on a thread of its own.
constexpr std::size_t kBlocksDrawnInHalves = 4096;

void DrawBlocks(const std::function<void(std::string_view)>& write, const Placement& placement,
                const BlockMarks& marks, const View& view, double size) {
    SvgWriter firstHalf;
    SvgWriter secondHalf;
    firstHalf.Open("g", {{"class", "blocks"}});
    firstHalf.Raw("\n");
    const std::size_t count = placement.drawn.size();
    for (std::size_t lot = 0; lot < count; lot += kBlocksPerLot) {
        const std::size_t lotSize = std::min(kBlocksPerLot, count - lot);
        detail::platform::InHalves(lotSize, kBlocksDrawnInHalves,
                                   [&](int half, std::size_t first, std::size_t last) {
                                       DrawBlockRange(half == 0 ? firstHalf : secondHalf, placement,
                                                      marks, lot + first, lot + last, view, size);
                                       return 0;
                                   });
        write(firstHalf.Markup());
        write(secondHalf.Markup());
        firstHalf.Clear();
        secondHalf.Clear();
    }
    firstHalf.Close("g");
    write(firstHalf.Markup());
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

// The placement without the blocks outside the window; returns how many those are.
std::size_t KeepInside(Placement& placement, const std::array<double, 4>& window) {
    const auto outside = [&](const DrawnBlock& drawn) {
        return drawn.x < window[0] || drawn.y < window[1] || drawn.x > window[2] ||
               drawn.y > window[3];
    };
    const auto kept = std::remove_if(placement.drawn.begin(), placement.drawn.end(), outside);
    const auto removed = static_cast<std::size_t>(placement.drawn.end() - kept);
    placement.drawn.erase(kept, placement.drawn.end());
    return removed;
}

}  // namespace

void RenderPlot(Placement placement, const PlotRequest& request,
                const std::function<void(std::string_view)>& write) {
    const std::size_t outside = request.window ? KeepInside(placement, *request.window) : 0;
    View view = FitView(placement, request.window);
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

    // The size of the picture is known only once the panel is written, and the panel follows the
    // blocks: it and the labels are written apart, before the blocks are drawn.
    const double size = MarkerSize(placement.drawn.size());
    SvgWriter labels;
    const std::size_t hidden = DrawLabels(labels, placement, view, size, request.labels);
    std::optional<Coloring> coloring;
    if (request.colorBy) coloring = ColorBy(placement.drawn, *request.colorBy);
    BlockMarks marks{StackDepths(placement.drawn), HighlightedBlocks(placement, request.highlight),
                     coloring ? &*coloring : nullptr};
    std::vector<std::string> notes;
    if (!request.highlight.empty()) {
        const auto standOut = std::count(marks.highlighted.begin(), marks.highlighted.end(), true);
        notes.push_back(Counted(static_cast<std::size_t>(standOut), "block", "blocks") + " of " +
                        std::to_string(placement.drawn.size()) + " highlighted, the rest faint");
    }
    if (request.window) {
        notes.push_back(Counted(outside, "block", "blocks") + " outside --window left out");
    }
    const auto stacked = static_cast<std::size_t>(std::count_if(
        marks.depths.begin(), marks.depths.end(), [](std::size_t below) { return below > 0; }));
    if (stacked > 0) {
        notes.push_back(Counted(stacked, "block", "blocks") + " on another, drawn up and right");
    }
    SvgWriter panel;
    const double panelBottom = DrawPanel(panel, placement, request.labels, hidden, panelLeft,
                                         view.top + 4, view.Bottom() + 40, notes, marks.coloring);

    const double width = panelLeft + kPanelWidth + kMargin;
    const double height = std::max(view.Bottom() + 48, panelBottom + kMargin);
    write(SvgWriter::DocumentStart(width, height));
    SvgWriter svg;
    svg.TextElement("title", {}, request.title);
    svg.Raw(kPlotStyle);
    if (coloring) svg.Raw(kColorStyle);
    svg.Empty("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "#fff"}});
    svg.TextElement("text", {{"class", "title"}, {"x", kMargin}, {"y", 30.0}},
                    FittedText(DisplayText(request.title), width - 2 * kMargin,
                               kTitleFontSize * kBoldWidening));
    DrawAxes(svg, view, axes, placement.unit);
    write(svg.Markup());
    DrawBlocks(write, placement, marks, view, size);
    write(labels.Markup());
    write(panel.Markup());
    write(SvgWriter::DocumentEnd());
}

std::string RenderPlot(Placement placement, const PlotRequest& request) {
    std::string whole;
    RenderPlot(std::move(placement), request, [&whole](std::string_view part) { whole += part; });
    return whole;
}

}  // namespace reuseblocks::tool
