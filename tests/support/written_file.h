// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TESTS_WRITTEN_FILE_H
#define REUSEBLOCKS_TESTS_WRITTEN_FILE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "test_support.h"

// Everything after the application line, the date line already replaced by WithoutDate.
inline const std::string kHeaderTail =
    "# Date: (date)\n"
    "\n"
    "#\n"
    "\n"
    "# REUSE BLOCK format has two parts :\n"
    "#\n"
    "# 1) Block Definition - \n"
    "#\n"
    "#  EXP:  BLOCK_HIER_NAME BLOCK_PATH BLOCK_TYPE BLOCK_STATUS XLOC YLOC SIDE ROTATION UNITS "
    "INT_XLOC INT_YLOC QOR_STATUS\n"
    "#\n"
    "#    BLOCK_HIER_NAME is the instance name of the block in its hierarchical design location "
    "(for example, /B2).\n"
    "#    BLOCK_PATH is the pathname to the block symbol (for example, $REUSE/other_libs/optics).\n"
    "#    BLOCK_TYPE is the value of the Pcb_block property set in Quillark.\n"
    "#               Block types included in this file are Smashed, Primitive, or Replica.\n"
    "#    BLOCK_STATUS is assigned in LAYOUT. Block status is Unplaced, Placed, or Planned.\n"
    "#    XLOC is the X location of the block.\n"
    "#    YLOC is the Y location of the block.\n"
    "#    SIDE is the side where the block is placed.\n"
    "#    ROTATION is the rotation of the block.\n"
    "#    UNITS are the units used for the location.\n"
    "#    INT_XLOC is the X internal location of the block in database units.\n"
    "#    INT_YLOC is the Y internal location of the block in database units.\n"
    "#    QOR_STATUS is the status from the qor either Processed or Unprocessed.\n"
    "#               QOR_STATUS is new in version 2.0 of this file format.\n"
    "#\n"
    "# 2) Layer Maping Info - must start with 'map_block_host' keyword and has 5 vars\n"
    "\n"
    "#\n"
    "#  EXP:  map_block_host BLOCK_HIER_NAME BLOCK_LAYER_ORDER BLOCK_LAYER_NAME DESIGN_ORDER "
    "DESIGN_LAYER_NAME\n"
    "#\n"
    "#   BLOCK_HIER_NAME is the name of the reuse block owning this rule.\n"
    "#   BLOCK_LAYER_ORDER is the physical layer order number in the block design.\n"
    "#   BLOCK_LAYER_NAME  is the physical layer name in the block design.\n"
    "#   DESIGN_ORDER      is the physical layer order number in the host design.\n"
    "#   DESIGN_LAYER_NAME is the physical layer name in the host design.\n"
    "#\n"
    "# LIMITATIONS :\n"
    "#  1) Each Reuse Block can have only one Block Definition line with zero or more Layer "
    "Mapping lines.\n"
    "#  2) Layer Mapping rules must be defined after the owning block is defined and before\n"
    "#     the next block definition.\n";

inline std::string Header(const std::string& application) {
    return "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n# Application: " + application + "\n" +
           kHeaderTail;
}

// The written blocks, after a header that must be exact.
inline std::string Body(const std::string& path, const std::string& application = "test") {
    const std::string text = WithoutDate(ReadWrittenFile(path));
    const std::string header = Header(application);
    EXPECT_EQ(text.substr(0, header.size()), header);
    return text.substr(std::min(header.size(), text.size()));
}

inline std::size_t EntryCount(const TempDir& dir) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++count;
    return count;
}

#endif  // REUSEBLOCKS_TESTS_WRITTEN_FILE_H
