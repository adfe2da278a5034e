# SPDX-License-Identifier: MIT
"""A Python host of the C interface through ctypes; prints what the C caller prints.

Usage: python_caller.py LIBRARY BOARD REJECTED WORK_DIR
"""
import ctypes
import os
import sys

RB_OK = 0
NAMES = ("BLOCK_HIER_NAME", "BLOCK_PATH")


def bind(library):
    lib = ctypes.CDLL(library)
    p, c, s, u32 = ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t, ctypes.c_uint32
    status = ctypes.c_int
    signatures = {
        "rb_status_name": (c, [status]),
        "rb_version_number": (u32, []),
        "rb_collection_new": (p, []),
        "rb_collection_free": (None, [p]),
        "rb_collection_load": (status, [p, c, ctypes.POINTER(p)]),
        "rb_collection_write": (status, [p, c, c, ctypes.POINTER(p)]),
        "rb_collection_count": (s, [p]),
        "rb_collection_start": (p, [p]),
        "rb_collection_next": (p, [p, ctypes.POINTER(p)]),
        "rb_collection_find": (status, [p, c, ctypes.POINTER(p)]),
        "rb_collection_add": (status, [p, c, ctypes.POINTER(p)]),
        "rb_collection_rename": (status, [p, c, c]),
        "rb_collection_block_key": (status, [p, p, ctypes.c_char_p, s, ctypes.POINTER(s)]),
        "rb_collection_check_round_trip": (status, [p, ctypes.POINTER(s), ctypes.POINTER(p)]),
        "rb_block_get_property": (status, [p, u32, ctypes.POINTER(p), ctypes.POINTER(s)]),
        "rb_block_set_property": (status, [p, u32, c]),
        "rb_block_get_property_by_name": (status, [p, c, ctypes.POINTER(p), ctypes.POINTER(s)]),
        "rb_block_set_property_by_name": (status, [p, c, c]),
        "rb_block_layer_map_count": (u32, [p]),
        "rb_block_add_layer_map": (status, [p, ctypes.POINTER(u32)]),
        "rb_block_set_layer_map": (status, [p, u32, u32, c]),
        "rb_report_code": (ctypes.c_int, [p]),
        "rb_report_line": (ctypes.c_uint64, [p]),
        "rb_report_system_error": (ctypes.c_int, [p]),
        "rb_report_message": (c, [p]),
        "rb_report_free": (None, [p]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


class Caller:
    def __init__(self, lib):
        self.lib = lib

    def check(self, what, status):
        if status != RB_OK:
            print(f"{what}: {self.name(status)}")
            sys.exit(1)

    def name(self, status):
        return self.lib.rb_status_name(status).decode()

    def text(self, getter, block, index):
        data, length = ctypes.c_void_p(), ctypes.c_size_t()
        self.check("get property", getter(block, index, ctypes.byref(data), ctypes.byref(length)))
        return ctypes.string_at(data.value, length.value).decode() if length.value else ""

    def print_blocks(self, blocks):
        at = ctypes.c_void_p(self.lib.rb_collection_start(blocks))
        while True:
            block = self.lib.rb_collection_next(blocks, ctypes.byref(at))
            if not block:
                break
            get = self.lib.rb_block_get_property
            rows = self.lib.rb_block_layer_map_count(block)
            print(f"{self.text(get, block, 0)} {self.text(get, block, 1)} rows {rows}")

    def add_block(self, blocks):
        values = ["/TOP/NEW1", "$REUSE/new", "Smashed", "Unplaced", "0", "0",
                  "TOP", "0", "mils", "0", "0", "Unprocessed"]
        block = ctypes.c_void_p()
        self.check("add", self.lib.rb_collection_add(blocks, b"/TOP/NEW1", ctypes.byref(block)))
        for index in range(1, 12):
            self.check("set property",
                       self.lib.rb_block_set_property(block, index, values[index].encode()))
        row = ctypes.c_uint32()
        self.check("add row", self.lib.rb_block_add_layer_map(block, ctypes.byref(row)))
        for column, value in enumerate(["1", "TOP", "1", "TOP"]):
            self.check("set column",
                       self.lib.rb_block_set_layer_map(block, row, column, value.encode()))
        taken = self.lib.rb_collection_add(blocks, b"/TOP/NEW1", None)
        print(f"added /TOP/NEW1, taken again: {self.name(taken)}")

    def run(self, board, rejected, work):
        lib = self.lib
        out_path = os.path.join(work, "python_caller.blocks").encode()
        missing_path = os.path.join(work, "missing", "python_caller.blocks").encode()
        print("version: " + ("ok" if lib.rb_version_number() // 10000 == 1 else "mismatch"))

        blocks = lib.rb_collection_new()
        report = ctypes.c_void_p()
        self.check("load", lib.rb_collection_load(blocks, board.encode(), ctypes.byref(report)))
        lib.rb_report_free(report)
        print(f"loaded {lib.rb_collection_count(blocks)} blocks")
        self.print_blocks(blocks)

        block = ctypes.c_void_p()
        self.check("find", lib.rb_collection_find(blocks, b"/TOP/U12/B3", ctypes.byref(block)))
        self.check("set XLOC", lib.rb_block_set_property_by_name(block, b"XLOC", b"12.5"))
        self.add_block(blocks)
        self.check("rename", lib.rb_collection_rename(blocks, b"/TOP/U12/B3",
                                                      b"/TOP/U12/B3_RENAMED"))
        key, key_length = ctypes.create_string_buffer(64), ctypes.c_size_t()
        self.check("key", lib.rb_collection_block_key(blocks, block, key, 64,
                                                      ctypes.byref(key_length)))
        taken = lib.rb_collection_rename(blocks, b"/TOP/U12/B4", b"/TOP/NEW1")
        print(f"renamed to {key.value.decode()}, onto a taken name: {self.name(taken)}")
        problems = ctypes.c_size_t()
        self.check("round trip",
                   lib.rb_collection_check_round_trip(blocks, ctypes.byref(problems), None))
        print(f"round-trip problems: {problems.value}")

        self.check("write", lib.rb_collection_write(blocks, out_path, b"python_caller", None))
        reloaded = lib.rb_collection_new()
        self.check("reload", lib.rb_collection_load(reloaded, out_path, None))
        print(f"reloaded {lib.rb_collection_count(reloaded)} blocks")
        self.print_blocks(reloaded)
        self.check("find renamed", lib.rb_collection_find(reloaded, b"/TOP/U12/B3_RENAMED",
                                                          ctypes.byref(block)))
        print("XLOC " + self.text(lib.rb_block_get_property_by_name, block, b"XLOC"))

        status = lib.rb_collection_load(reloaded, rejected.encode(), ctypes.byref(report))
        print(f"load: {self.name(status)}, code {lib.rb_report_code(report)}, "
              f"line {lib.rb_report_line(report)}: {lib.rb_report_message(report).decode()}")
        lib.rb_report_free(report)
        status = lib.rb_collection_write(reloaded, missing_path, b"python_caller",
                                         ctypes.byref(report))
        print(f"write: {self.name(status)}, system error {lib.rb_report_system_error(report)}")
        lib.rb_report_free(report)
        lib.rb_collection_free(reloaded)
        lib.rb_collection_free(blocks)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(2)
    Caller(bind(sys.argv[1])).run(*sys.argv[2:])
