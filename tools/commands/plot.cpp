// SPDX-License-Identifier: MIT
// `plot`: a picture of where the blocks of a file sit, as a self-contained SVG.
#include <filesystem>

#include "commands/commands.h"
#include "edit/loading.h"
#include "files/atomic_file.h"
#include "files/standard_streams.h"
#include "plot/placement.h"
#include "plot/plot_renderer.h"
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

}  // namespace

int RunPlot(const PlotOptions& options) {
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    const Placement placement = PlaceBlocks(ordered);
    PlotRequest request{options.title, LabelKindNamed(options.label)};
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
    WriteWholeFile(output, RenderPlot(placement, request));
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
