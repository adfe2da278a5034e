// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <thread>

#include "files/whole_file.h"
#include "test_support.h"

namespace reuseblocks::tool {
namespace {

// A pipe has no size to start from: its bytes grow the buffer piece by piece, and all arrive.
TEST(WholeFile, APipeIsReadWholeWithoutASizeToStartFrom) {
    TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string bytes((std::size_t{5} << 20) + 3, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 253);
    std::thread writer([&] {
        std::ofstream(fifo, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    });
    const std::optional<WholeFileText> text = ReadWholeFile(fifo);
    writer.join();
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->View() == bytes);
}

}  // namespace
}  // namespace reuseblocks::tool
