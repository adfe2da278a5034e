/* SPDX-License-Identifier: MIT */
/* A C host: loads a blocks file, edits, adds, renames, writes and reloads it, then shows a
   rejected load and a failed write. The C#, Pascal and Python callers print the same lines.
   Usage: c_caller BOARD REJECTED WORK_DIR */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "reuseblocks/reuseblocks_c.h"

static void fail(const char* what, rb_status status) {
    printf("%s: %s\n", what, rb_status_name(status));
    exit(1);
}

static void print_blocks(const rb_collection* blocks) {
    rb_position at = rb_collection_start(blocks);
    rb_block* block;
    while ((block = rb_collection_next(blocks, &at)) != NULL) {
        const char* id = "";
        const char* path = "";
        size_t id_length = 0;
        size_t path_length = 0;
        if (rb_block_get_property(block, RB_PROPERTY_BLOCK_HIER_NAME, &id, &id_length) != RB_OK ||
            rb_block_get_property(block, RB_PROPERTY_BLOCK_PATH, &path, &path_length) != RB_OK)
            fail("get property", RB_ERROR_INTERNAL);
        printf("%.*s %.*s rows %u\n", (int)id_length, id, (int)path_length, path,
               (unsigned)rb_block_layer_map_count(block));
    }
}

static void add_block(rb_collection* blocks) {
    static const char* const values[RB_PROPERTY_COUNT] = {
        "/TOP/NEW1", "$REUSE/new", "Smashed", "Unplaced", "0", "0",
        "TOP",       "0",          "mils",    "0",        "0", "Unprocessed"};
    static const char* const columns[RB_COLUMN_COUNT] = {"1", "TOP", "1", "TOP"};
    rb_block* block = NULL;
    uint32_t i;
    uint32_t row = 0;
    rb_status status = rb_collection_add(blocks, "/TOP/NEW1", &block);
    if (status != RB_OK) fail("add", status);
    for (i = 1; i < RB_PROPERTY_COUNT; ++i) {
        status = rb_block_set_property(block, i, values[i]);
        if (status != RB_OK) fail("set property", status);
    }
    if ((status = rb_block_add_layer_map(block, &row)) != RB_OK) fail("add row", status);
    for (i = 0; i < RB_COLUMN_COUNT; ++i) {
        status = rb_block_set_layer_map(block, row, i, columns[i]);
        if (status != RB_OK) fail("set column", status);
    }
    printf("added /TOP/NEW1, taken again: %s\n",
           rb_status_name(rb_collection_add(blocks, "/TOP/NEW1", NULL)));
}

int main(int argc, char** argv) {
    char out_path[4096];
    char missing_path[4096];
    char key[64];
    size_t key_length = 0;
    size_t problems = 0;
    rb_collection* blocks;
    rb_collection* reloaded;
    rb_report* report = NULL;
    rb_block* block = NULL;
    rb_status status;
    const char* text = "";
    size_t length = 0;

    if (argc != 4) return 2;
    snprintf(out_path, sizeof out_path, "%s/c_caller.blocks", argv[3]);
    snprintf(missing_path, sizeof missing_path, "%s/missing/c_caller.blocks", argv[3]);
    printf("version: %s\n", rb_version_number() / 10000 == RB_VERSION_MAJOR ? "ok" : "mismatch");

    blocks = rb_collection_new();
    if (!blocks) fail("new", RB_ERROR_NO_MEMORY);
    status = rb_collection_load(blocks, argv[1], &report);
    if (status != RB_OK) fail("load", status);
    rb_report_free(report);
    printf("loaded %lu blocks\n", (unsigned long)rb_collection_count(blocks));
    print_blocks(blocks);

    if ((status = rb_collection_find(blocks, "/TOP/U12/B3", &block)) != RB_OK) fail("find", status);
    if ((status = rb_block_set_property_by_name(block, "XLOC", "12.5")) != RB_OK)
        fail("set XLOC", status);
    add_block(blocks);
    status = rb_collection_rename(blocks, "/TOP/U12/B3", "/TOP/U12/B3_RENAMED");
    if (status != RB_OK) fail("rename", status);
    if ((status = rb_collection_block_key(blocks, block, key, sizeof key, &key_length)) != RB_OK)
        fail("key", status);
    printf("renamed to %s, onto a taken name: %s\n", key,
           rb_status_name(rb_collection_rename(blocks, "/TOP/U12/B4", "/TOP/NEW1")));
    if ((status = rb_collection_check_round_trip(blocks, &problems, NULL)) != RB_OK)
        fail("round trip", status);
    printf("round-trip problems: %lu\n", (unsigned long)problems);

    if ((status = rb_collection_write(blocks, out_path, "c_caller", NULL)) != RB_OK)
        fail("write", status);
    reloaded = rb_collection_new();
    if (!reloaded) fail("new", RB_ERROR_NO_MEMORY);
    if ((status = rb_collection_load(reloaded, out_path, NULL)) != RB_OK) fail("reload", status);
    printf("reloaded %lu blocks\n", (unsigned long)rb_collection_count(reloaded));
    print_blocks(reloaded);
    if ((status = rb_collection_find(reloaded, "/TOP/U12/B3_RENAMED", &block)) != RB_OK)
        fail("find renamed", status);
    if ((status = rb_block_get_property_by_name(block, "XLOC", &text, &length)) != RB_OK)
        fail("get XLOC", status);
    printf("XLOC %.*s\n", (int)length, text);

    status = rb_collection_load(reloaded, argv[2], &report);
    printf("load: %s, code %d, line %lu: %s\n", rb_status_name(status), rb_report_code(report),
           (unsigned long)rb_report_line(report), rb_report_message(report));
    rb_report_free(report);
    status = rb_collection_write(reloaded, missing_path, "c_caller", &report);
    printf("write: %s, system error %d\n", rb_status_name(status), rb_report_system_error(report));
    rb_report_free(report);

    rb_collection_free(reloaded);
    rb_collection_free(blocks);
    return 0;
}
