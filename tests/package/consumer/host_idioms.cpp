// SPDX-License-Identifier: MIT
// Host code written the class library's way, as its documentation shows it: CString arguments to
// Format, the platform's size prefixes, one-character strings, the platform's type names, the
// exception idiom, and renaming a block. Built with g++ and clang, C++17 and C++20.
#define REUSEBLOCKS_NO_FORMAT_CHECK  // %I64d and friends are beyond GCC's and Clang's checks
#include <reuseblocks/host/compat.h>
#include <reuseblocks/reuseblocks.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

static int failures = 0;
#define EXPECT(condition) \
    ((condition) ? void() : (++failures, void(std::fprintf(stderr, "failed: %s\n", #condition))))

static void FormatTakesCStrings() {
    const CString id = _T("/TOP/U12/B3_WITH_A_LONG_NAME");  // beyond the 15 inline bytes
    const CStringA path = TEXT("$REUSE/other_libs/optics");
    CString message;
    message.Format(_T("%s uses %s"), id, path);
    EXPECT(message == "/TOP/U12/B3_WITH_A_LONG_NAME uses $REUSE/other_libs/optics");
    message.AppendFormat(" (%d, %s)", 7, id);
    EXPECT(message ==
           "/TOP/U12/B3_WITH_A_LONG_NAME uses $REUSE/other_libs/optics (7, "
           "/TOP/U12/B3_WITH_A_LONG_NAME)");
    message.Format("%s", message);  // an argument into the string itself
    EXPECT(message.Find("uses $REUSE") > 0);
}

static void SizePrefixes() {
    const std::int64_t big = -1234567890123;
    const std::uint64_t all = 18446744073709551615ull;
    const INT_PTR small = -7;
    const std::size_t count = 12;
    CString text;
    text.Format("x=%I64d", static_cast<long long>(big));
    EXPECT(text == "x=-1234567890123");
    text.Format("%I64u|%I64x|%I32d|%Id|%Iu|%5I64d|%%I64d", static_cast<unsigned long long>(all),
                255ull, 42, small, count, 3ll);
    EXPECT(text == "18446744073709551615|ff|42|-7|12|    3|%I64d");
    DWORD mask = 0xFFu;
    text.Format("%lu", static_cast<unsigned long>(mask));
    EXPECT(text == "255");
}

static void OneCharacter() {
    CString sep = ',';
    EXPECT(sep == ',' && ',' == sep && sep != ';' && sep.GetLength() == 1);
    CString s("f");
    EXPECT(s == 'f' && !(s != 'f'));
    CString longer("ff");
    EXPECT(longer != 'f');
    CStringA narrow = s + sep;
    EXPECT(narrow == "f,");
    LPCTSTR text = narrow;
    TCHAR first = text[0];
    BOOL same = first == 'f' ? TRUE : FALSE;
    UINT length = static_cast<UINT>(narrow.GetLength());
    EXPECT(same && length == 2);
}

// The class library's handler: by pointer, then Delete. A library built to raise by value is
// caught by reference instead; either way exactly one handler runs and nothing leaks.
static void Exceptions() {
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("U1");
    int handled = 0;
    char message[64] = "";
    try {
        block->SetProperty(12, "x");
    } catch (CException* e) {
        EXPECT(e->GetErrorMessage(message, sizeof message) != 0);
        e->Delete();
        ++handled;
    } catch (CInvalidArgException& e) {
        EXPECT(e.GetErrorMessage(message, sizeof message) != 0);
        e.Delete();  // nothing to free: raised by value
        ++handled;
    }
    EXPECT(handled == 1 && std::strstr(message, "out of range") != nullptr);

    handled = 0;
    try {
        block->GetLayerMap(3, 0);
    } catch (CInvalidArgException* e) {
        e->Delete();
        ++handled;
    } catch (const CInvalidArgException&) {
        ++handled;
    }
    EXPECT(handled == 1);

    try {
        AfxThrowMemoryException();
    } catch (CMemoryException* e) {
        EXPECT(e->GetErrorMessage(message, 4) == 1 && std::strcmp(message, "out") == 0);
        e->Delete();
    } catch (CException& e) {
        EXPECT(e.GetErrorMessage(message, 4) == 1 && std::strcmp(message, "out") == 0);
        e.Delete();
    }
}

// SetProperty(0, ...) renames the block in files only; RenameBlock renames it in the collection.
static void Renaming() {
    CReuseBlockFile blocks;
    CReuseBlock* first = blocks.NewBlock("/OLD");
    blocks.NewBlock("/NEXT");
    EXPECT(blocks.RenameBlock("/OLD", "/NEW") == 1);
    EXPECT(blocks.RemoveBlock(first->GetBlockID()) == 1);
    CReuseBlock* next = nullptr;
    EXPECT(blocks.GetBlock("/NEXT", next) == 1);
    next->SetProperty(0, "/TRAP");
    CString key;
    EXPECT(blocks.GetBlockKey(next, key) == 1 && key == "/NEXT");
    EXPECT(blocks.RenameBlock(key, next->GetBlockID()) == 1);
    EXPECT(blocks.RemoveBlock("/TRAP") == 1 && blocks.GetCount() == 0);
}

int main() {
    FormatTakesCStrings();
    SizePrefixes();
    OneCharacter();
    Exceptions();
    Renaming();
    if (failures == 0) std::puts("host idioms: all passed");
    return failures == 0 ? 0 : 1;
}
