// SPDX-License-Identifier: MIT
// `plot`: a picture of where the blocks of a file sit, as a self-contained SVG.
#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>

#include "commands/commands.h"
#include "edit/loading.h"
#include "files/atomic_file.h"
#include "files/standard_streams.h"
#include "plot/placement.h"
#include "plot/plot_renderer.h"
#include "plot/units.h"
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

LabelKind LabelKindNamed(const std::string& name) {
    if (name == "id") return LabelKind::kId;
    if (name == "none") return LabelKind::kNone;
    return LabelKind::kSymbol;
}

// FILE with its extension replaced by .svg, never FILE itself; standard output for standard
// input.
std::string DefaultOutput(const std::string& input) {
    if (IsStandardStream(input)) return input;
    std::filesystem::path output(input);
    output.replace_extension(".svg");
    if (output == std::filesystem::path(input)) output += ".svg";
    return output.string();
}

// X0,Y0,X1,Y1, any two opposite corners.
std::optional<std::array<double, 4>> WindowOf(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::array<double, 4> corners{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const std::size_t comma = i + 1 < corners.size() ? text.find(',', start) : text.size();
        const std::optional<double> number =
            comma == std::string::npos
                ? std::nullopt
                : ParseNumber(std::string_view(text).substr(start, comma - start));
        if (!number)
            throw UsageError("--window takes four numbers X0,Y0,X1,Y1, got " + Quoted(text));
        corners[i] = *number;
        start = comma + 1;
    }
    if (corners[0] == corners[2] || corners[1] == corners[3]) {
        throw UsageError("--window " + Quoted(text) + " has no area");
    }
    return std::array<double, 4>{std::min(corners[0], corners[2]), std::min(corners[1], corners[3]),
                                 std::max(corners[0], corners[2]),
                                 std::max(corners[1], corners[3])};
}

std::optional<std::uint32_t> ColorField(const std::string& name) {
    if (name.empty()) return std::nullopt;
    const std::optional<std::uint32_t> property = PropertyNamedByUser(name);
    if (!property) throw UsageError("--color-by: " + UnknownField(name));
    return property;
}

}  // namespace

int RunPlot(const PlotOptions& options) {
    std::vector<QueryCondition> highlight = ParseConditions(options.highlight, options.ignoreCase);
    const std::optional<std::array<double, 4>> window = WindowOf(options.window);
    const std::optional<std::uint32_t> colorBy = ColorField(options.colorBy);
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    Placement placement = PlaceBlocks(ordered);
    const bool highlighting = !highlight.empty();
    PlotRequest request{options.title, LabelKindNamed(options.label), std::move(highlight), window,
                        colorBy};
    if (request.title.empty()) {
        request.title = DisplayName(options.file) + ": " +
                        Counted(ordered.size(), "block", "blocks") + ", " +
                        std::to_string(placement.drawn.size()) + " drawn, " +
                        std::to_string(placement.skipped.size()) + " not drawn";
    }
    const std::string output =
        options.output.empty() ? DefaultOutput(options.file) : options.output;
    std::error_code ignored;  // a path that cannot be compared is not the input
    if (!IsStandardStream(output) && std::filesystem::equivalent(output, options.file, ignored)) {
        throw UsageError("the picture would replace " + Quoted(options.file) + " itself");
    }
    AtomicFile picture(output);
    RenderPlot(std::move(placement), request,
               [&picture](std::string_view markup) { picture.Write(markup); });
    picture.Commit();
    // A faint board and a misspelt value look alike.
    if (highlighting && std::none_of(ordered.begin(), ordered.end(), [&](const CReuseBlock* block) {
            return Matches(*block, request.highlight);
        })) {
        PrintDiagnostic(WarningLine("no block of " + EscapeForDisplay(DisplayName(options.file)) +
                                    " matches --highlight"));
    }
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
