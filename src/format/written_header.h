// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_FORMAT_WRITTEN_HEADER_H
#define REUSEBLOCKS_FORMAT_WRITTEN_HEADER_H

// The header of a file written whole: the format line, the application and date lines, then an
// explanation that is the same in every file. Whoever tells a file's own comments from the ones
// a write brings reads them here, not from a written copy.

#include <reuseblocks/fields.h>

#include <string_view>

#include "format/line_syntax.h"

namespace reuseblocks::format {

// The labels of the header lines that name the application and the date of writing; the text
// follows after one blank.
inline constexpr std::string_view kApplicationLabel = "# Application:";
inline constexpr std::string_view kDateLabel = "# Date:";

// The lines after the date line and the blank line that follows it, one entry a line, exactly
// as readers have always seen them (spelling included).
inline constexpr std::string_view kHeaderExplanation[] = {
    "#",
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
static_assert(sizeof kHeaderExplanation / sizeof kHeaderExplanation[0] == 38);

// Whether `line` is a comment line every write brings: the format line, the application and
// date lines whatever they name, or a line of the explanation; white space and record ends aside.
inline bool IsWrittenHeaderComment(std::string_view line) noexcept {
    const std::string_view trimmed = TrimLine(line);
    if (trimmed.empty()) return false;
    if (trimmed == kFormatLine ||
        trimmed.substr(0, kApplicationLabel.size()) == kApplicationLabel ||
        trimmed.substr(0, kDateLabel.size()) == kDateLabel) {
        return true;
    }
    for (const std::string_view written : kHeaderExplanation) {
        if (TrimLine(written) == trimmed) return true;
    }
    return false;
}

}  // namespace reuseblocks::format

#endif  // REUSEBLOCKS_FORMAT_WRITTEN_HEADER_H
