// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "io/line_tokenizer.h"

namespace {

using reuseblocks::detail::TokenizeLine;

// Fields joined with "|", so that each expectation reads as one line.
std::string Split(std::string_view line, std::string_view specials = " ") {
    std::vector<std::string_view> fields;
    TokenizeLine(line, fields, specials);
    std::string joined;
    for (std::string_view field : fields) {
        EXPECT_FALSE(field.empty());
        joined.append(joined.empty() ? "" : "|").append(field);
    }
    return joined;
}

TEST(LineTokenizerTest, WhiteSpaceSplitting) {
    EXPECT_EQ(Split(""), "");
    EXPECT_EQ(Split(" \t\r\n "), "");
    EXPECT_EQ(Split("  a \t\tb\r\nc  "), "a|b|c");
    // Only blank, tab, CR and LF separate; \v and \f are ordinary characters.
    EXPECT_EQ(Split("a\vb\fc d"), "a\vb\fc|d");
    EXPECT_EQ(Split(std::string_view("a\0b c", 5)), std::string("a\0b|c", 5));
    // The loader's blank-only set splits exactly as no special characters would.
    EXPECT_EQ(Split(" x  y\tz ", " "), Split(" x  y\tz ", ""));

    std::vector<std::string_view> fields{"left", "over"};
    TokenizeLine("   ", fields, " ");
    EXPECT_TRUE(fields.empty());
}

TEST(LineTokenizerTest, QuotesStayInFieldsAndJoinText) {
    EXPECT_EQ(Split("\"a b\" c"), "\"a b\"|c");
    EXPECT_EQ(Split("a\" b\"c"), "a\" b\"c");  // six characters, one field
    EXPECT_EQ(Split("x'a\tb'y z"), "x'a\tb'y|z");
    // One flag for both quote characters: a single quote closes a double-quoted stretch.
    EXPECT_EQ(Split("\"a'b c\""), "\"a'b|c\"");
    EXPECT_EQ(Split("\"it's\" x"), "\"it's\" x");
    // An unclosed quote keeps the rest of the line, white space included.
    EXPECT_EQ(Split("a \"b c\t d "), "a|\"b c\t d ");
    EXPECT_EQ(Split("\"\""), "\"\"");
}

TEST(LineTokenizerTest, SpecialCharacters) {
    EXPECT_EQ(Split("a,b", ","), "a|,|b");
    EXPECT_EQ(Split("a,,b", ","), "a|,|,|b");
    EXPECT_EQ(Split(",a, ", ","), ",|a|,");
    EXPECT_EQ(Split("\"a,b\",c", ","), "\"a,b\"|,|c");
    EXPECT_EQ(Split("(a b)", "()"), "(|a|b|)");
    // A special quote character is a field outside quotes, and still closes a quoted stretch.
    EXPECT_EQ(Split("a'b c", "'"), "a|'|b|c");
    EXPECT_EQ(Split("\"a' b", "'"), "\"a'|b");
}

}  // namespace
