// SPDX-License-Identifier: MIT
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#include "edit/header_date.h"
#include "format/line_syntax.h"
#include "format/written_line.h"
#include "io/blocks_file_writer.h"
#include "io/output_file.h"
#include "io/repeated_ids.h"
#include "model/layer_map.h"
#include "platform/file_system.h"
#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

using reuseblocks::kMappingKeyword;
using reuseblocks::detail::OutputFile;

namespace {

// The explanatory block that follows the date line, one entry a line, exactly as readers have
// always seen it (spelling included).
constexpr std::string_view kHeaderComment[] = {
    "",
    "# REUSE BLOCK format has two parts :",
    "#",
    "# 1) Block Definition - ",
    "#",
    "#  EXP:  BLOCK_HIER_NAME BLOCK_PATH BLOCK_TYPE BLOCK_STATUS XLOC YLOC SIDE ROTATION UNITS "
    "INT_XLOC INT_YLOC QOR_STATUS",
    "#",
    "#    BLOCK_HIER_NAME is the instance name of the block in its hierarchical design location "
    "(for example, /B2).",
    "#    BLOCK_PATH is the pathname to the block symbol (for example, $REUSE/other_libs/optics).",
    "#    BLOCK_TYPE is the value of the Pcb_block property set in Quillark.",
    "#               Block types included in this file are Smashed, Primitive, or Replica.",
    "#    BLOCK_STATUS is assigned in LAYOUT. Block status is Unplaced, Placed, or Planned.",
    "#    XLOC is the X location of the block.",
    "#    YLOC is the Y location of the block.",
    "#    SIDE is the side where the block is placed.",
    "#    ROTATION is the rotation of the block.",
    "#    UNITS are the units used for the location.",
    "#    INT_XLOC is the X internal location of the block in database units.",
    "#    INT_YLOC is the Y internal location of the block in database units.",
    "#    QOR_STATUS is the status from the qor either Processed or Unprocessed.",
    "#               QOR_STATUS is new in version 2.0 of this file format.",
    "#",
    "# 2) Layer Maping Info - must start with 'map_block_host' keyword and has 5 vars",
    "",
    "#",
    "#  EXP:  map_block_host BLOCK_HIER_NAME BLOCK_LAYER_ORDER BLOCK_LAYER_NAME DESIGN_ORDER "
    "DESIGN_LAYER_NAME",
    "#",
    "#   BLOCK_HIER_NAME is the name of the reuse block owning this rule.",
    "#   BLOCK_LAYER_ORDER is the physical layer order number in the block design.",
    "#   BLOCK_LAYER_NAME  is the physical layer name in the block design.",
    "#   DESIGN_ORDER      is the physical layer order number in the host design.",
    "#   DESIGN_LAYER_NAME is the physical layer name in the host design.",
    "#",
    "# LIMITATIONS :",
    "#  1) Each Reuse Block can have only one Block Definition line with zero or more Layer "
    "Mapping lines.",
    "#  2) Layer Mapping rules must be defined after the owning block is defined and before",
    "#     the next block definition.",
};
static_assert(sizeof kHeaderComment / sizeof kHeaderComment[0] == 37);

using reuseblocks::format::HoldsLineBreak;

// A line break in a value would end its line early and start a record of its own.
bool AnyValueHoldsLineBreak(const CReuseBlockFile& blocks) {
    for (POSITION position = blocks.GetStartPosition(); position;) {
        const CReuseBlock& block = *blocks.GetNext(position);
        for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
            if (HoldsLineBreak(block.GetPropertyRef(index).GetView())) return true;
        }
        for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
            for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
                if (HoldsLineBreak(block.GetLayerMapRef(row, column).GetView())) return true;
            }
        }
    }
    return false;
}

// One line, straight into the output's buffer where it fits.
template <std::size_t N>
void WriteLine(OutputFile& out, const std::array<std::string_view, N>& values) {
    namespace format = reuseblocks::format;
    const std::string_view end = reuseblocks::detail::platform::kLineEnd;
    if (char* const room = out.Room(format::WrittenLineLength(values, end))) {
        out.Added(static_cast<std::size_t>(format::PutWrittenLine(room, values, end) - room));
        return;
    }
    std::string line;
    format::AppendWrittenLine(line, values, end);
    out.Write(line);
}

}  // namespace

namespace reuseblocks::detail {

// The fixed header of every file written whole, dated `date`.
void WriteBlocksHeader(OutputFile& out, const char* appName, const std::string& date) {
    const std::string_view application =
        appName && *appName ? std::string_view(appName) : std::string_view("Unknown");
    out.Write(reuseblocks::kFormatLine);
    out.EndLine();
    out.Write(reuseblocks::format::kApplicationLabel);
    out.Write(" ");
    out.Write(application);
    out.EndLine();
    // asctime's own line end, then the line's: an empty line follows the date.
    out.Write(reuseblocks::format::kDateLabel);
    out.Write(" ");
    out.Write(date);
    out.EndLine();
    out.EndLine();
    out.Write("#");
    out.EndLine();
    for (std::string_view line : kHeaderComment) {
        out.Write(line);
        out.EndLine();
    }
}

platform::OutputFailure BlocksFileWriter::Write(const CReuseBlockFile& blocks, const char* path,
                                                const char* application) {
    return Write(blocks, path, application, WriteFileOptions{});
}

platform::OutputFailure BlocksFileWriter::Write(const CReuseBlockFile& blocks, const char* path,
                                                const char* application,
                                                const WriteFileOptions& options) {
    // A file with a line break in a value or in `application`, or with an ID written twice, would
    // not read back as written: known before anything is opened.
    if ((application && HoldsLineBreak(application)) || AnyValueHoldsLineBreak(blocks) ||
        !RepeatedIDs::Find(blocks).empty()) {
        return platform::OutputFailure{WriteStep::kCheck, 0, std::string()};
    }
    OutputFile out;
    if (!out.Open(path)) return out.Failure();
    WriteBlocksHeader(out, application, HeaderDateText(options.hasDate, options.date));
    for (POSITION position = blocks.GetStartPosition(); position;) {
        blocks.WriteBlock(out, blocks.GetNext(position));
    }
    return out.Commit() ? platform::OutputFailure{} : out.Failure();
}

}  // namespace reuseblocks::detail

int CReuseBlockFile::WriteFile(const char* fileName, const char* appName) {
    const auto failure = reuseblocks::detail::BlocksFileWriter::Write(*this, fileName, appName);
    return failure.step == reuseblocks::WriteStep::kNone ? 1 : 0;
}

void CReuseBlockFile::WriteHeader(OutputFile& out, const char* appName) const {
    reuseblocks::detail::WriteBlocksHeader(out, appName,
                                           reuseblocks::detail::HeaderDateText(false, 0));
}

void CReuseBlockFile::WriteBlock(OutputFile& out, const CReuseBlock* block) const {
    namespace format = reuseblocks::format;
    const format::DefinitionValues properties = format::DefinitionValuesOf(*block);
    WriteLine(out, properties);
    for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
        WriteLine(out, format::MappingValuesOf(*block, properties[0], row));
    }
}
