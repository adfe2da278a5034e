// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/atomic_file.h"
#include "files/cannot_write.h"
#include "files/whole_file.h"
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

    std::string message;  // a missing directory: the system's error and the step
    try {
        WriteWholeFile((m_dir / "missing" / "x.svg").string(), "x");
    } catch (const ToolError& failure) {
        message = failure.what();
    }
    EXPECT_NE(message.find(std::string("x.svg\": ") + std::strerror(ENOENT) + " (while opening)"),
              std::string::npos)
        << message;
}

// Every byte, whatever the size against the first piece a read takes and the byte kept over a
// file's size; nothing for a file that is not there.
TEST_F(AtomicFileTest, AWholeFileIsReadByteForByte) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    // Small files in one read; from 4 MiB on in two halves side by side, split unevenly too.
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, kMiB - 1, kMiB, kMiB + 1,
                                   3 * kMiB + 7, 4 * kMiB - 1, 4 * kMiB, 9 * kMiB + 3}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 251);
        const fs::path path = m_dir / ("bytes" + std::to_string(size));
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        const std::optional<WholeFileText> text = ReadWholeFile(path.string());
        ASSERT_TRUE(text.has_value()) << size;
        EXPECT_TRUE(text->View() == bytes) << size;
    }
    EXPECT_FALSE(ReadWholeFile((m_dir / "absent").string()).has_value());
    EXPECT_FALSE(ReadWholeFile(m_dir.string()).has_value());  // a folder has no bytes to give
}

// The reason alone, for a file the user never named: what follows the quoted path, however the
// path is escaped, or the system's error and the step.
TEST(CannotWriteTest, ReasonWithoutThePath) {
    WriteReport refused;
    refused.result = 0;
    refused.step = WriteStep::kCheck;
    refused.message =
        R"(cannot write "a\"b\\": block "/B1" property 3 (BLOCK_STATUS) holds a line break)";
    const WriteError check = CannotWrite("a\"b\\", refused);
    EXPECT_EQ(check.Reason(), R"(block "/B1" property 3 (BLOCK_STATUS) holds a line break)");
    EXPECT_EQ(std::string(check.what()), "reuseblocks: error: " + refused.message);

    WriteReport full;
    full.result = 0;
    full.step = WriteStep::kFlush;
    full.systemError = ENOSPC;
    full.message = "cannot write \"x\": No space left on device (while flushing)";
    EXPECT_EQ(CannotWrite("x", full).Reason(),
              std::string(std::strerror(ENOSPC)) + " (while flushing)");
}

}  // namespace
}  // namespace reuseblocks::tool
