// SPDX-License-Identifier: MIT
// Every allocation of each call of the C interface made to fail in turn. No exception may reach
// the C host: the call answers RB_ERROR_NO_MEMORY, has changed nothing, and leaks nothing. A
// report is handed out with its numbers, without its message only when that could not be copied,
// or not at all when there was no memory for one, never half made.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "counting_allocator.h"
#include "fault_support.h"
#include "reuseblocks/reuseblocks_c.h"

namespace {

constexpr const char* kNotInjectable = "operator new is not this binary's own";

// Long enough that no value fits in a string's own small buffer.
std::string Value(const std::string& stem) {
    return stem + std::string(40, '_') + stem;
}

std::string Property(const rb_block* block, std::uint32_t index) {
    const char* text = nullptr;
    std::size_t length = 0;
    EXPECT_EQ(rb_block_get_property(block, index, &text, &length), RB_OK);
    return std::string(text, length);
}

std::string Column(const rb_block* block, std::uint32_t row, std::uint32_t column) {
    const char* text = nullptr;
    std::size_t length = 0;
    EXPECT_EQ(rb_block_get_layer_map(block, row, column, &text, &length), RB_OK);
    return std::string(text, length);
}

struct Collection {
    rb_collection* handle = rb_collection_new();
    rb_block* a = nullptr;
    Collection() {
        EXPECT_EQ(rb_collection_add(handle, "A", &a), RB_OK);
        for (std::uint32_t i = 1; i < RB_PROPERTY_COUNT; ++i) {
            EXPECT_EQ(rb_block_set_property(a, i, Value(std::to_string(i)).c_str()), RB_OK);
        }
        std::uint32_t row = 0;
        EXPECT_EQ(rb_block_add_layer_map(a, &row), RB_OK);
        for (std::uint32_t i = 0; i < RB_COLUMN_COUNT; ++i) {
            EXPECT_EQ(rb_block_set_layer_map(a, row, i, Value("L").c_str()), RB_OK);
        }
    }
    ~Collection() { rb_collection_free(handle); }
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;
};

// Calls `call` with its 1st, 2nd, ... allocation failing until it makes no more. It answers
// RB_ERROR_NO_MEMORY or, when the failure was inside a report, `expected`; `check(status)` then
// looks at what it left, and nothing may stay allocated once `undo` has undone a success.
template <typename Call, typename Check, typename Undo>
void FailEachAllocation(rb_status expected, const Call& call, const Check& check,
                        const Undo& undo) {
    std::size_t injected = 0;
    for (std::size_t nth = 1;; ++nth) {
        const std::size_t live = fault::LiveAllocations();
        fault::ArmAllocationFailure(nth);
        const rb_status status = call();
        const bool fired = fault::DisarmAllocationFailure();
        check(status);
        if (status == expected) undo();
        const std::size_t liveAfter = fault::LiveAllocations();
        SCOPED_TRACE("allocation " + std::to_string(nth));
        EXPECT_EQ(liveAfter, live) << "leaked";
        if (!fired) {
            EXPECT_EQ(status, expected);
            break;
        }
        EXPECT_TRUE(status == RB_ERROR_NO_MEMORY || status == expected) << rb_status_name(status);
        ++injected;
    }
    EXPECT_GT(injected, 0u) << "the call allocates nothing";
}

void Nothing() {}

TEST(CInterfaceAllocationFailure, EditsChangeNothingWhenTheyFail) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    Collection blocks;
    const std::string id = Value("/NEW");

    rb_block* added = nullptr;
    FailEachAllocation(
        RB_OK, [&] { return rb_collection_add(blocks.handle, id.c_str(), &added); },
        [&](rb_status status) {
            rb_block* found = nullptr;
            const bool held = rb_collection_find(blocks.handle, id.c_str(), &found) == RB_OK;
            EXPECT_EQ(held, status == RB_OK);
            EXPECT_EQ(rb_collection_count(blocks.handle), held ? 2u : 1u);
            EXPECT_EQ(added, found);
        },
        [&] {
            EXPECT_EQ(rb_collection_remove(blocks.handle, id.c_str()), RB_OK);
            added = nullptr;
        });

    const std::string old = Property(blocks.a, 1);
    FailEachAllocation(
        RB_OK, [&] { return rb_block_set_property(blocks.a, 1, id.c_str()); },
        [&](rb_status status) { EXPECT_EQ(Property(blocks.a, 1), status == RB_OK ? id : old); },
        [&] { EXPECT_EQ(rb_block_set_property(blocks.a, 1, old.c_str()), RB_OK); });
    FailEachAllocation(
        RB_OK, [&] { return rb_block_set_property_bytes(blocks.a, 2, id.data(), id.size()); },
        [&](rb_status status) { EXPECT_EQ(Property(blocks.a, 2) == id, status == RB_OK); },
        Nothing);

    const std::string column = Column(blocks.a, 0, 3);
    FailEachAllocation(
        RB_OK, [&] { return rb_block_set_layer_map(blocks.a, 0, 3, id.c_str()); },
        [&](rb_status status) { EXPECT_EQ(Column(blocks.a, 0, 3), status == RB_OK ? id : column); },
        [&] { EXPECT_EQ(rb_block_set_layer_map(blocks.a, 0, 3, column.c_str()), RB_OK); });

