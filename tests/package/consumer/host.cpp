// SPDX-License-Identifier: MIT
// Host code as the class library's users write it, built against the installed package: the
// members it reaches for must compile from the installed headers and give the documented results.
#include <reuseblocks/fields.h>
#include <reuseblocks/reuseblocks.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

static int failures = 0;
#define EXPECT(condition) \
    ((condition) ? void() : (++failures, void(std::fprintf(stderr, "failed: %s\n", #condition))))

static void Strings() {
    std::vector<CString> names = {"b", "c", "a"};
    std::sort(names.begin(), names.end(), std::greater<CString>());
    EXPECT(names[0] == "c" && names[2] == "a");
    const CString a("a"), b("b");
    EXPECT(a < b && a <= b && b > a && b >= a && !(a > b) && a != b);
    EXPECT(a < "b" && "b" > a && a >= "a" && "a" <= a && "a" == a);

    CString text;
    text.Format("%s-%03d", "U", 7);
    text.AppendFormat("/%c", 'x');
    EXPECT(text == "U-007/x");
    CString wide;
    wide.Format("%0600d", 1);
    EXPECT(wide.GetLength() == 600 && wide.Right(2) == "01");

    const CString path("//TOP//U12/B3");
    std::vector<CString> parts;
    int position = 0;
    for (CString part = path.Tokenize("/", position); position != -1;
         part = path.Tokenize("/", position)) {
        parts.push_back(part);
    }
    EXPECT(parts.size() == 3 && parts[0] == "TOP" && parts[2] == "B3");

    CString buffer;
    std::strcpy(buffer.GetBuffer(16), "LAYER1");
    buffer.ReleaseBuffer();
    EXPECT(buffer == "LAYER1" && buffer.GetLength() == 6);
    buffer.GetBufferSetLength(3);
    buffer.ReleaseBuffer(3);
    EXPECT(buffer == "LAY");
    EXPECT(buffer.Insert(99, "ER") == 5 && buffer.Replace("A", "") == 1 && buffer == "LYER");
}

static void Collections() {
    CStringList list;
    const POSITION middle = list.AddTail("b");
    list.InsertBefore(middle, "a");
    list.InsertAfter(middle, "c");
    EXPECT(list.GetCount() == 3 && list.GetHead() == "a" && list.Find("c") == list.FindIndex(2));
    list.SetAt(middle, "B");
    EXPECT(list.RemoveTail() == "c" && list.RemoveHead() == "a" && list.GetHead() == "B");

    CStringArray array;
    array.Add("x");
    array.InsertAt(0, "w", 2);
    array.SetAtGrow(4, "z");
    EXPECT(array.GetSize() == 5 && array[0] == "w" && array[2] == "x" && array[3].IsEmpty());
    CStringArray copy;
    copy.Copy(array);
    EXPECT(copy.Append(array) == 5 && copy.GetSize() == 10 && copy.GetData()[9] == "z");
    try {
        array.GetAt(5);
        EXPECT(!"an index past the end throws");
    } catch (const CInvalidArgException&) {
    }
}

static void Blocks() {
    CReuseBlockFile blocks;
    for (const char* id : {"/TOP/U1", "/TOP/U2", "/TOP/U3"}) blocks.NewBlock(id)->Init();
    EXPECT(blocks.GetCount() == 3);
    CReuseBlock* block = nullptr;
    EXPECT(blocks.GetBlock("/TOP/U2", block) == 1);
    block->SetProperty(reuseblocks::kXLoc, "1200");
    const CReuseBlock& view = *block;
    const char* x = view.GetPropertyRef(reuseblocks::kXLoc);
    EXPECT(std::strcmp(x, "1200") == 0 && view.GetProperty(reuseblocks::kBlockType) == "Smashed");
    blocks.RemoveAll();
    EXPECT(blocks.GetCount() == 0 && blocks.GetStartPosition() == nullptr);
    EXPECT(blocks.NewBlock("/TOP/U2") != nullptr && blocks.GetCount() == 1);
}

int main() {
    Strings();
    Collections();
    Blocks();
    if (failures == 0) std::printf("host code against reuseblocks: all passed\n");
    return failures == 0 ? 0 : 1;
}
