/* SPDX-License-Identifier: MIT */
/* A C host that gets everything wrong: null handles and pointers, indexes out of range, unknown
   names. Each call must answer with its status, leave its out-parameters and the collection as
   they were, and never crash. Prints each failed check and exits with 1 when there was one.
   Usage: c_argument_checks WORK_DIR */
#include <stdio.h>
#include <string.h>

#include "reuseblocks/reuseblocks_c.h"

static int failures = 0;

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (!(condition)) {                                                \
            printf("%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                    \
        }                                                                  \
    } while (0)

#define EXPECT_STATUS(call, expected)                                        \
    do {                                                                     \
        const rb_status status_ = (call);                                    \
        if (status_ != (expected)) {                                         \
            printf("%s:%d: %s gave %s, not %s\n", __FILE__, __LINE__, #call, \
                   rb_status_name(status_), rb_status_name(expected));       \
            ++failures;                                                      \
        }                                                                    \
    } while (0)

static int same_text(const rb_block* block, uint32_t index, const char* expected) {
    const char* text = NULL;
    size_t length = 0;
    return rb_block_get_property(block, index, &text, &length) == RB_OK &&
           length == strlen(expected) && memcmp(text, expected, length) == 0;
}

static int same_column(const rb_block* block, uint32_t row, uint32_t column, const char* expected) {
    const char* text = NULL;
    return rb_block_get_layer_map(block, row, column, &text, NULL) == RB_OK &&
           strcmp(text, expected) == 0;
}

static void collections(rb_collection* blocks, rb_block* block) {
    rb_block* found = block;
    rb_position at = rb_collection_start(blocks);
    char key[8] = "kept";
    size_t length = 99;

    EXPECT_STATUS(rb_collection_remove_all(NULL), RB_ERROR_ARGUMENT);
    CHECK(rb_collection_next(NULL, &at) == NULL && at != NULL);
    EXPECT_STATUS(rb_collection_find(NULL, "A", &found), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_find(blocks, NULL, &found), RB_ERROR_ARGUMENT);
    CHECK(found == block);
    EXPECT_STATUS(rb_collection_remove(NULL, "A"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_remove(blocks, NULL), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_rename(NULL, "A", "B"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_rename(blocks, NULL, "B"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_rename(blocks, "A", NULL), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_block_key(NULL, block, key, sizeof key, &length),
                  RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_block_key(blocks, NULL, key, sizeof key, &length),
                  RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_block_key(blocks, block, key, sizeof key, NULL), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_collection_block_key(blocks, block, NULL, sizeof key, &length),
                  RB_ERROR_ARGUMENT);
    CHECK(strcmp(key, "kept") == 0 && length == 99);
    CHECK(rb_collection_count(blocks) == 1);

    /* A buffer with room for the whole key gets it whole. */
    EXPECT_STATUS(rb_collection_block_key(blocks, block, key, sizeof key, &length), RB_OK);
    CHECK(strcmp(key, "A") == 0 && length == 1);
    /* A block added without asking for its handle is there all the same. */
    EXPECT_STATUS(rb_collection_add(blocks, "B", NULL), RB_OK);
    EXPECT_STATUS(rb_collection_find(blocks, "B", &found), RB_OK);
    CHECK(found != NULL && found != block && same_text(found, 0, "B"));
    EXPECT_STATUS(rb_collection_remove(blocks, "B"), RB_OK);
    CHECK(rb_collection_count(blocks) == 1);
}

static void properties(rb_block* block) {
    const char* text = "kept";
    size_t length = 99;

    EXPECT_STATUS(rb_block_set_property(NULL, 1, "x"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_set_property_bytes(NULL, 1, "x", 1), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_set_property_bytes(block, RB_PROPERTY_COUNT, "x", 1), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_set_property_by_name(block, NULL, "x"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_set_property_by_name(NULL, "XLOC", "x"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_get_property_by_name(block, "NO_SUCH_FIELD", &text, &length),
                  RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_get_property_by_name(NULL, "XLOC", &text, &length), RB_ERROR_ARGUMENT);
    CHECK(strcmp(text, "kept") == 0 && length == 99);
    CHECK(same_text(block, RB_PROPERTY_XLOC, "1.5"));

    /* No bytes from no text: an empty value. The length may be left out. */
    EXPECT_STATUS(rb_block_set_property_bytes(block, RB_PROPERTY_YLOC, NULL, 0), RB_OK);
    CHECK(same_text(block, RB_PROPERTY_YLOC, ""));
    EXPECT_STATUS(rb_block_set_property_by_name(block, "YLOC", "2"), RB_OK);
    EXPECT_STATUS(rb_block_get_property(block, RB_PROPERTY_YLOC, &text, NULL), RB_OK);
    CHECK(strcmp(text, "2") == 0);
}

static void layer_maps(rb_block* block) {
    const char* text = "kept";
    size_t length = 99;
    uint32_t row = 99;

    CHECK(rb_block_layer_map_count(NULL) == 0);
    EXPECT_STATUS(rb_block_add_layer_map(NULL, &row), RB_ERROR_ARGUMENT);
    CHECK(row == 99);
    EXPECT_STATUS(rb_block_get_layer_map(NULL, 0, 0, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_get_layer_map(block, 0, RB_COLUMN_COUNT, &text, &length),
                  RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_get_layer_map(block, 1, 0, &text, &length), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_get_layer_map(block, 0, 0, NULL, &length), RB_ERROR_ARGUMENT);
    CHECK(strcmp(text, "kept") == 0 && length == 99);
    EXPECT_STATUS(rb_block_set_layer_map_bytes(block, 0, 0, NULL, 1), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_set_layer_map(NULL, 0, 0, "x"), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_remove_layer_map(NULL, 0), RB_ERROR_ARGUMENT);
    EXPECT_STATUS(rb_block_remove_layer_map(block, 1), RB_ERROR_ARGUMENT);
    CHECK(rb_block_layer_map_count(block) == 1 && same_column(block, 0, 0, "TOP"));

    /* NULL stores an empty column, as for properties. */
    EXPECT_STATUS(rb_block_set_layer_map(block, 0, 1, NULL), RB_OK);
    CHECK(same_column(block, 0, 1, ""));
}

static void files(rb_collection* blocks, rb_block* block, const char* work_dir) {
    char path[4096];
    rb_report* report = (rb_report*)&failures; /* any value: a refused call must clear it */
    size_t problems = 99;

    snprintf(path, sizeof path, "%s/written.blocks", work_dir);
    EXPECT_STATUS(rb_collection_load(NULL, path, &report), RB_ERROR_ARGUMENT);
    CHECK(report == NULL);
    report = (rb_report*)&failures;
    EXPECT_STATUS(rb_collection_write(blocks, NULL, "app", &report), RB_ERROR_ARGUMENT);
    CHECK(report == NULL);
    report = (rb_report*)&failures;
    EXPECT_STATUS(rb_collection_check_round_trip(NULL, &problems, &report), RB_ERROR_ARGUMENT);
    CHECK(report == NULL && problems == 99);
    EXPECT_STATUS(rb_collection_check_round_trip(blocks, NULL, NULL), RB_ERROR_ARGUMENT);

    /* Without a report: the status alone. */
    EXPECT_STATUS(rb_collection_check_round_trip(blocks, &problems, NULL), RB_OK);
    CHECK(problems == 1); /* the empty column */
    EXPECT_STATUS(rb_block_set_layer_map(block, 0, 1, "TOP"), RB_OK);
    /* A round trip that comes back whole reports so, with nothing to say. */
    EXPECT_STATUS(rb_collection_check_round_trip(blocks, &problems, &report), RB_OK);
    CHECK(problems == 0 && report != NULL && rb_report_code(report) == 0 &&
          strcmp(rb_report_message(report), "") == 0);
    rb_report_free(report);

    EXPECT_STATUS(rb_collection_write(blocks, path, NULL, NULL), RB_OK);
    {
        rb_collection* reloaded = rb_collection_new();
        rb_block* found = NULL;
        CHECK(reloaded != NULL);
        EXPECT_STATUS(rb_collection_load(reloaded, path, NULL), RB_OK);
        EXPECT_STATUS(rb_collection_find(reloaded, "A", &found), RB_OK);
        CHECK(found != NULL && same_text(found, RB_PROPERTY_XLOC, "1.5") &&
              same_column(found, 0, 1, "TOP"));
        /* A second load of the same blocks is refused at the first ID held already. */
        EXPECT_STATUS(rb_collection_load(reloaded, path, NULL), RB_ERROR_LOAD);
        CHECK(rb_collection_count(reloaded) == 1);
        rb_collection_free(reloaded);
    }
    {
        /* Text the load passes over is named by its line; a file without any names none. */
        rb_collection* skipping = rb_collection_new();
        FILE* file;
        CHECK(skipping != NULL);
        EXPECT_STATUS(rb_collection_load(skipping, path, &report), RB_OK);
        CHECK(report != NULL && rb_report_skipped_line(report) == 0);
        rb_report_free(report);
        snprintf(path, sizeof path, "%s/skipping.blocks", work_dir);
        file = fopen(path, "wb");
        CHECK(file != NULL);
        if (file) {
            fputs(
                "# notes\nmap_block_host B 1 TOP 1 TOP\n"
                "B p t s 0 0 TOP 0 mils 0 0 q\n",
                file);
            fclose(file);
        }
        EXPECT_STATUS(rb_collection_load(skipping, path, &report), RB_OK);
        CHECK(report != NULL && rb_report_skipped_line(report) == 2 &&
              rb_collection_count(skipping) == 2);
        rb_report_free(report);
        rb_collection_free(skipping);
        snprintf(path, sizeof path, "%s/written.blocks", work_dir);
    }
    snprintf(path, sizeof path, "%s/no such directory/written.blocks", work_dir);
    EXPECT_STATUS(rb_collection_write(blocks, path, "app", NULL), RB_ERROR_WRITE);
}

static void reports_and_names(void) {
    static const rb_status statuses[] = {RB_OK,
                                         RB_ERROR_ARGUMENT,
                                         RB_ERROR_NO_MEMORY,
                                         RB_ERROR_NOT_FOUND,
                                         RB_ERROR_NAME_TAKEN,
                                         RB_ERROR_LOAD,
                                         RB_ERROR_WRITE,
                                         RB_ERROR_INTERNAL};
    static const char* const names[] = {"RB_OK",
                                        "RB_ERROR_ARGUMENT",
                                        "RB_ERROR_NO_MEMORY",
                                        "RB_ERROR_NOT_FOUND",
                                        "RB_ERROR_NAME_TAKEN",
                                        "RB_ERROR_LOAD",
                                        "RB_ERROR_WRITE",
                                        "RB_ERROR_INTERNAL"};
    size_t i;
    for (i = 0; i < sizeof statuses / sizeof statuses[0]; ++i) {
        if (strcmp(rb_status_name(statuses[i]), names[i]) != 0) {
            printf("status %d is named %s\n", statuses[i], rb_status_name(statuses[i]));
            ++failures;
        }
    }
    CHECK(strcmp(rb_status_name(-1), "RB_UNKNOWN") == 0);
    CHECK(rb_report_code(NULL) == 0 && rb_report_line(NULL) == 0 && rb_report_step(NULL) == 0 &&
          rb_report_system_error(NULL) == 0 && rb_report_skipped_line(NULL) == 0);
}

int main(int argc, char** argv) {
    rb_collection* blocks;
    rb_block* block = NULL;
    uint32_t row = 0;
    uint32_t i;
    if (argc != 2) {
        printf("usage: c_argument_checks WORK_DIR\n");
        return 2;
    }
    blocks = rb_collection_new();
    if (!blocks || rb_collection_add(blocks, "A", &block) != RB_OK) return 1;
    for (i = 1; i < RB_PROPERTY_COUNT; ++i) rb_block_set_property(block, i, "1.5");
    rb_block_add_layer_map(block, &row);
    for (i = 0; i < RB_COLUMN_COUNT; ++i) rb_block_set_layer_map(block, row, i, "TOP");

    collections(blocks, block);
    properties(block);
    layer_maps(block);
    files(blocks, block, argv[1]);
    reports_and_names();
    rb_collection_free(blocks);
    if (failures) printf("%d checks failed\n", failures);
    return failures ? 1 : 0;
}