    // The ninth row outgrows the room the first one reserved.
    while (rb_block_layer_map_count(blocks.a) < 8) {
        ASSERT_EQ(rb_block_add_layer_map(blocks.a, nullptr), RB_OK);
    }
    FailEachAllocation(
        RB_OK, [&] { return rb_block_add_layer_map(blocks.a, nullptr); },
        [&](rb_status status) {
            EXPECT_EQ(rb_block_layer_map_count(blocks.a), status == RB_OK ? 9u : 8u);
            EXPECT_EQ(Column(blocks.a, 0, 3), column);
        },
        [&] { EXPECT_EQ(rb_block_remove_layer_map(blocks.a, 8), RB_OK); });

    FailEachAllocation(
        RB_OK, [&] { return rb_collection_rename(blocks.handle, "A", id.c_str()); },
        [&](rb_status status) {
            rb_block* found = nullptr;
            EXPECT_EQ(rb_collection_find(blocks.handle, status == RB_OK ? id.c_str() : "A", &found),
                      RB_OK);
            EXPECT_EQ(found, blocks.a);
            EXPECT_EQ(Property(blocks.a, 0), status == RB_OK ? id : "A");
        },
        [&] { EXPECT_EQ(rb_collection_rename(blocks.handle, id.c_str(), "A"), RB_OK); });

    // The key of a block whose property 0 was set after it was renamed: found by a walk, cut to
    // the buffer.
    ASSERT_EQ(rb_collection_rename(blocks.handle, "A", id.c_str()), RB_OK);
    ASSERT_EQ(rb_block_set_property(blocks.a, 0, "A"), RB_OK);
    char key[8] = "kept";
    std::size_t length = 0;
    FailEachAllocation(
        RB_OK,
        [&] { return rb_collection_block_key(blocks.handle, blocks.a, key, sizeof key, &length); },
        [&](rb_status status) {
            EXPECT_EQ(std::string(key), status == RB_OK ? id.substr(0, 7) : "kept");
            EXPECT_EQ(length, status == RB_OK ? id.size() : 0u);
        },
        [&] {
            std::strcpy(key, "kept");
            length = 0;
        });
}

TEST(CInterfaceAllocationFailure, ReportsAreWholeOrWithoutTheirMessage) {
    if (!fault::AllocationFailureIsInjectable()) GTEST_SKIP() << kNotInjectable;
    fault::ScratchDir dir;
    const std::string path = dir.File("board.blocks");
    Collection blocks;
    ASSERT_EQ(rb_collection_write(blocks.handle, path.c_str(), "fault", nullptr), RB_OK);

    // Loaded twice: the second load is refused at the ID held already.
    Collection again;
    rb_report* report = nullptr;
    std::string message;
    ASSERT_EQ(rb_collection_load(again.handle, path.c_str(), &report), RB_ERROR_LOAD);
    const std::uint64_t line = rb_report_line(report);
    message = rb_report_message(report);
    rb_report_free(report);
    ASSERT_GT(message.size(), 15u) << "a message a string holds without allocating";
    const auto refused = [&](int code, std::uint64_t at, int step, int error) {
        return [&, code, at, step, error](rb_status status) {
            if (status == RB_ERROR_NO_MEMORY) {
                EXPECT_EQ(report, nullptr);
                return;
            }
            if (!report) return;  // no memory for one
            EXPECT_EQ(rb_report_code(report), code);
            EXPECT_EQ(rb_report_line(report), at);
            EXPECT_EQ(rb_report_step(report), step);
            EXPECT_EQ(rb_report_system_error(report), error);
            const std::string text = rb_report_message(report);
            EXPECT_TRUE(text.empty() || text == message) << text;
            rb_report_free(report);
            report = nullptr;
        };
    };
    FailEachAllocation(
        RB_ERROR_LOAD, [&] { return rb_collection_load(again.handle, path.c_str(), &report); },
        refused(-3, line, 0, 0), Nothing);
    EXPECT_EQ(rb_collection_count(again.handle), 1u);

    // A write into a directory that is not there.
    const std::string nowhere = dir.File("missing") + "/board.blocks";
    ASSERT_EQ(rb_collection_write(blocks.handle, nowhere.c_str(), "fault", &report),
              RB_ERROR_WRITE);
    const int step = rb_report_step(report);
    message = rb_report_message(report);
    rb_report_free(report);
    ASSERT_GT(message.size(), 15u);
    FailEachAllocation(
        RB_ERROR_WRITE,
        [&] { return rb_collection_write(blocks.handle, nowhere.c_str(), "fault", &report); },
        refused(0, 0, step, ENOENT), Nothing);

    // A value that would not come back: the check names it.
    ASSERT_EQ(rb_block_set_property(blocks.a, 7, ""), RB_OK);
    std::size_t problems = 0;
    message = "A property 7: is empty";
    FailEachAllocation(
        RB_OK,
        [&] {
            problems = 0;
            return rb_collection_check_round_trip(blocks.handle, &problems, &report);
        },
        [&](rb_status status) {
            EXPECT_EQ(problems, status == RB_OK ? 1u : 0u);
            refused(1, 0, 0, 0)(status);
        },
        Nothing);
}

}  // namespace
