// SPDX-License-Identifier: MIT
// A whole file read from a pipe, whose size nobody knows: its buffer grows as the bytes come,
// from ordinary memory onto huge pages, and keeps every byte on the way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include "platform/file_system.h"
#include "platform/whole_file.h"
#include "test_support.h"

namespace platform = reuseblocks::detail::platform;

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 251);
    return bytes;
}

TEST(WholeFile, APipeIsReadWholeAsItsBufferGrows) {
    TempDir dir;
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    // Past the first buffer, past the move onto huge pages, and not on a boundary of either.
    for (const std::size_t size : {std::size_t{0}, kMiB + 1, 9 * kMiB + 3}) {
        const std::string fifo = dir.File("fifo" + std::to_string(size));
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string bytes = Pattern(size);
        std::thread writer([&fifo, &bytes] {
            std::ofstream(fifo, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        });
        platform::FileReader reader;
        platform::WholeFileText text;
        const platform::ErrorCode opened = reader.Open(fifo.c_str());
        const platform::ErrorCode read = opened == 0 ? text.ReadAll(reader) : 0;
        writer.join();
        ASSERT_EQ(opened, 0) << size;
        EXPECT_EQ(read, 0) << size;
        EXPECT_TRUE(text.View() == bytes) << size;

        // Moved, the bytes go with it and leave nothing behind.
        platform::WholeFileText moved(std::move(text));
        EXPECT_TRUE(moved.View() == bytes) << size;
        EXPECT_TRUE(text.View().empty()) << size;  // NOLINT(bugprone-use-after-move)
        text = std::move(moved);
        EXPECT_TRUE(text.View() == bytes) << size;
    }
}

}  // namespace
