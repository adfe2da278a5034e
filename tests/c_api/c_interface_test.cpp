// SPDX-License-Identifier: MIT
// The C interface's promises that the callers' common path does not reach: arguments it must
// refuse without crashing or throwing, values with any byte, and the key of a renamed block.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reuseblocks/reuseblocks_c.h"
#include "temporary_directory.h"

namespace {

struct Collection {
    rb_collection* handle = rb_collection_new();
    ~Collection() { rb_collection_free(handle); }
};

TEST(CInterfaceTest, RefusesBadArgumentsWithAStatus) {
    Collection blocks;
    rb_block* block = nullptr;
    const char* text = nullptr;
    std::size_t length = 0;
    ASSERT_EQ(rb_collection_add(blocks.handle, "A", &block), RB_OK);

    EXPECT_EQ(rb_collection_add(nullptr, "A", nullptr), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_add(blocks.handle, nullptr, nullptr), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_find(blocks.handle, "A", nullptr), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_find(blocks.handle, "B", &block), RB_ERROR_NOT_FOUND);
    EXPECT_EQ(rb_collection_remove(blocks.handle, "B"), RB_ERROR_NOT_FOUND);
    EXPECT_EQ(rb_block_get_property(block, 12, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_get_property(nullptr, 0, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_get_property(block, 0, nullptr, &length), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_set_property(block, 12, "x"), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_set_property_bytes(block, 1, nullptr, 3), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_set_property_by_name(block, "xloc", "1"), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_get_property_by_name(block, nullptr, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_get_layer_map(block, 0, 0, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_remove_layer_map(block, 0), RB_ERROR_ARGUMENT);
    std::uint32_t row = 7;
    ASSERT_EQ(rb_block_add_layer_map(block, &row), RB_OK);
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(rb_block_set_layer_map(block, 0, 4, "x"), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_block_set_layer_map(block, 1, 0, "x"), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_load(blocks.handle, nullptr, nullptr), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_write(nullptr, "x", nullptr, nullptr), RB_ERROR_ARGUMENT);
    EXPECT_EQ(rb_collection_count(nullptr), 0u);
    EXPECT_EQ(rb_collection_start(nullptr), nullptr);
    EXPECT_EQ(rb_collection_next(blocks.handle, nullptr), nullptr);
    EXPECT_STREQ(rb_report_message(nullptr), "");
    rb_report_free(nullptr);
    rb_collection_free(nullptr);
    EXPECT_STREQ(rb_status_name(RB_ERROR_NAME_TAKEN), "RB_ERROR_NAME_TAKEN");
    EXPECT_STREQ(rb_status_name(99), "RB_UNKNOWN");
    EXPECT_EQ(rb_version_number(), static_cast<std::uint32_t>(RB_VERSION));
    EXPECT_EQ(std::string(rb_version_string()), std::to_string(RB_VERSION_MAJOR) + "." +
                                                    std::to_string(RB_VERSION_MINOR) + "." +
                                                    std::to_string(RB_VERSION_PATCH));
}

TEST(CInterfaceTest, ValuesKeepEveryByteAndTheirLength) {
    Collection blocks;
    rb_block* block = nullptr;
    ASSERT_EQ(rb_collection_add(blocks.handle, "A", &block), RB_OK);
    const std::string value("a\0b\xff", 4);
    ASSERT_EQ(rb_block_set_property_bytes(block, 1, value.data(), value.size()), RB_OK);
    const char* text = nullptr;
    std::size_t length = 0;
    ASSERT_EQ(rb_block_get_property(block, 1, &text, &length), RB_OK);
    EXPECT_EQ(std::string(text, length), value);
    EXPECT_EQ(text[length], '\0');
    ASSERT_EQ(rb_block_set_property(block, 1, nullptr), RB_OK);
    ASSERT_EQ(rb_block_get_property_by_name(block, "BLOCK_PATH", &text, &length), RB_OK);
    EXPECT_EQ(length, 0u);

    ASSERT_EQ(rb_block_add_layer_map(block, nullptr), RB_OK);
    ASSERT_EQ(rb_block_set_layer_map_bytes(block, 0, 3, value.data(), value.size()), RB_OK);
    ASSERT_EQ(rb_block_get_layer_map(block, 0, 3, &text, &length), RB_OK);
    EXPECT_EQ(std::string(text, length), value);
    ASSERT_EQ(rb_block_remove_layer_map(block, 0), RB_OK);
    EXPECT_EQ(rb_block_layer_map_count(block), 0u);

    // An empty value vanishes from a written line: the check says so before anything is written.
    std::size_t problems = 0;
    rb_report* report = nullptr;
    ASSERT_EQ(rb_collection_check_round_trip(blocks.handle, &problems, &report), RB_OK);
    EXPECT_EQ(problems, 11u);
    EXPECT_EQ(std::string(rb_report_message(report)), "A property 1: is empty");
    rb_report_free(report);
}

TEST(CInterfaceTest, RenameMovesTheKeyWhereSettingProperty0DoesNot) {
    Collection blocks;
    rb_block* a = nullptr;
    rb_block* b = nullptr;
    ASSERT_EQ(rb_collection_add(blocks.handle, "A", &a), RB_OK);
    ASSERT_EQ(rb_collection_add(blocks.handle, "B", &b), RB_OK);
    EXPECT_EQ(rb_collection_add(blocks.handle, "B", nullptr), RB_ERROR_NAME_TAKEN);

    char key[4];
    std::size_t length = 0;
    ASSERT_EQ(rb_block_set_property(a, 0, "/NEW"), RB_OK);
    ASSERT_EQ(rb_collection_block_key(blocks.handle, a, key, sizeof key, &length), RB_OK);
    EXPECT_STREQ(key, "A");
    rb_block* found = nullptr;
    EXPECT_EQ(rb_collection_find(blocks.handle, "/NEW", &found), RB_ERROR_NOT_FOUND);

    EXPECT_EQ(rb_collection_rename(blocks.handle, "A", "B"), RB_ERROR_NAME_TAKEN);
    EXPECT_EQ(rb_collection_rename(blocks.handle, "A", ""), RB_ERROR_NAME_TAKEN);
    EXPECT_EQ(rb_collection_rename(blocks.handle, "Z", "Y"), RB_ERROR_NOT_FOUND);
    ASSERT_EQ(rb_collection_rename(blocks.handle, "A", "/RENAMED"), RB_OK);
    // Cut as snprintf cuts, with the full length for a second call.
    ASSERT_EQ(rb_collection_block_key(blocks.handle, a, key, sizeof key, &length), RB_OK);
    EXPECT_STREQ(key, "/RE");
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(rb_collection_block_key(blocks.handle, a, nullptr, 0, &length), RB_OK);
    ASSERT_EQ(rb_collection_find(blocks.handle, "/RENAMED", &found), RB_OK);
    EXPECT_EQ(found, a);
    rb_position at = rb_collection_start(blocks.handle);
    EXPECT_EQ(rb_collection_next(blocks.handle, &at), a);  // still first
    EXPECT_EQ(rb_collection_next(blocks.handle, &at), b);
    EXPECT_EQ(rb_collection_next(blocks.handle, &at), nullptr);
    EXPECT_EQ(at, nullptr);

    Collection other;
    EXPECT_EQ(rb_collection_block_key(other.handle, a, key, sizeof key, &length),
              RB_ERROR_NOT_FOUND);
    ASSERT_EQ(rb_collection_remove_all(blocks.handle), RB_OK);
    EXPECT_EQ(rb_collection_count(blocks.handle), 0u);
}

// Paths are UTF-8 on every system; on Windows that spells names the ANSI code page cannot.
TEST(CInterfaceTest, PathsAreUtf8) {
    const std::filesystem::path directory =
        reuseblocks::test::MakeUniqueDirectory(std::filesystem::temp_directory_path(), "c_api_");
    const std::string name =
        "bl\xC3\xB6"
        "cke \xE6\x97\xA5\xE6\x9C\xAC.blocks";  // "blöcke 日本"
    const std::filesystem::path file = directory / std::filesystem::u8path(name);
    const std::string path = directory.u8string() + "/" + name;
    Collection blocks;
    rb_block* block = nullptr;
    ASSERT_EQ(rb_collection_add(blocks.handle, "A", &block), RB_OK);
    for (std::uint32_t i = 1; i < RB_PROPERTY_COUNT; ++i)
        ASSERT_EQ(rb_block_set_property(block, i, "v"), RB_OK);
    rb_report* report = nullptr;
    ASSERT_EQ(rb_collection_write(blocks.handle, path.c_str(), "test", &report), RB_OK)
        << rb_report_message(report);
    rb_report_free(report);
    EXPECT_TRUE(std::filesystem::exists(file));
    Collection reloaded;
    ASSERT_EQ(rb_collection_load(reloaded.handle, path.c_str(), nullptr), RB_OK);
    EXPECT_EQ(rb_collection_count(reloaded.handle), 1u);
    std::filesystem::remove_all(directory);
}

}  // namespace
