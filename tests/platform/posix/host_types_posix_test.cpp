// SPDX-License-Identifier: MIT
// CString limits that need a POSIX memory mapping to reach without touching the memory.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <climits>
#include <new>
#include <string_view>

#include "reuseblocks/reuseblocks.h"

namespace {

// More than a CString can count reports as running out of memory, the one allocation error a
// host is told to expect. The text is a mapped, never touched, region: nothing is copied.
TEST(CStringTest, TooLongIsBadAlloc) {
    const std::size_t tooLong = std::size_t{INT_MAX} + 1;
    void* text =
        ::mmap(nullptr, tooLong, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(text, MAP_FAILED);
    const std::string_view view(static_cast<const char*>(text), tooLong);
    EXPECT_THROW(CString{view}, std::bad_alloc);
    CString s("x");
    EXPECT_THROW(s = view, std::bad_alloc);
    EXPECT_EQ(s, "x");
    ::munmap(text, tooLong);
}

// In the "C" locale glibc cannot print a wide character beyond ASCII: vsnprintf fails.
TEST(CStringTest, FormatTheCLibraryCannotPrintLeavesTheText) {
    CString s("kept");
    s.Format("%ls", L"\u00e9");
    EXPECT_EQ(s, "kept");
    s.AppendFormat("%d%ls", 1, L"\u00e9");
    EXPECT_EQ(s, "kept");
}

}  // namespace
