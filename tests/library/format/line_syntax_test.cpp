// SPDX-License-Identifier: MIT
#include "format/line_syntax.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(SplitFieldsTest, CountingFindsEveryFieldAndKeepsTheFirst) {
    // Lines of every path: no quote, a quote before and after the kept fields, fields ending
    // exactly at a chunk's end, and a quote left open.
    for (const std::string_view line :
         {std::string_view(""), std::string_view("  \t "),
          std::string_view("alpha beta gamma delta epsilon zeta eta theta iota"),
          std::string_view("0123456789abcdef 0123456789abcde ghijklmnopqrstu"),
          std::string_view("'a b' c d e f g h i j k l m n o p q r s t"),
          std::string_view("a b c d e f g h i j k l m n o p q 'r s' t"),
          std::string_view("a b 'c d e f g h i j k l m n o p q r s t")}) {
        std::vector<std::string_view> all;
        SplitFields(line, all);
        for (std::size_t kept = 0; kept <= 3; ++kept) {
            std::vector<std::string_view> fields{"left", "over", "from", "before"};
            EXPECT_EQ(reuseblocks::format::CountFields(line, fields, kept), all.size()) << line;
            ASSERT_EQ(fields.size(), std::min(kept, all.size())) << line;
            for (std::size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i], all[i]) << line;
        }
    }
}

}  // namespace

TEST(LineFeedsTest, EveryFeedIsCountedWhereverItFallsAndHoweverMany) {
    // Past the chunks a byte lane can count at once, with tails of every length, bytes that
    // differ from a feed by one bit, and a text of nothing but feeds.
    for (const std::size_t size : {0u, 1u, 15u, 16u, 17u, 4079u, 4080u, 4081u, 8191u, 70000u}) {
        std::string text(size, 'x');
        std::size_t expected = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (i % 7 == 3 || i + 1 == size) {
                text[i] = '\n';
                ++expected;
            } else if (i % 5 == 0) {
                text[i] = static_cast<char>('\n' ^ (1 << (i % 8)));
            }
        }
        EXPECT_EQ(reuseblocks::format::CountLineFeeds(text), expected) << size;
        for (std::size_t from : {std::size_t{1}, std::size_t{9}}) {
            if (from > size) continue;
            const std::string_view part = std::string_view(text).substr(from);
            EXPECT_EQ(reuseblocks::format::CountLineFeeds(part),
                      static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n')));
        }
    }
    EXPECT_EQ(reuseblocks::format::CountLineFeeds(std::string(100000, '\n')), 100000u);
}
