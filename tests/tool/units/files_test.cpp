// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/atomic_file.h"
#include "temporary_directory.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class AtomicFileTest : public testing::Test {
  protected:
    AtomicFileTest() : m_dir(test::MakeUniqueDirectory(fs::temp_directory_path(), "tool-file-")) {}
    ~AtomicFileTest() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    fs::path m_dir;
};

TEST_F(AtomicFileTest, ReplacesInOneStepAndKeepsWhatWasThereOnFailure) {
    const fs::path target = m_dir / "picture.svg";
    WriteWholeFile(target.string(), "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // As far as the system keeps them.
    const fs::perms mode = fs::status(target).permissions() & fs::perms::all;
    {
        AtomicFile file(target.string());
        file.Write("half");
    }  // no Commit: the old content stays
    EXPECT_EQ(Read(target), "old");
    WriteWholeFile(target.string(), "new");
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, mode);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);

    std::string message;  // a missing directory is named as such
    try {
        WriteWholeFile((m_dir / "missing" / "x.svg").string(), "x");
    } catch (const ToolError& failure) {
        message = failure.what();
    }
    EXPECT_NE(message.find("does not exist"), std::string::npos) << message;
}

}  // namespace
}  // namespace reuseblocks::tool
