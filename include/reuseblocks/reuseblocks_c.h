/* SPDX-License-Identifier: MIT */
#ifndef REUSEBLOCKS_REUSEBLOCKS_C_H
#define REUSEBLOCKS_REUSEBLOCKS_C_H

/* The library for any host that can call C: C itself, C++ built with any compiler, C# (P/Invoke),
   Pascal, Python (ctypes), Rust. Nothing of C++ crosses it: no exception, no class, no standard
   library type, so the host needs no particular compiler, C++ library or C runtime.

   Conventions:
   - Every function returns an rb_status (RB_OK is 0) unless it says otherwise. Nothing throws;
     running out of memory is RB_ERROR_NO_MEMORY, and a call that fails has changed nothing
     (rb_collection_load keeps the blocks accepted before a rejected line, as LoadFile does).
   - Handles are opaque. A collection lives from rb_collection_new to rb_collection_free. An
     rb_block stays valid until its block is removed (rb_collection_remove,
     rb_collection_remove_all) or its collection is freed; renaming keeps it valid.
   - Text is UTF-8 (or any bytes, for values), as const char*. Paths are UTF-8 on every system:
     on Windows they are opened through the wide API, so any name opens, also those the ANSI code
     page cannot spell and those longer than MAX_PATH.
   - Text the library hands out stays valid until the thing it belongs to changes or goes: a
     property until it is set again or its block is removed, a report's message until the report
     is freed. Values may hold any byte, NUL included, so they come with their length; they are
     also NUL-terminated, so C code may ignore the length when it knows there is no NUL inside.
   - One object may be used by one thread at a time; different collections on different threads
     at once.

   Example (error handling shortened to the essentials):

     #include <reuseblocks/reuseblocks_c.h>
     #include <stdio.h>

     int main(void) {
         rb_collection* blocks = rb_collection_new();
         rb_report* report = NULL;
         rb_block* block = NULL;
         rb_position at;
         if (!blocks) return 1;
         if (rb_collection_load(blocks, "board.blocks", &report) != RB_OK) {
             printf("line %lu: %s\n", (unsigned long)rb_report_line(report),
                    rb_report_message(report));
         }
         rb_report_free(report);
         for (at = rb_collection_start(blocks); (block = rb_collection_next(blocks, &at)) != NULL;)
   { const char* text; size_t length; if (rb_block_get_property(block, RB_PROPERTY_BLOCK_PATH,
   &text, &length) == RB_OK) printf("%s\n", text);
         }
         if (rb_collection_find(blocks, "U1", &block) == RB_OK)
             rb_block_set_property_by_name(block, "XLOC", "12.5");
         rb_collection_rename(blocks, "U1", "U1_COPY");
         if (rb_collection_write(blocks, "out.blocks", "MyApp", &report) != RB_OK)
             printf("write failed: %s (system error %d)\n", rb_report_message(report),
                    rb_report_system_error(report));
         rb_report_free(report);
         rb_collection_free(blocks);
         return 0;
     }
*/

#include <stddef.h>
#include <stdint.h>

#include "reuseblocks/reuseblocks_c_version.h"

#if defined(REUSEBLOCKS_STATIC)
#define RB_API
#elif defined(_WIN32)
#if defined(REUSEBLOCKS_BUILDING_LIBRARY)
#define RB_API __declspec(dllexport)
#else
#define RB_API __declspec(dllimport)
#endif
#elif defined(__GNUC__) || defined(__clang__)
#define RB_API __attribute__((visibility("default")))
#else
#define RB_API
#endif

/* The C calling convention of the platform: cdecl on 32-bit Windows, where C# and Delphi must
   say so (CallingConvention.Cdecl, `cdecl`); the one convention elsewhere. */
#if defined(_WIN32) && !defined(_WIN64) && (defined(_MSC_VER) || defined(__GNUC__))
#define RB_CALL __cdecl
#else
#define RB_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rb_collection rb_collection;
typedef struct rb_block rb_block;
typedef struct rb_report rb_report;
/* A place in a walk of a collection; NULL when the walk is over. */
typedef struct rb_position_opaque* rb_position;

/* Results of the functions. Values never change meaning; new ones may be added. */
typedef int rb_status;
#define RB_OK 0
#define RB_ERROR_ARGUMENT 1   /* a null handle or pointer, or an index out of range */
#define RB_ERROR_NO_MEMORY 2  /* out of memory, or text longer than the library can hold */
#define RB_ERROR_NOT_FOUND 3  /* no block holds that ID */
#define RB_ERROR_NAME_TAKEN 4 /* a block already holds that ID, or the ID is empty */
#define RB_ERROR_LOAD 5       /* a file was not read whole: the report says where and why */
#define RB_ERROR_WRITE 6      /* a file was not written: the report says why */
#define RB_ERROR_INTERNAL 7   /* anything else the library did not expect */

