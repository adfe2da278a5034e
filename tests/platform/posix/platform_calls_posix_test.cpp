// SPDX-License-Identifier: MIT
// The small calls of the platform layer at their edges: nothing to open, a reader opened twice,
// two names of one file, a time no calendar holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>

#include "platform/console.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/utf8_path.h"
#include "test_support.h"

namespace platform = reuseblocks::detail::platform;

namespace {

int OpenDescriptors() {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd) count += ::fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    return count;
}

TEST(PlatformCalls, AReaderOpenedAgainLetsGoOfTheFirstFile) {
    TempDir dir;
    WriteText(dir.File("a"), "first");
    WriteText(dir.File("b"), "second!");
    std::uint64_t size = 0;
    const int descriptors = OpenDescriptors();
    {
        platform::FileReader reader;
        EXPECT_FALSE(reader.RegularFileSize(size)) << "nothing open has no size";
        ASSERT_EQ(reader.Open(dir.File("a").c_str()), 0);
        ASSERT_EQ(reader.Open(dir.File("b").c_str()), 0);
        EXPECT_EQ(OpenDescriptors(), descriptors + 1);
        ASSERT_TRUE(reader.RegularFileSize(size));
        EXPECT_EQ(size, 7u);
        EXPECT_NE(reader.Open(dir.File("none").c_str()), 0);
        ASSERT_TRUE(reader.RegularFileSize(size)) << "a failed open closed the file held";
        EXPECT_EQ(reader.Open(nullptr), ENOENT);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST(PlatformCalls, NamesOfOneFile) {
    TempDir dir;
    WriteText(dir.File("a"), "a");
    WriteText(dir.File("b"), "b");
    ASSERT_EQ(::link(dir.File("a").c_str(), dir.File("a2").c_str()), 0);
    EXPECT_TRUE(platform::NameOneFile(dir.File("a"), dir.File("a2")));
    EXPECT_FALSE(platform::NameOneFile(dir.File("a"), dir.File("b")));
    EXPECT_FALSE(platform::NameOneFile(dir.File("none"), dir.File("a")));
    EXPECT_FALSE(platform::NameOneFile(dir.File("a"), dir.File("none")));
    // Another file system, where the same inode number may name another file.
    EXPECT_FALSE(platform::NameOneFile(dir.File("a"), "/dev/null"));
    EXPECT_TRUE(platform::NameOneFile("/dev/null", "/dev/null"));
    EXPECT_FALSE(platform::IsTerminalDevice(dir.File("none")));
    EXPECT_FALSE(platform::IsTerminalDevice(dir.File("a")));
    EXPECT_EQ(platform::PathFromUtf8(nullptr), "");
}

TEST(PlatformCalls, ATimeNoCalendarHoldsIsNoLocalTime) {
    std::tm local{};
    EXPECT_TRUE(platform::LocalTime(0, local));
    if (sizeof(std::time_t) > 4) {
        EXPECT_FALSE(platform::LocalTime(std::numeric_limits<std::time_t>::max(), local));
    }
}

}  // namespace
