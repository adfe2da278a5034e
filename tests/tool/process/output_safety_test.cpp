// SPDX-License-Identifier: MIT
// What the tool prints and writes is safe whatever the files hold: text from a file reaches the
// terminal escaped in every output, JSON stays valid JSON.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

// Retitles a terminal that prints it raw.
const std::string kTitleChange = "\x1b]0;owned\x07";

std::string Block(const std::string& id, const std::string& x) {
    return id + " $REUSE/a Smashed Placed " + x + " 0 TOP 0 mils 0 0 Processed\n";
}

TEST(OutputSafety, DiffShowsControlCharactersOfIdsEscapedInEveryForm) {
    TempDir dir;
    const std::string id = "/TOP/" + kTitleChange;
    WriteText(dir / "old.blocks", Block(id, "1") + Block("/TOP/gone" + kTitleChange, "1"));
    // The name of the file too, where the system takes control characters in names.
    std::string newFile = "new" + kTitleChange + ".blocks";
    const std::string newText = Block(id, "2") + Block("/TOP/new" + kTitleChange, "1");
    try {
        WriteText(dir / newFile, newText);
    } catch (const std::runtime_error&) {
        newFile = "new.blocks";
        WriteText(dir / newFile, newText);
    }
    for (const char* form : {"--stat", "--json", ""}) {
        std::vector<std::string> args = {"diff", "old.blocks", newFile};
        if (*form) args.push_back(form);
        const ToolRun run = RunTool(args, dir.Path());
        SCOPED_TRACE(form);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out.find_first_of("\x1b\x07"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(std::string(form) == "--json" ? "\\u001b]0;owned\\u0007"
                                                             : "\\x1b]0;owned\\x07"),
                  std::string::npos)
            << run.out;
    }
    const nlohmann::json json =
        nlohmann::json::parse(RunTool({"diff", "--json", "old.blocks", newFile}, dir.Path()).out);
    EXPECT_EQ(json["new"], newFile);
    EXPECT_EQ(json["blocks"][0]["id"], id);
}

}  // namespace
}  // namespace reuseblocks::test
