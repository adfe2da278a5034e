// SPDX-License-Identifier: MIT
// Each golden/NAME.expected starts with the command line ("$ reuseblocks check --strict F") and
// holds what the tool printed, stdout before stderr, then its exit status. The commands run in
// the golden folder, so file names in the output are short and stable.
// REUSEBLOCKS_UPDATE_GOLDEN=1 rewrites the expected files from the current output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

namespace fs = std::filesystem;

const std::string kPrompt = "$ reuseblocks";

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

TEST(ToolGolden, CheckPrintsExactlyTheExpectedDiagnostics) {
    const fs::path folder = REUSEBLOCKS_GOLDEN_DIR;
    std::vector<fs::path> cases;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".expected") cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 9u);

    const bool update = std::getenv("REUSEBLOCKS_UPDATE_GOLDEN") != nullptr;
    for (const fs::path& path : cases) {
        SCOPED_TRACE(path.filename().string());
        const std::string expected = ReadText(path);
        const std::string command = expected.substr(0, expected.find('\n'));
        ASSERT_EQ(command.rfind(kPrompt, 0), 0u);

        const ToolRun run = RunTool(Words(command.substr(kPrompt.size())), folder);
        const std::string actual =
            command + "\n" + run.out + run.err + "exit " + std::to_string(run.status) + "\n";
        if (update) {
            WriteText(path, actual);
            continue;
        }
        EXPECT_EQ(actual, expected);
    }
}

}  // namespace
}  // namespace reuseblocks::test
