// SPDX-License-Identifier: MIT
// `plot`: a picture of where the blocks of a file sit, as a self-contained SVG.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "blocks_io.h"
#include "commands.h"
#include "placement.h"
#include "plot_renderer.h"
#include "text_escape.h"
#include "text_output.h"
#include "tool_error.h"
#include "write_failure.h"

namespace reuseblocks::tool {

namespace {

LabelKind LabelKindNamed(const std::string& name) {
    if (name == "id") return LabelKind::kId;
    if (name == "none") return LabelKind::kNone;
    return LabelKind::kSymbol;
}

// FILE with its extension replaced by .svg, never FILE itself.
std::string DefaultOutput(const std::string& input) {
    std::filesystem::path output(input);
    output.replace_extension(".svg");
    if (output == std::filesystem::path(input)) output += ".svg";
    return output.string();
}

void WritePicture(const std::string& svg, const std::string& path) {
    if (path == "-") {
        // main reports output that could not be written.
        std::cout.write(svg.data(), static_cast<std::streamsize>(svg.size()));
        return;
    }
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(svg.data(), static_cast<std::streamsize>(svg.size()));
    out.close();
    if (!out) {
        const std::string why = WhyWriteFailed(path, errno);
        throw ToolError(kExitFailure, "reuseblocks: error: cannot write " + Quoted(path) +
                                          (why.empty() ? "" : ": " + why));
    }
}

}  // namespace

int RunPlot(const PlotOptions& options) {
    CReuseBlockFile blocks;
    LoadOrFail(blocks, options.file);
    const std::vector<CReuseBlock*> ordered = BlocksInOrder(blocks);
    const Placement placement = PlaceBlocks(ordered);
    PlotRequest request{options.title, LabelKindNamed(options.label)};
    if (request.title.empty()) {
        request.title = options.file + ": " + Counted(ordered.size(), "block", "blocks") + ", " +
                        std::to_string(placement.drawn.size()) + " drawn, " +
                        std::to_string(placement.skipped.size()) + " not drawn";
    }
    const std::string output =
        options.output.empty() ? DefaultOutput(options.file) : options.output;
    std::error_code ignored;  // a path that cannot be compared is not the input
    if (output != "-" && std::filesystem::equivalent(output, options.file, ignored)) {
        throw UsageError("the picture would replace " + Quoted(options.file) + " itself");
    }
    WritePicture(RenderPlot(placement, request), output);
    return kExitSuccess;
}

}  // namespace reuseblocks::tool
