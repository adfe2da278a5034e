// SPDX-License-Identifier: MIT
#include "format/line_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using reuseblocks::format::SplitFields;

// Fields joined with "|", so that each expectation reads as one line.
std::string Split(std::string_view line, std::size_t most = static_cast<std::size_t>(-1)) {
    std::vector<std::string_view> fields;
    SplitFields(line, fields, most);
    std::string joined;
    for (std::string_view field : fields) {
        EXPECT_FALSE(field.empty());
        joined.append(joined.empty() ? "" : "|").append(field);
    }
    return joined;
}

TEST(SplitFieldsTest, WhiteSpaceSplitting) {
    EXPECT_EQ(Split(""), "");
    EXPECT_EQ(Split(" \t\r\n "), "");
    EXPECT_EQ(Split("  a \t\tb\r\nc  "), "a|b|c");
    // Only blank, tab, CR and LF separate; \v and \f are ordinary characters.
    EXPECT_EQ(Split("a\vb\fc d"), "a\vb\fc|d");
    EXPECT_EQ(Split(std::string_view("a\0b c", 5)), std::string("a\0b|c", 5));

    std::vector<std::string_view> fields{"left", "over"};
    SplitFields("   ", fields);
    EXPECT_TRUE(fields.empty());
}

TEST(SplitFieldsTest, QuotesStayInFieldsAndJoinText) {
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

TEST(SplitFieldsTest, StopsAfterTheFieldsAskedFor) {
    // Lines of both paths: without quotes, and with one that sends it the slow way; longer than
    // sixteen bytes, so that the limit falls inside and after a chunk.
    for (const std::string_view line :
         {std::string_view("alpha beta gamma delta epsilon zeta eta theta"),
          std::string_view("alpha 'beta x' gamma delta epsilon zeta eta theta")}) {
        std::string all = Split(line);
        for (std::size_t most = 0; most <= 9; ++most) {
            std::string expected;
            std::size_t taken = 0;
            for (std::size_t at = 0; at <= all.size() && taken < most;) {
                const std::size_t bar = std::min(all.find('|', at), all.size());
                expected.append(expected.empty() ? "" : "|").append(all, at, bar - at);
                at = bar + 1;
                ++taken;
            }
            EXPECT_EQ(Split(line, most), expected) << line << " " << most;
        }
    }
}

}  // namespace
