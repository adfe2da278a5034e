// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>

#include "terminal/table.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {
namespace {

TEST(Terminal, EscapingLeavesNoControlCharacterAndIsStable) {
    EXPECT_EQ(EscapeForDisplay("a\x1b]0;t\x07"), "a\\x1b]0;t\\x07");
    EXPECT_EQ(EscapeForDisplay("\r\n\t"), "\\r\\n\\t");
    EXPECT_EQ(EscapeForDisplay("\xc2\x9b"
                               "1m"),
              "\\xc2\\x9b1m");  // C1 CSI
    EXPECT_EQ(EscapeForDisplay("\xff\xe2\x82"), "\\xff\\xe2\\x82");
    EXPECT_EQ(EscapeForDisplay("caf\xc3\xa9 \\"), "caf\xc3\xa9 \\");
    const std::string once = EscapeForDisplay("x\x1by\xfe");
    EXPECT_EQ(EscapeForDisplay(once), once);
    EXPECT_EQ(Quoted("0\r\"\\"), "\"0\\r\\\"\\\\\"");
}

TEST(Terminal, TablesEscapeEveryCellAndAlignByDisplayWidth) {
    EXPECT_EQ(DisplayWidth("\xe6\x97\xa5x"), 3u);  // a wide character and a narrow one
    EXPECT_EQ(DisplayWidth("e\xcc\x81"), 1u);      // a combining accent
    AlignedTable table;
    table.AddRow({"\xe6\x97\xa5", "a"});
    table.AddRow({"\x1b[2J", ""});
    table.AddRow({"xyz", "b"});
    std::ostringstream out;
    table.Print(out);
    EXPECT_EQ(out.str(), "\xe6\x97\xa5       a\n\\x1b[2J  -\nxyz      b\n");

    // The width a cell is laid out by is found while it is escaped: it is the width of the text
    // shown, whatever the value holds.
    for (const std::string value :
         {"", "plain", "\xe6\x97\xa5\xe6\x97\xa5", "e\xcc\x81x", "\x01\x1b[2J\x7f", "\r\n\t\\\"",
          "\xc2\x9b\xc2\xa0", "\xff\xe2\x82", "\xf0\x9f\x98\x80ok",
          "\xef\xbc\xa1\xcc\x81\xe2\x80\x8b"}) {
        std::string shown = "x";
        EXPECT_EQ(AppendCell(shown, value), DisplayWidth(Cell(value))) << Cell(value);
        EXPECT_EQ(shown, "x" + Cell(value));
    }
}

TEST(Terminal, ErrorsAndDiagnosticsHaveOneForm) {
    EXPECT_EQ(ErrorLine("no"), "reuseblocks: error: no");
    EXPECT_EQ(UsageError("bad").Status(), kExitUsage);
    EXPECT_STREQ(Failure("x").what(), "reuseblocks: error: x");
    EXPECT_EQ(Diagnostic("a\x1b.blocks", 3, "warning", "m\n"), "a\\x1b.blocks:3: warning: m\\n");
    EXPECT_EQ(Diagnostic("-", 0, "error", "m"), "-: error: m");
}

}  // namespace
}  // namespace reuseblocks::tool
