// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <new>
#include <string>

#include "reuseblocks/host_types.h"

namespace {

void* AsValue(std::uintptr_t n) {
    return reinterpret_cast<void*>(n);
}

std::string WalkKeys(const CMapStringToPtr& map) {
    std::string keys;
    CString key;
    void* value = nullptr;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        keys.append(key.GetView()).append(" ");
    }
    return keys;
}

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

TEST(CStringArrayTest, OutOfRangeThrowsAndChangesNothing) {
    CStringArray a;
    a.SetSize(2);
    a[0] = "x";
    EXPECT_EQ(a.Add("y"), 2);
    EXPECT_TRUE(a[1].IsEmpty());
    for (std::ptrdiff_t bad : {std::ptrdiff_t{-1}, std::ptrdiff_t{3}}) {
        EXPECT_THROW(a.GetAt(bad), CInvalidArgException);
        EXPECT_THROW(a.SetAt(bad, "z"), CInvalidArgException);
        EXPECT_THROW(a.ElementAt(bad), CInvalidArgException);
        EXPECT_THROW(a[bad], CInvalidArgException);
    }
    EXPECT_THROW(a[SIZE_MAX], CInvalidArgException);
    EXPECT_THROW(a.RemoveAt(2, 2), CInvalidArgException);
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    ASSERT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[0], "x");
    EXPECT_EQ(a[2], "y");
    a.SetSize(1);
    EXPECT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0], "x");
    // Catchable by hosts that only know the standard exception.
    EXPECT_THROW(a.GetAt(1), std::invalid_argument);
}

TEST(CStringListTest, WalkAndNullPosition) {
    CStringList list(10);
    POSITION pos = list.GetHeadPosition();
    EXPECT_THROW(list.GetNext(pos), CInvalidArgException);
    list.AddTail("a");
    list.AddTail(CString("b"));
    std::string walked;
    for (pos = list.GetHeadPosition(); pos;) walked.append(list.GetNext(pos).GetView());
    EXPECT_EQ(walked, "ab");
}

TEST(CMapStringToPtrTest, InsertionOrderWalkSurvivesRemovals) {
    CMapStringToPtr map;
    for (const char* key : {"d", "b", "a", "c", "B", "e"}) map[key] = AsValue(1);
    EXPECT_EQ(WalkKeys(map), "d b a c B e ");
    EXPECT_TRUE(map.RemoveKey("d"));  // head
    EXPECT_TRUE(map.RemoveKey("c"));  // middle
    EXPECT_TRUE(map.RemoveKey("e"));  // tail
    EXPECT_FALSE(map.RemoveKey("e"));
    EXPECT_EQ(WalkKeys(map), "b a B ");
    map["d"] = AsValue(2);  // a key coming back goes to the end
    map["b"] = AsValue(3);  // an existing key keeps its place
    EXPECT_EQ(WalkKeys(map), "b a B d ");

    void* value = AsValue(42);
    EXPECT_FALSE(map.Lookup("A", value));  // case-sensitive, and the value is left alone
    EXPECT_EQ(value, AsValue(42));
    EXPECT_TRUE(map.Lookup("b", value) && value == AsValue(3));

    // Removing the entry just visited keeps the walk going.
    std::string removed;
    CString key;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        map.GetNextAssoc(pos, key, value);
        removed.append(key.GetView());
        map.RemoveKey(key);
    }
    EXPECT_EQ(removed, "baBd");
    EXPECT_TRUE(map.IsEmpty());
    POSITION end = map.GetStartPosition();
    EXPECT_EQ(end, nullptr);
    EXPECT_THROW(map.GetNextAssoc(end, key, value), CInvalidArgException);
}

TEST(CMapStringToPtrTest, MillionKeysInsertFindRemove) {
    constexpr std::uintptr_t kKeys = 1'000'000;
    CMapStringToPtr map;
    for (std::uintptr_t i = 0; i < kKeys; ++i) map[std::to_string(i).c_str()] = AsValue(i + 1);
    ASSERT_EQ(map.GetCount(), static_cast<int>(kKeys));
    void* value = nullptr;
    for (std::uintptr_t i = 0; i < kKeys; ++i) {
        ASSERT_TRUE(map.Lookup(std::to_string(i).c_str(), value));
        ASSERT_EQ(value, AsValue(i + 1));
    }
    for (std::uintptr_t i = 0; i < kKeys; i += 2)
        ASSERT_TRUE(map.RemoveKey(std::to_string(i).c_str()));
    ASSERT_EQ(map.GetCount(), static_cast<int>(kKeys / 2));
    // The survivors are walked in insertion order, each once.
    std::uintptr_t expected = 1;
    CString key;
    for (POSITION pos = map.GetStartPosition(); pos; expected += 2) {
        map.GetNextAssoc(pos, key, value);
        ASSERT_EQ(key, std::to_string(expected).c_str());
        ASSERT_EQ(value, AsValue(expected + 1));
    }
    EXPECT_EQ(expected, kKeys + 1);
    EXPECT_FALSE(map.Lookup("0", value));
    EXPECT_FALSE(map.Lookup(std::to_string(kKeys).c_str(), value));
}

}  // namespace