/* The status's name ("RB_ERROR_NOT_FOUND"); "RB_UNKNOWN" for other values. Static text. */
RB_API const char* RB_CALL rb_status_name(rb_status status);

/* MAJOR * 10000 + MINOR * 100 + PATCH of the library actually loaded, to compare with
   RB_VERSION, the version the host was compiled against. */
RB_API uint32_t RB_CALL rb_version_number(void);
/* "1.4.0", static text. */
RB_API const char* RB_CALL rb_version_string(void);

/* The properties of a block, in the order of a definition line, and the columns of a layer map.
   The same numbers as reuseblocks/fields.h. */
#define RB_PROPERTY_BLOCK_HIER_NAME 0 /* the block ID */
#define RB_PROPERTY_BLOCK_PATH 1
#define RB_PROPERTY_BLOCK_TYPE 2
#define RB_PROPERTY_BLOCK_STATUS 3
#define RB_PROPERTY_XLOC 4
#define RB_PROPERTY_YLOC 5
#define RB_PROPERTY_SIDE 6
#define RB_PROPERTY_ROTATION 7
#define RB_PROPERTY_UNITS 8
#define RB_PROPERTY_INT_XLOC 9
#define RB_PROPERTY_INT_YLOC 10
#define RB_PROPERTY_QOR_STATUS 11
#define RB_PROPERTY_COUNT 12
#define RB_COLUMN_BLOCK_LAYER_ORDER 0
#define RB_COLUMN_BLOCK_LAYER_NAME 1
#define RB_COLUMN_DESIGN_ORDER 2
#define RB_COLUMN_DESIGN_LAYER_NAME 3
#define RB_COLUMN_COUNT 4

/* ---- Collections ---- */

/* An empty collection; NULL when out of memory. */
RB_API rb_collection* RB_CALL rb_collection_new(void);
/* Frees the collection and every block in it. NULL is ignored. */
RB_API void RB_CALL rb_collection_free(rb_collection* collection);

/* Reads the blocks file at `path` and adds its blocks to those held. RB_ERROR_LOAD when a line was
   rejected or the file could not be read; what was accepted before stays. When `report` is not
   NULL it receives a report (also on success, and NULL only when there was no memory for one),
   which the caller frees with rb_report_free: rb_report_code is LoadFile's code (0, or -1 cannot
   read, -2 definition line too short, -3 ID already held, -4 mapping line of another block,
   -5 mapping line too short), rb_report_line the 1-based line (0 when none), and
   rb_report_message the reason. rb_report_skipped_line (new in 1.4.0) is the first line holding
   text the load passed over without rejecting the file, which a write would not give back: a
   mapping line before the first definition, or more fields than a line takes (0 when none). */
RB_API rb_status RB_CALL rb_collection_load(rb_collection* collection, const char* path,
                                            rb_report** report);

/* Writes every block to `path` after a header naming `app` (NULL or "": "Unknown").
   RB_ERROR_WRITE when the file was not written whole; an existing file is then left as it was.
   The report, as for rb_collection_load: rb_report_code 1 written, 0 not; rb_report_step what
   failed; rb_report_system_error the system's error number (errno values on every system, 0 when
   the system did not fail, e.g. for a value holding a line break), rb_report_message why. */
RB_API rb_status RB_CALL rb_collection_write(const rb_collection* collection, const char* path,
                                             const char* app, rb_report** report);

/* The number of blocks; 0 for NULL. */
RB_API size_t RB_CALL rb_collection_count(const rb_collection* collection);
/* Removes every block. */
RB_API rb_status RB_CALL rb_collection_remove_all(rb_collection* collection);

/* A walk in the collection's order (that of loading and adding): start, then call next until it
   gives NULL. While walking, removing the block just returned and adding blocks are safe;
   removing the next one is not. */
RB_API rb_position RB_CALL rb_collection_start(const rb_collection* collection);
RB_API rb_block* RB_CALL rb_collection_next(const rb_collection* collection, rb_position* position);

/* The block held under `id`: RB_OK with `*block` set, or RB_ERROR_NOT_FOUND. */
RB_API rb_status RB_CALL rb_collection_find(const rb_collection* collection, const char* id,
                                            rb_block** block);
/* A new block under `id`, its property 0 `id` and the others empty, last in the walk.
   RB_ERROR_NAME_TAKEN when `id` is held already. `block` may be NULL. */
RB_API rb_status RB_CALL rb_collection_add(rb_collection* collection, const char* id,
                                           rb_block** block);
/* Removes and frees the block held under `id`; RB_ERROR_NOT_FOUND when there is none. */
RB_API rb_status RB_CALL rb_collection_remove(rb_collection* collection, const char* id);
/* The block held under `old_id` is held under `new_id` from now on, and its property 0 becomes
   `new_id`; its place in the walk and its handle stay. RB_ERROR_NOT_FOUND, or
   RB_ERROR_NAME_TAKEN when `new_id` is empty or held by another block.

   Use this, not rb_block_set_property(block, 0, ...): setting property 0 changes the ID that is
   written, while the collection goes on holding the block under its old ID, so that finding or
   removing it by the new one fails. */
