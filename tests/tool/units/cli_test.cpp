// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "cli/near_miss.h"
#include "cli/unknown_command.h"

namespace reuseblocks::tool {
namespace {

TEST(Cli, DidYouMeanFindsTyposButNotFarOrShortGuesses) {
    const std::vector<std::string_view> names = {"check", "list", "show", "Placed"};
    EXPECT_EQ(NearestName("chek", names), "check");
    EXPECT_EQ(NearestName("lsit", names), "list");  // swapped neighbours
    EXPECT_EQ(NearestName("placed", names), "Placed");
    EXPECT_EQ(NearestName("ab", names), "");
    EXPECT_EQ(NearestName("inventory", names), "");
    EXPECT_EQ(Alternatives({"a", "b", "c"}), "a, b or c");
}

TEST(Cli, UnknownCommandsAreNamedWithTheirPath) {
    CLI::App app;
    app.add_subcommand("check");
    app.add_subcommand("map")->add_subcommand("remove");
    const auto find = [&](std::vector<const char*> words) {
        words.insert(words.begin(), "reuseblocks");
        return FindUnknownCommand(app, static_cast<int>(words.size()),
                                  const_cast<char**>(words.data()));
    };
    EXPECT_EQ(find({"chek", "a.blocks"}), "unknown command \"chek\"; did you mean \"check\"?");
    EXPECT_EQ(find({"map", "remvoe"}),
              "unknown command \"map remvoe\"; did you mean \"map remove\"?");
    EXPECT_EQ(find({"map"}), "no command given; the commands of map are remove (see --help)");
    EXPECT_EQ(find({"check", "a.blocks"}), "");
    EXPECT_EQ(find({"--help"}), "");
}

}  // namespace
}  // namespace reuseblocks::tool
