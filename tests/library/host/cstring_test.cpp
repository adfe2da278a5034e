// SPDX-License-Identifier: MIT
// CString as host code uses it; the expected results are the class library's documented ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "reuseblocks/host_types.h"

static_assert(std::is_same_v<LPCTSTR, const char*> && std::is_same_v<LPTSTR, char*> &&
              std::is_same_v<LPCSTR, const char*> && std::is_same_v<LPSTR, char*> &&
              std::is_same_v<TCHAR, char>);

namespace {

TEST(CStringTest, TrimsCLocaleWhiteSpaceOnlyAndNeverHighBytes) {
    CString s("\v\f \t\r\nab c\n\v\f\r");
    EXPECT_EQ(s.TrimLeft(), "ab c\n\v\f\r");
    EXPECT_EQ(s.TrimRight(), "ab c");
    // 0xA0 and 0x85 are white space in some 8-bit locales, and negative as plain char.
    CString high("\xA0\x85x\x85\xA0");
    EXPECT_EQ(high.TrimLeft().TrimRight(), "\xA0\x85x\x85\xA0");

    CString paren("(( a ))");
    EXPECT_EQ(paren.TrimLeft("( \t"), "a ))");
    EXPECT_EQ(paren.TrimRight(") \t\n"), "a");
    EXPECT_EQ(paren.TrimLeft(static_cast<const char*>(nullptr)), "a");
}

TEST(CStringTest, FindReverseFindLeftRightEdges) {
    const CString s("abcabc");
    EXPECT_EQ(s.Find('b'), 1);
    EXPECT_EQ(s.Find('b', 1), 1);  // the start index itself is searched
    EXPECT_EQ(s.Find('b', 2), 4);
    EXPECT_EQ(s.Find('b', 5), -1);
    EXPECT_EQ(s.Find('a', 6), -1);
    EXPECT_EQ(s.Find('a', -1), -1);
    EXPECT_EQ(s.Find("ca"), 2);
    EXPECT_EQ(s.Find("bc", 3), 4);
    EXPECT_EQ(CString().Find('a'), -1);
    EXPECT_EQ(s.ReverseFind('a'), 3);
    EXPECT_EQ(s.ReverseFind('z'), -1);

    EXPECT_EQ(s.Left(2), "ab");
    EXPECT_EQ(s.Left(100), "abcabc");
    EXPECT_EQ(s.Left(0), "");
    EXPECT_EQ(s.Left(-3), "");
    EXPECT_EQ(s.Right(2), "bc");
    EXPECT_EQ(s.Right(100), "abcabc");
    EXPECT_EQ(s.Right(-1), "");
}

TEST(CStringTest, NullPointersNulBytesAndUnsignedCompare) {
    CString s(static_cast<const char*>(nullptr));
    EXPECT_TRUE(s.IsEmpty());
    const CString nul("a\0b", 3);
    EXPECT_EQ(nul.GetLength(), 3);
    EXPECT_NE(nul, CString("a"));
    EXPECT_LT(CString("a").Compare("\xE9"), 0);
    EXPECT_THROW(nul.GetAt(4), CInvalidArgException);
}

// Every operator compares as Compare does, unsigned bytes and all; none falls back to comparing
// the two pointers the strings convert to. The array puts the texts in the opposite order of
// their addresses, so that a pointer comparison gets each answer wrong.
TEST(CStringTest, OrderingOperatorsCompareText) {
    const CString desc[] = {CString("b"), CString("a"),
                            CString(std::string_view("a long text, on the heap"))};
    EXPECT_TRUE(desc[0] > desc[1]);
    EXPECT_TRUE(desc[0] >= desc[1]);
    EXPECT_FALSE(desc[0] <= desc[1]);
    EXPECT_FALSE(desc[0] < desc[1]);
    EXPECT_TRUE(desc[1] <= desc[1] && desc[1] >= desc[1]);
    EXPECT_TRUE(desc[1] < desc[2]);  // a prefix sorts first

    // Against a plain C string, on either side; a null pointer is "".
    const CString b("b");
    EXPECT_TRUE(b < "c" && b <= "b" && b > "a" && b >= "b" && !(b > "b") && !(b < "\x01"));
    EXPECT_TRUE("c" > b && "b" >= b && "a" < b && "b" <= b && !("b" < b) && !("\xE9" <= b));
    EXPECT_TRUE(CString() <= static_cast<const char*>(nullptr) &&
                b > static_cast<const char*>(nullptr));

    std::vector<CString> names = {CString("U2"), CString("U10"), CString("\xE9"), CString("U1")};
    std::sort(names.begin(), names.end(), std::greater<CString>());
    EXPECT_EQ(names, (std::vector<CString>{CString("\xE9"), CString("U2"), CString("U10"),
                                           CString("U1")}));
}

TEST(CStringTest, FormatPrintsAnyLengthAndMayReadItself) {
    CString s("old");
    s.Format("%d-%s-%05.1f-%c%%", 42, "x", 3.14159, 'z');
    EXPECT_EQ(s, "42-x-003.1-z%");
    s.AppendFormat("[%3s|%-3s]", "a", "b");
    EXPECT_EQ(s, "42-x-003.1-z%[  a|b  ]");

    // Longer than any first guess, and than the string's own buffer.
    s.Format("%0*d", 5000, 7);
    ASSERT_EQ(s.GetLength(), 5000);
    EXPECT_EQ(s.Right(2), "07");
    const std::string big(1000, 'q');
    s.AppendFormat("%s", big.c_str());
    EXPECT_EQ(s.GetLength(), 6000);

    // Arguments and the format itself may be this very string, short or long.
    CString self("ab");
    self.AppendFormat("%s", self.GetString());
    EXPECT_EQ(self, "abab");
    CString heap{std::string_view(big)};
    heap.AppendFormat("%s|%s", heap.GetString(), heap.GetString());
    EXPECT_EQ(heap.GetView(), big + big + "|" + big);
    CString format("<%s>");
    format.Format(format.GetString(), "in");
    EXPECT_EQ(format, "<in>");
    const char* noFormat = nullptr;
    format.Format(noFormat, 1);
    EXPECT_EQ(format, "");
}

// Host code passes CString objects for %s and uses the platform's size prefixes; both must print
// what that platform prints. Only conversions are rewritten, never text that merely holds an I.
TEST(CStringTest, FormatTakesCStringsAndSizePrefixes) {
    const CString longId("/TOP/A_BLOCK_NAME_OF_MANY_BYTES"), shortId("U1");
    CString s;
    s.Format("%s uses %s", longId, shortId);
    EXPECT_EQ(s, "/TOP/A_BLOCK_NAME_OF_MANY_BYTES uses U1");
    s.AppendFormat("|%s|%d", s, 3);
    EXPECT_EQ(s,
              "/TOP/A_BLOCK_NAME_OF_MANY_BYTES uses U1|/TOP/A_BLOCK_NAME_OF_MANY_BYTES uses U1|3");

    const CString format("I%I64d I%-4I32d|%.*Iu|%%I64d|%I|%Ix");
    s.Format(format, -5000000000LL, 12, 3, static_cast<std::size_t>(123456), std::size_t{255});
    EXPECT_EQ(s, "I-5000000000 I12  |123456|%I64d|%I|ff");
    std::string translated;
    EXPECT_FALSE(reuseblocks::detail::TranslateSizePrefixes("ID %d", translated));
    EXPECT_FALSE(reuseblocks::detail::TranslateSizePrefixes("%", translated));
    EXPECT_FALSE(reuseblocks::detail::TranslateSizePrefixes("%I", translated));
    ASSERT_TRUE(reuseblocks::detail::TranslateSizePrefixes("%I64X%I32u%Ii", translated));
    EXPECT_EQ(translated, "%llX%u%zi");
}

TEST(CStringTest, OneCharacter) {
    CString comma = ',';
    const CStringA f("f");
    EXPECT_TRUE(comma == ',' && ',' == comma && f == 'f' && f != 'g' && 'g' != f);
    EXPECT_TRUE(CString("ff") != 'f' && CString() != 'f' &&
                CString(std::string_view("\0", 1)) == '\0');
    CString none = 0;  // the null pointer, as ever: empty, not a NUL
    EXPECT_EQ(none.GetLength(), 0);
}

TEST(CStringTest, CaseReverseReplaceRemove) {
    CString s("aZ\xE9_m");
    EXPECT_EQ(&s.MakeUpper(), &s);
    EXPECT_EQ(s, "AZ\xE9_M");  // ASCII letters only: the byte of another character stays
    EXPECT_EQ(s.MakeLower(), "az\xE9_m");
    EXPECT_EQ(s.MakeReverse(), "m_\xE9za");

    CString dashes("a-b-c");
    EXPECT_EQ(dashes.Replace('-', '+'), 2);
    EXPECT_EQ(dashes, "a+b+c");
    EXPECT_EQ(dashes.Replace('a', 'a'), 0);
    EXPECT_EQ(dashes.Replace('x', 'y'), 0);

    CString text("aaaaa");
    EXPECT_EQ(text.Replace("aa", "b"), 2);  // left to right, never overlapping
    EXPECT_EQ(text, "bba");
    EXPECT_EQ(text.Replace("", "x"), 0);
    EXPECT_EQ(text.Replace(nullptr, "x"), 0);
    EXPECT_EQ(text.Replace("b", nullptr), 2);
    EXPECT_EQ(text, "a");
    CString path("x.y.z");
    EXPECT_EQ(path.Replace(".", "<-long replacement->"), 2);
    EXPECT_EQ(path, "x<-long replacement->y<-long replacement->z");
    CString twice("abab");
    EXPECT_EQ(twice.Replace(twice.GetString() + 2, "z"), 2);  // the pattern lies in the string
    EXPECT_EQ(twice, "zz");
    // A long pattern whose prefixes repeat.
    const std::string pattern = "abcabcabcabcabcabcabd";
    CString haystack(std::string_view("abcabc" + pattern + "x" + pattern + "abcab"));
    EXPECT_EQ(haystack.Replace(pattern.c_str(), "#"), 2);
    EXPECT_EQ(haystack, "abcabc#x#abcab");

    CString spaced(" a b  c ");
    EXPECT_EQ(spaced.Remove(' '), 5);
    EXPECT_EQ(spaced, "abc");
    EXPECT_EQ(spaced.Remove('q'), 0);
}

TEST(CStringTest, InsertAndDeleteClampTheirPositions) {
    CString s("ac");
    EXPECT_EQ(s.Insert(1, 'b'), 3);
    EXPECT_EQ(s.Insert(100, "de"), 5);  // past the end appends
    EXPECT_EQ(s.Insert(-5, "<"), 6);    // before the start prepends
    EXPECT_EQ(s, "<abcde");
    EXPECT_EQ(s.Insert(2, nullptr), 6);
    EXPECT_EQ(s.Insert(3, s.GetString()), 12);  // from itself
    EXPECT_EQ(s, "<ab<abcdecde");
    CString full("123456789012345");  // the most text kept inside the object
    EXPECT_EQ(full.Insert(15, 'x'), 16);
    EXPECT_EQ(full, "123456789012345x");

    CString d("abcdef");
    EXPECT_EQ(d.Delete(1, 2), 4);
    EXPECT_EQ(d, "adef");
    EXPECT_EQ(d.Delete(10), 4);
    EXPECT_EQ(d.Delete(0, -3), 4);
    EXPECT_EQ(d.Delete(2, 100), 2);
    EXPECT_EQ(d.Delete(-1), 1);  // a negative index counts as 0
    EXPECT_EQ(d, "d");
}

TEST(CStringTest, TokenizeSkipsDelimitersAndEndsAtMinusOne) {
    const CString s("%First Second#Third");
    int position = 0;
    std::vector<std::string> tokens;
    std::vector<int> positions;
    for (CString token = s.Tokenize("% #", position); position != -1;
         token = s.Tokenize("% #", position)) {
        tokens.emplace_back(token.GetView());
        positions.push_back(position);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_EQ(positions, (std::vector<int>{7, 14, 20}));

    const CString edges(",,a,,b,,");
    position = 0;
    EXPECT_EQ(edges.Tokenize(",", position), "a");
    EXPECT_EQ(position, 4);
    EXPECT_EQ(edges.Tokenize(",", position), "b");
    EXPECT_EQ(edges.Tokenize(",", position), "");  // only delimiters are left
    EXPECT_EQ(position, -1);
    position = 8;
    EXPECT_EQ(edges.Tokenize(",", position), "");
    EXPECT_EQ(position, -1);

    // Without delimiters the rest is one token, and the next call ends.
    position = 1;
    EXPECT_EQ(CString("abc").Tokenize("", position), "bc");
    EXPECT_EQ(CString("abc").Tokenize(nullptr, position), "");
    EXPECT_EQ(position, -1);
    EXPECT_THROW(s.Tokenize("%", position), CInvalidArgException);
    EXPECT_EQ(position, -1);
}

TEST(CStringTest, SpansFindOneOfAndCaseFreeComparisons) {
    EXPECT_EQ(CString("cabbage").SpanIncluding("abc"), "cabba");
    EXPECT_EQ(CString("cabbage").SpanIncluding(""), "");
    EXPECT_EQ(CString("Hello World! Goodbye!").SpanExcluding(".!?"), "Hello World");
    EXPECT_EQ(CString("no stop").SpanExcluding(""), "no stop");
    EXPECT_EQ(CString("abcdef").FindOneOf("xd"), 3);
    EXPECT_EQ(CString("abcdef").FindOneOf(""), -1);
    EXPECT_EQ(CString("abcdef").FindOneOf(nullptr), -1);

    EXPECT_EQ(CString("ABC").CompareNoCase("abc"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("abcd").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("_").CompareNoCase("A"), 0);  // letters fold to lower case
    EXPECT_GT(CString("\xE9").CompareNoCase("z"), 0);
    // The tests run in the "C" locale, where collation is byte order.
    EXPECT_LT(CString("a").Collate("b"), 0);
    EXPECT_GT(CString("b").Collate(nullptr), 0);
    EXPECT_EQ(CString("ABC").CollateNoCase("abc"), 0);
    EXPECT_LT(CString("a").CollateNoCase("B"), 0);
}

TEST(CStringTest, BuffersKeepTheTextAndReleaseToTheFirstNul) {
    CString s("ab");
    char* buffer = s.GetBuffer(40);
    EXPECT_GE(s.GetAllocLength(), 40);
    EXPECT_EQ(std::string(buffer, 2), "ab");
    std::strcpy(buffer, "longer than the object holds");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "longer than the object holds");
    s.GetBuffer();
    s.ReleaseBuffer(6);
    EXPECT_EQ(s, "longer");

    // A buffer filled to the last byte, with no NUL in it, keeps all of it.
    CString small;
    std::memset(small.GetBuffer(15), 'x', 15);
    small.ReleaseBuffer();
    EXPECT_EQ(small, "xxxxxxxxxxxxxxx");

    char* set = small.GetBufferSetLength(18);
    EXPECT_EQ(small.GetLength(), 18);
    EXPECT_EQ(set[15], '\0');  // what the text gained is NUL, not leftovers
    set[15] = 'y';
    small.ReleaseBuffer(16);
    EXPECT_EQ(small, "xxxxxxxxxxxxxxxy");

    EXPECT_THROW(small.GetBuffer(-1), CInvalidArgException);
    EXPECT_THROW(small.ReleaseBuffer(small.GetAllocLength() + 1), CInvalidArgException);
    EXPECT_THROW(small.ReleaseBuffer(-2), CInvalidArgException);
    EXPECT_EQ(small, "xxxxxxxxxxxxxxxy");
}

TEST(CStringTest, AppendSetStringTruncateAndTrimSets) {
    CString s;
    s.Append("ab");
    s.Append("cdef", 2);
    s.Append("x\0y", 3);  // stops at the NUL
    s.Append(CString("!"));
    s.AppendChar('?');
    s.Append(nullptr);
    s.Append(nullptr, 4);
    EXPECT_EQ(s, "abcdx!?");
    EXPECT_THROW(s.Append("a", -1), CInvalidArgException);

    s.SetString("a\0b", 3);  // takes the length as given
    EXPECT_EQ(s.GetLength(), 3);
    s.SetString("plain");
    EXPECT_EQ(s, "plain");
    EXPECT_THROW(s.SetString("x", -1), CInvalidArgException);
    s.Truncate(2);
    EXPECT_EQ(s, "pl");
    EXPECT_THROW(s.Truncate(3), CInvalidArgException);
    EXPECT_THROW(s.Truncate(-1), CInvalidArgException);
    EXPECT_EQ(s, "pl");
    s.SetString(nullptr);
    EXPECT_TRUE(s.IsEmpty());

    CString marks("xxaxx");
    EXPECT_EQ(marks.Trim('x'), "a");
    CString wrapped("(( a ))");
    EXPECT_EQ(wrapped.Trim("( )"), "a");
    EXPECT_EQ(wrapped.Trim(""), "a");
}

}  // namespace