RB_API rb_status RB_CALL rb_collection_rename(rb_collection* collection, const char* old_id,
                                              const char* new_id);
/* The ID the collection holds `block` under, which differs from property 0 only after property 0
   was set (finding it then takes a walk of the collection). Copied into `buffer` of `size` bytes
   as snprintf does: `*length` receives the ID's full length, at most size - 1 bytes of it are
   copied and a NUL follows them (when size > 0). A longer ID is cut, still with RB_OK: call again
   with a buffer of *length + 1 bytes. `buffer` may be NULL when `size` is 0. RB_ERROR_NOT_FOUND
   when the collection does not hold the block. */
RB_API rb_status RB_CALL rb_collection_block_key(const rb_collection* collection,
                                                 const rb_block* block, char* buffer, size_t size,
                                                 size_t* length);

/* ---- Blocks ---- */

/* Property `index` (0 to 11). The text is valid until the property is set again or the block is
   removed. RB_ERROR_ARGUMENT for an index out of range. */
RB_API rb_status RB_CALL rb_block_get_property(const rb_block* block, uint32_t index,
                                               const char** text, size_t* length);
/* Property `index` becomes a copy of the `length` bytes at `text`. */
RB_API rb_status RB_CALL rb_block_set_property_bytes(rb_block* block, uint32_t index,
                                                     const char* text, size_t length);
/* As above, for a NUL-terminated text; NULL stores "". */
RB_API rb_status RB_CALL rb_block_set_property(rb_block* block, uint32_t index, const char* text);
/* The same, by field name ("XLOC", "BLOCK_PATH"; exact case). RB_ERROR_ARGUMENT for an unknown
   name. */
RB_API rb_status RB_CALL rb_block_get_property_by_name(const rb_block* block, const char* name,
                                                       const char** text, size_t* length);
RB_API rb_status RB_CALL rb_block_set_property_by_name(rb_block* block, const char* name,
                                                       const char* text);

/* ---- Layer maps: rows of four columns ---- */

/* The number of rows; 0 for NULL. */
RB_API uint32_t RB_CALL rb_block_layer_map_count(const rb_block* block);
/* Appends a row of four empty columns; `row` (may be NULL) receives its index. */
RB_API rb_status RB_CALL rb_block_add_layer_map(rb_block* block, uint32_t* row);
/* Column `column` (0 to 3) of row `row`; valid until that column is set or its row removed. */
RB_API rb_status RB_CALL rb_block_get_layer_map(const rb_block* block, uint32_t row,
                                                uint32_t column, const char** text, size_t* length);
RB_API rb_status RB_CALL rb_block_set_layer_map(rb_block* block, uint32_t row, uint32_t column,
                                                const char* text);
RB_API rb_status RB_CALL rb_block_set_layer_map_bytes(rb_block* block, uint32_t row,
                                                      uint32_t column, const char* text,
                                                      size_t length);
/* Removes a row; later rows move down by one. */
RB_API rb_status RB_CALL rb_block_remove_layer_map(rb_block* block, uint32_t row);

/* ---- Round trip ---- */

/* How many values would not read back the same after a write and a load (0: the collection comes
   back exactly). With `report` not NULL, it receives the first of them: rb_report_code its
   reason bits (reuseblocks/diagnostics.h, RoundTripReason), rb_report_message
   "BLOCK_ID property 4: is empty"-style text. */
RB_API rb_status RB_CALL rb_collection_check_round_trip(const rb_collection* collection,
                                                        size_t* problems, rb_report** report);

/* ---- Reports ---- */

RB_API int RB_CALL rb_report_code(const rb_report* report);
/* The 1-based line of a load report's rejected line; 0 otherwise. */
RB_API uint64_t RB_CALL rb_report_line(const rb_report* report);
RB_API uint64_t RB_CALL rb_report_skipped_line(const rb_report* report);
/* The step of a write that failed (0 none; the numbers of reuseblocks::WriteStep); 0 otherwise. */
RB_API int RB_CALL rb_report_step(const rb_report* report);
/* The system's error number of a failed write, errno values on every system; 0 otherwise. */
RB_API int RB_CALL rb_report_system_error(const rb_report* report);
/* Why, in English; "" on success and for NULL. Valid until the report is freed. */
RB_API const char* RB_CALL rb_report_message(const rb_report* report);
/* NULL is ignored. */
RB_API void RB_CALL rb_report_free(rb_report* report);

#ifdef __cplusplus
}
#endif

#endif /* REUSEBLOCKS_REUSEBLOCKS_C_H */
