// SPDX-License-Identifier: MIT
// A C# host of the C interface through P/Invoke; prints what the C caller prints.
// Usage: CSharpCaller.exe LIBRARY BOARD REJECTED WORK_DIR (the library is found by its name,
// "reuseblocks", on the system's library path).
using System;
using System.IO;
using System.Runtime.InteropServices;
using System.Text;

static class Native
{
    const string Library = "reuseblocks";
    const CallingConvention Cdecl = CallingConvention.Cdecl;

    [DllImport(Library, CallingConvention = Cdecl)] public static extern IntPtr rb_status_name(int status);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern uint rb_version_number();
    [DllImport(Library, CallingConvention = Cdecl)] public static extern IntPtr rb_collection_new();
    [DllImport(Library, CallingConvention = Cdecl)] public static extern void rb_collection_free(IntPtr collection);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_load(IntPtr collection, byte[] path, out IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_write(IntPtr collection, byte[] path, byte[] app, out IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern UIntPtr rb_collection_count(IntPtr collection);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern IntPtr rb_collection_start(IntPtr collection);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern IntPtr rb_collection_next(IntPtr collection, ref IntPtr position);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_find(IntPtr collection, byte[] id, out IntPtr block);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_add(IntPtr collection, byte[] id, out IntPtr block);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_rename(IntPtr collection, byte[] oldId, byte[] newId);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_block_key(IntPtr collection, IntPtr block, byte[] buffer, UIntPtr size, out UIntPtr length);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_collection_check_round_trip(IntPtr collection, out UIntPtr problems, IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_get_property(IntPtr block, uint index, out IntPtr text, out UIntPtr length);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_set_property(IntPtr block, uint index, byte[] text);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_get_property_by_name(IntPtr block, byte[] name, out IntPtr text, out UIntPtr length);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_set_property_by_name(IntPtr block, byte[] name, byte[] text);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern uint rb_block_layer_map_count(IntPtr block);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_add_layer_map(IntPtr block, out uint row);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_block_set_layer_map(IntPtr block, uint row, uint column, byte[] text);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_report_code(IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern ulong rb_report_line(IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern int rb_report_system_error(IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern IntPtr rb_report_message(IntPtr report);
    [DllImport(Library, CallingConvention = Cdecl)] public static extern void rb_report_free(IntPtr report);

    // Text goes in as NUL-terminated UTF-8.
    public static byte[] Utf8(string text)
    {
        byte[] bytes = Encoding.UTF8.GetBytes(text);
        Array.Resize(ref bytes, bytes.Length + 1);
        return bytes;
    }

    // Text comes out as bytes and a length, valid until its owner changes.
    public static string Text(IntPtr data, UIntPtr length)
    {
        byte[] bytes = new byte[(int)length.ToUInt64()];
        if (bytes.Length > 0) Marshal.Copy(data, bytes, 0, bytes.Length);
        return Encoding.UTF8.GetString(bytes);
    }

    public static string CString(IntPtr text)
    {
        int length = 0;
        while (Marshal.ReadByte(text, length) != 0) ++length;
        return Text(text, new UIntPtr((uint)length));
    }
}

static class CSharpCaller
{
    const int Ok = 0;

    static string Name(int status) { return Native.CString(Native.rb_status_name(status)); }

    static void Check(string what, int status)
    {
        if (status == Ok) return;
        Console.Write(what + ": " + Name(status) + "\n");
        Environment.Exit(1);
    }

    static string Property(IntPtr block, uint index)
    {
        IntPtr text;
        UIntPtr length;
        Check("get property", Native.rb_block_get_property(block, index, out text, out length));
        return Native.Text(text, length);
    }

    static void PrintBlocks(IntPtr blocks)
    {
        IntPtr at = Native.rb_collection_start(blocks);
        IntPtr block;
        while ((block = Native.rb_collection_next(blocks, ref at)) != IntPtr.Zero)
            Console.Write(Property(block, 0) + " " + Property(block, 1) + " rows " +
                          Native.rb_block_layer_map_count(block) + "\n");
    }

    static void AddBlock(IntPtr blocks)
    {
        string[] values = { "/TOP/NEW1", "$REUSE/new", "Smashed", "Unplaced", "0", "0",
                            "TOP", "0", "mils", "0", "0", "Unprocessed" };
        string[] columns = { "1", "TOP", "1", "TOP" };
        IntPtr block;
        Check("add", Native.rb_collection_add(blocks, Native.Utf8("/TOP/NEW1"), out block));
        for (uint i = 1; i < 12; ++i)
            Check("set property", Native.rb_block_set_property(block, i, Native.Utf8(values[i])));
        uint row;
        Check("add row", Native.rb_block_add_layer_map(block, out row));
        for (uint i = 0; i < 4; ++i)
            Check("set column", Native.rb_block_set_layer_map(block, row, i, Native.Utf8(columns[i])));
        IntPtr again;
        Console.Write("added /TOP/NEW1, taken again: " +
                      Name(Native.rb_collection_add(blocks, Native.Utf8("/TOP/NEW1"), out again)) + "\n");
    }

    static int Main(string[] args)
    {
        if (args.Length != 4) return 2;
        string outPath = Path.Combine(args[3], "csharp_caller.blocks");
        string missingPath = Path.Combine(args[3], "missing", "csharp_caller.blocks");
        Console.Write("version: " + (Native.rb_version_number() / 10000 == 1 ? "ok" : "mismatch") + "\n");

        IntPtr blocks = Native.rb_collection_new();
        IntPtr report;
        Check("load", Native.rb_collection_load(blocks, Native.Utf8(args[1]), out report));
        Native.rb_report_free(report);
        Console.Write("loaded " + Native.rb_collection_count(blocks) + " blocks\n");
        PrintBlocks(blocks);

        IntPtr block;
        Check("find", Native.rb_collection_find(blocks, Native.Utf8("/TOP/U12/B3"), out block));
        Check("set XLOC", Native.rb_block_set_property_by_name(block, Native.Utf8("XLOC"), Native.Utf8("12.5")));
        AddBlock(blocks);
        Check("rename", Native.rb_collection_rename(blocks, Native.Utf8("/TOP/U12/B3"), Native.Utf8("/TOP/U12/B3_RENAMED")));
        byte[] key = new byte[64];
        UIntPtr keyLength;
        Check("key", Native.rb_collection_block_key(blocks, block, key, new UIntPtr(64), out keyLength));
        int taken = Native.rb_collection_rename(blocks, Native.Utf8("/TOP/U12/B4"), Native.Utf8("/TOP/NEW1"));
        Console.Write("renamed to " + Encoding.UTF8.GetString(key, 0, (int)keyLength.ToUInt64()) +
                      ", onto a taken name: " + Name(taken) + "\n");
        UIntPtr problems;
        Check("round trip", Native.rb_collection_check_round_trip(blocks, out problems, IntPtr.Zero));
        Console.Write("round-trip problems: " + problems + "\n");

        Check("write", Native.rb_collection_write(blocks, Native.Utf8(outPath), Native.Utf8("csharp_caller"), out report));
        Native.rb_report_free(report);
        IntPtr reloaded = Native.rb_collection_new();
        Check("reload", Native.rb_collection_load(reloaded, Native.Utf8(outPath), out report));
        Native.rb_report_free(report);
        Console.Write("reloaded " + Native.rb_collection_count(reloaded) + " blocks\n");
        PrintBlocks(reloaded);
        Check("find renamed", Native.rb_collection_find(reloaded, Native.Utf8("/TOP/U12/B3_RENAMED"), out block));
        IntPtr text;
        UIntPtr length;
        Check("get XLOC", Native.rb_block_get_property_by_name(block, Native.Utf8("XLOC"), out text, out length));
        Console.Write("XLOC " + Native.Text(text, length) + "\n");

        int status = Native.rb_collection_load(reloaded, Native.Utf8(args[2]), out report);
        Console.Write("load: " + Name(status) + ", code " + Native.rb_report_code(report) + ", line " +
                      Native.rb_report_line(report) + ": " + Native.CString(Native.rb_report_message(report)) + "\n");
        Native.rb_report_free(report);
        status = Native.rb_collection_write(reloaded, Native.Utf8(missingPath), Native.Utf8("csharp_caller"), out report);
        Console.Write("write: " + Name(status) + ", system error " + Native.rb_report_system_error(report) + "\n");
        Native.rb_report_free(report);
        Native.rb_collection_free(reloaded);
        Native.rb_collection_free(blocks);
        return 0;
    }
}
