// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

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

std::string Joined(const CStringArray& array) {
    std::string joined;
    for (std::ptrdiff_t i = 0; i < array.GetSize(); ++i) joined.append(array[i].GetView()) += ',';
    return joined;
}

std::string Joined(const CStringList& list) {
    std::string joined;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        joined.append(list.GetNext(pos).GetView()) += ',';
    return joined;
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

TEST(CStringArrayTest, InsertGrowAppendCopy) {
    CStringArray a;
    EXPECT_EQ(a.GetData(), nullptr);
    a.Add("b");
    a.InsertAt(0, "a");
    a.InsertAt(2, CString("c"), 2);
    EXPECT_EQ(Joined(a), "a,b,c,c,");
    a.InsertAt(6, "g");  // past the end: empty strings up to it
    EXPECT_EQ(Joined(a), "a,b,c,c,,,g,");
    a.InsertAt(1, "never", 0);
    EXPECT_EQ(a.GetSize(), 7);
    a.SetAtGrow(8, a[0]);  // an element of the array itself, while it grows
    EXPECT_EQ(Joined(a), "a,b,c,c,,,g,,a,");
    a.SetAtGrow(1, "B");
    EXPECT_EQ(a[1], "B");

    CStringArray b;
    b.Add("x");
    b.Add("y");
    a.SetSize(2);
    a.InsertAt(1, &b);
    EXPECT_EQ(Joined(a), "a,x,y,B,");
    EXPECT_EQ(b.Append(a), 2);  // the index of the first appended element
    EXPECT_EQ(Joined(b), "x,y,a,x,y,B,");
    EXPECT_EQ(b.Append(b), 6);
    EXPECT_EQ(b.GetSize(), 12);
    b.InsertAt(0, &b);
    EXPECT_EQ(b.GetSize(), 24);
    b.Copy(a);
    b.Copy(b);
    EXPECT_EQ(Joined(b), "a,x,y,B,");
    b.FreeExtra();
    ASSERT_NE(b.GetData(), nullptr);
    EXPECT_EQ(b.GetData()[3], "B");

    for (auto bad : {std::ptrdiff_t{-1}}) {
        EXPECT_THROW(a.InsertAt(bad, "z"), CInvalidArgException);
        EXPECT_THROW(a.InsertAt(0, "z", bad), CInvalidArgException);
        EXPECT_THROW(a.InsertAt(bad, &b), CInvalidArgException);
        EXPECT_THROW(a.SetAtGrow(bad, "z"), CInvalidArgException);
    }
    EXPECT_THROW(a.InsertAt(0, static_cast<const CStringArray*>(nullptr)), CInvalidArgException);
    // More than memory could hold is running out of memory, whichever way it is asked for.
    EXPECT_THROW(a.SetAtGrow(PTRDIFF_MAX, "z"), std::bad_alloc);
    EXPECT_THROW(a.InsertAt(PTRDIFF_MAX, "z"), std::bad_alloc);
    EXPECT_THROW(a.SetSize(PTRDIFF_MAX), std::bad_alloc);
    EXPECT_EQ(Joined(a), "a,x,y,B,");
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

TEST(CStringListTest, EditingByPosition) {
    CStringList list;
    list.AddTail("b");
    const POSITION d = list.AddTail("d");
    list.InsertBefore(d, "c");
    list.InsertAfter(d, CString("e"));
    list.InsertBefore(nullptr, "a");  // null: at the head
    list.InsertAfter(nullptr, "f");   // null: at the tail
    EXPECT_EQ(Joined(list), "a,b,c,d,e,f,");
    EXPECT_EQ(list.GetCount(), 6);

    EXPECT_EQ(list.FindIndex(3), d);
    EXPECT_EQ(list.FindIndex(6), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.SetAt(list.FindIndex(0), "b");
    EXPECT_EQ(list.Find("b"), list.FindIndex(0));
    EXPECT_EQ(list.Find("b", list.FindIndex(0)), list.FindIndex(1));  // searches after it
    EXPECT_EQ(list.Find("b", list.FindIndex(1)), nullptr);
    EXPECT_EQ(list.Find("B"), nullptr);

    EXPECT_EQ(list.RemoveHead(), "b");
    EXPECT_EQ(list.RemoveTail(), "f");
    list.RemoveAt(d);
    EXPECT_EQ(Joined(list), "b,c,e,");
    EXPECT_EQ(list.GetCount(), 3);

    CStringList other;
    other.AddTail("x");
    other.AddTail("y");
    list.AddHead(&other);  // keeps the order of the list added
    list.AddTail(&other);
    EXPECT_EQ(Joined(list), "x,y,b,c,e,x,y,");
    list.AddTail(&list);
    EXPECT_EQ(list.GetCount(), 14);
    EXPECT_EQ(list.GetTail(), "y");
    POSITION eighth = list.FindIndex(7);
    EXPECT_EQ(list.GetPrev(eighth), "x");
    EXPECT_EQ(list.GetAt(eighth), "y");

    CStringList empty;
    EXPECT_THROW(empty.RemoveHead(), CInvalidArgException);
    EXPECT_THROW(empty.RemoveTail(), CInvalidArgException);
    EXPECT_THROW(empty.RemoveAt(nullptr), CInvalidArgException);
    EXPECT_THROW(empty.SetAt(nullptr, "x"), CInvalidArgException);
    EXPECT_THROW(empty.AddTail(static_cast<const CStringList*>(nullptr)), CInvalidArgException);
    empty.AddHead(&empty);
    EXPECT_TRUE(empty.IsEmpty());
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

TEST(CMapStringToPtrTest, LookupKeyHashTableSizeAndHashKey) {
    CMapStringToPtr map;
    EXPECT_EQ(map.GetHashTableSize(), 0u);
    map.InitHashTable(1000);
    const unsigned int slots = map.GetHashTableSize();
    EXPECT_GE(slots, 1000u);
    for (int i = 0; i < 1000; ++i) map[std::to_string(i).c_str()] = AsValue(1);
    EXPECT_EQ(map.GetHashTableSize(), slots);  // room was made for all of them
    map.InitHashTable(10);                     // never shrinks
    EXPECT_EQ(map.GetHashTableSize(), slots);

    const std::string key = "a key longer than a string holds in itself";
    map[key.c_str()] = AsValue(7);
    const char* stored = "untouched";
    EXPECT_FALSE(map.LookupKey("absent", stored));
    EXPECT_STREQ(stored, "untouched");
    EXPECT_TRUE(map.LookupKey(key.c_str(), stored));
    EXPECT_NE(stored, key.c_str());  // the map's own copy
    EXPECT_EQ(stored, key);
    // The value lookup under its own name, and under the name it had, for a key with a NUL.
    void* value = nullptr;
    map.Insert(std::string_view("n\0l", 3)) = AsValue(9);
    EXPECT_TRUE(map.LookupView(std::string_view("n\0l", 3), value) && value == AsValue(9));
    EXPECT_TRUE(map.LookupKey(std::string_view(key), value) && value == AsValue(7));
    EXPECT_FALSE(map.Lookup("n", value));

    EXPECT_EQ(map.HashKey("abc"), map.HashKey(CString("abc")));
    EXPECT_EQ(map.HashKey(nullptr), map.HashKey(""));
    EXPECT_EQ(map.GetCount(), 1002);
}

}  // namespace
