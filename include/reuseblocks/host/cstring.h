// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_H
#define REUSEBLOCKS_HOST_CSTRING_H

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "reuseblocks/ascii.h"
#include "reuseblocks/export.h"
#include "reuseblocks/host/invalid_arg_exception.h"

namespace reuseblocks::detail {
// CString's heap storage comes from the library and goes back to it, whichever side allocates
// or frees: a host built with another C runtime (another MSVC runtime, a debug one, /MT) then
// frees a string the library made, and the library one the host made, without crashing. Null
// when out of memory; the caller throws std::bad_alloc on its own side of the boundary.
REUSEBLOCKS_API char* AllocateStringStorage(std::size_t bytes) noexcept;
REUSEBLOCKS_API void FreeStringStorage(char* data) noexcept;
}  // namespace reuseblocks::detail

// The character types of the class library's non-Unicode build; a Unicode build's TCHAR is a wide
// character, which this 8-bit string does not hold, so there only the narrow names are given.
typedef const char* LPCSTR;
typedef char* LPSTR;
#if !defined(UNICODE) && !defined(_UNICODE)
typedef char TCHAR;
typedef const char* LPCTSTR;
typedef char* LPTSTR;
#endif

namespace reuseblocks::detail {

// The bytes of a zero-terminated set, so that matching a text against it costs one look-up a byte
// however long the set is. A null set is empty.
class ByteSet {
  public:
    explicit ByteSet(const char* set) noexcept {
        for (; set && *set; ++set) m_has[static_cast<unsigned char>(*set)] = true;
    }
    bool Has(char c) const noexcept { return m_has[static_cast<unsigned char>(c)]; }

  private:
    bool m_has[256] = {};
};

// Finds a pattern in time linear in the text: a plain search for short patterns, whose cost per
// byte the pattern's length bounds, and Knuth-Morris-Pratt for long ones, whose worst case a plain
// search would make quadratic.
class PatternSearch {
  public:
    explicit PatternSearch(std::string_view pattern) : m_pattern(pattern) {
        if (pattern.size() <= kShort) return;
        m_border.assign(pattern.size(), 0);
        for (std::size_t i = 1, k = 0; i < pattern.size(); ++i) {
            while (k > 0 && pattern[i] != pattern[k]) k = m_border[k - 1];
            if (pattern[i] == pattern[k]) ++k;
            m_border[i] = k;
        }
    }
    // The first occurrence at or after `from`, or npos.
    std::size_t Next(std::string_view text, std::size_t from) const noexcept {
        if (m_border.empty()) return text.find(m_pattern, from);
        for (std::size_t i = from, k = 0; i < text.size(); ++i) {
            while (k > 0 && text[i] != m_pattern[k]) k = m_border[k - 1];
            if (text[i] == m_pattern[k]) ++k;
            if (k == m_pattern.size()) return i + 1 - k;
        }
        return std::string_view::npos;
    }

  private:
    static constexpr std::size_t kShort = 16;
    std::string_view m_pattern;
    std::vector<std::size_t> m_border;  // longest proper border of each prefix
};

}  // namespace reuseblocks::detail

// An 8-bit string with value semantics. Text is stored and compared byte for byte, without any
// character-set conversion; it may hold NUL bytes (GetLength counts them, GetString stops at the
// first one, and so do Collate and CollateNoCase; searching and editing treat them as any other
// byte). Indexes are int, as in the class library hosts are written against. Text longer
// than an int can count throws std::bad_alloc, as running out of memory does: that is all a host
// needs to catch to survive a huge value.
//
// Sixteen bytes: a loaded design holds millions of short strings (a block has twelve properties
// and four per layer map), so up to 15 bytes live inside the object and only longer text goes to
// the heap, through the library (see AllocateStringStorage): inline text costs no call.
class CString {
  public:
    CString() noexcept { SetInlineSize(0); }
    // A null pointer gives the empty string.
    CString(const char* text) : CString() {
        if (text) Assign(text, std::strlen(text));
    }
    // The first `length` bytes of `text`; a negative length or a null pointer gives "".
    CString(const char* text, int length) : CString() {
        if (text && length > 0) Assign(text, static_cast<std::size_t>(length));
    }
    explicit CString(std::string_view text) : CString() { Assign(text.data(), text.size()); }
    explicit CString(std::string&& text) : CString(std::string_view(text)) {}
    explicit CString(char ch, int repeat = 1) : CString() {
        if (repeat <= 0) return;
        const std::size_t count = static_cast<std::size_t>(repeat);
        char* data = PrepareOverwrite(count);
        std::memset(data, ch, count);
        SetSize(count);
    }

    CString(const CString& other) : CString() {
        if (!other.IsHeap()) {
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        } else {
            Assign(other.HeapData(), other.HeapSize());
        }
    }
    CString(CString&& other) noexcept {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.SetInlineSize(0);
    }
    CString& operator=(const CString& other) {
        if (this != &other) Assign(other.Data(), other.Size());
        return *this;
    }
    CString& operator=(CString&& other) noexcept {
        if (this != &other) {
            Release();
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            other.SetInlineSize(0);
        }
        return *this;
    }
    ~CString() { Release(); }

    CString& operator=(const char* text) {
        if (text) {
            Assign(text, std::strlen(text));
        } else {
            Empty();
        }
        return *this;
    }
    CString& operator=(char ch) {
        Assign(&ch, 1);
        return *this;
    }
    CString& operator=(std::string_view text) {
        Assign(text.data(), text.size());
        return *this;
    }

    CString& operator+=(const CString& other) {
        AppendBytes(other.Data(), other.Size());
        return *this;
    }
    CString& operator+=(const char* text) {
        if (text) AppendBytes(text, std::strlen(text));
        return *this;
    }
    CString& operator+=(char ch) {
        AppendBytes(&ch, 1);
        return *this;
    }

    int GetLength() const noexcept { return static_cast<int>(Size()); }
    bool IsEmpty() const noexcept { return Size() == 0; }
    void Empty() noexcept { SetSize(0); }

    // Index 0 to GetLength(); reading at GetLength() gives the terminating NUL.
    char GetAt(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) > Size()) {
            AfxThrowInvalidArgException();
        }
        return Data()[index];
    }
    void SetAt(int index, char ch) {
        if (index < 0 || static_cast<std::size_t>(index) >= Size()) {
            AfxThrowInvalidArgException();
        }
        MutableData()[index] = ch;
    }
    // A template so that s[i] with any integer type beats the built-in subscript reached through
    // the conversion to const char*.
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    char operator[](Index index) const {
        if constexpr (std::is_signed_v<Index>) {
            if (index < 0) AfxThrowInvalidArgException();
        }
        if (static_cast<unsigned long long>(index) > Size()) AfxThrowInvalidArgException();
        return Data()[static_cast<std::size_t>(index)];
    }

    const char* GetString() const noexcept { return Data(); }
    operator const char*() const noexcept { return Data(); }
    // The whole text, NUL bytes included.
    std::string_view GetView() const noexcept { return std::string_view(Data(), Size()); }

    // First `count` characters; all of them when count exceeds the length, none when negative.
    CString Left(int count) const {
        if (count <= 0) return CString();
        return CString(GetView().substr(0, static_cast<std::size_t>(count)));
    }
    // Last `count` characters; all of them when count exceeds the length, none when negative.
    CString Right(int count) const {
        if (count <= 0) return CString();
        std::size_t n = static_cast<std::size_t>(count);
        if (n >= Size()) return *this;
        return CString(GetView().substr(Size() - n));
    }
    // From `first` to the end; `first` is clamped into the string.
    CString Mid(int first) const { return Mid(first, GetLength()); }
    CString Mid(int first, int count) const {
        if (first < 0) first = 0;
        if (count <= 0 || static_cast<std::size_t>(first) >= Size()) return CString();
        return CString(
            GetView().substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
    }

    // Index of the first occurrence at or after `start`, or -1 (also when start is negative or at
    // or past the end).
    int Find(char ch, int start = 0) const noexcept {
        if (start < 0 || static_cast<std::size_t>(start) >= Size()) return -1;
        return ToIndex(GetView().find(ch, static_cast<std::size_t>(start)));
    }
    int Find(const char* sub, int start = 0) const noexcept {
        if (!sub || start < 0 || static_cast<std::size_t>(start) >= Size()) return -1;
        return ToIndex(GetView().find(sub, static_cast<std::size_t>(start)));
    }
    // Index of the last occurrence, or -1.
    int ReverseFind(char ch) const noexcept { return ToIndex(GetView().rfind(ch)); }

    // Negative, 0 or positive as this string sorts before, equal to or after `other`, comparing
    // bytes as unsigned; case-sensitive. A null pointer compares as "".
    int Compare(const char* other) const noexcept {
        return CompareViews(GetView(), other ? std::string_view(other) : std::string_view());
    }
    int Compare(const CString& other) const noexcept {
        return CompareViews(GetView(), other.GetView());
    }
    // As Compare, with the ASCII letters of both texts folded to lower case (so "_" sorts before
    // "A"); other bytes compare as they are.
    int CompareNoCase(const char* other) const noexcept {
        const std::string_view a = GetView();
        const std::string_view b = other ? std::string_view(other) : std::string_view();
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const auto x = static_cast<unsigned char>(reuseblocks::ascii::ToLower(a[i]));
            const auto y = static_cast<unsigned char>(reuseblocks::ascii::ToLower(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    // The order of the current C locale (std::strcoll, so LC_COLLATE as setlocale left it), up to
    // the first NUL byte of each text; -1, 0 or 1. CollateNoCase folds the ASCII letters of both
    // to lower case first, and may throw std::bad_alloc for its two copies.
    int Collate(const char* other) const noexcept {
        return Sign(std::strcoll(GetString(), other ? other : ""));
    }
    int CollateNoCase(const char* other) const {
        CString a(*this);
        CString b(other);
        return Sign(std::strcoll(a.MakeLower().GetString(), b.MakeLower().GetString()));
    }

    // Index of the first byte that is in `set`, or -1 (also for an empty or null set).
    int FindOneOf(const char* set) const noexcept {
        const reuseblocks::detail::ByteSet bytes(set);
        const char* data = Data();
        for (std::size_t i = 0; i < Size(); ++i) {
            if (bytes.Has(data[i])) return static_cast<int>(i);
        }
        return -1;
    }
    // The leading bytes that are all in `set` (SpanIncluding) or none in it (SpanExcluding). An
    // empty or null set gives "" and the whole text respectively.
    CString SpanIncluding(const char* set) const {
        return CString(GetView().substr(0, Span(set, true)));
    }
    CString SpanExcluding(const char* set) const {
        return CString(GetView().substr(0, Span(set, false)));
    }

    // The next token at or after `start`: leading delimiters are skipped, the token runs to the
    // next delimiter, and `start` moves past that delimiter. When only delimiters are left, or
    // `start` is at or past the end, gives "" and sets `start` to -1. A negative `start` throws
    // CInvalidArgException. With an empty or null delimiter set the rest of the text is one
    // token, and `start` moves past the end (where the class library leaves it, and a loop that
    // waits for -1 would never end).
    CString Tokenize(const char* delimiters, int& start) const {
        if (start < 0) AfxThrowInvalidArgException();
        const std::size_t size = Size();
        std::size_t from = static_cast<std::size_t>(start);
        if (from < size) {
            if (!delimiters || !*delimiters) {
                CString rest(GetView().substr(from));
                start = PastEnd(size);
                return rest;
            }
            const reuseblocks::detail::ByteSet set(delimiters);
            const char* data = Data();
            while (from < size && set.Has(data[from])) ++from;
            if (from < size) {
                std::size_t end = from;
                while (end < size && !set.Has(data[end])) ++end;
                CString token(GetView().substr(from, end - from));
                start = PastEnd(end);
                return token;
            }
        }
        start = -1;
        return CString();
    }

    // Appends the text printf would print, at any length; Format replaces the text with it. The
    // arguments may point into this very string. A CString argument must be passed as
    // GetString() (or cast to LPCTSTR): "..." does not convert it. A null format counts as "";
    // a format the C library cannot print (an encoding error) leaves the string as it was.
    REUSEBLOCKS_PRINTF_FORMAT(2, 3) void Format(const char* format, ...) {
        std::va_list args;
        va_start(args, format);
        try {
            FormatV(format, args);
        } catch (...) {
            va_end(args);
            throw;
        }
        va_end(args);
    }
    REUSEBLOCKS_PRINTF_FORMAT(2, 3) void AppendFormat(const char* format, ...) {
        std::va_list args;
        va_start(args, format);
        try {
            AppendFormatV(format, args);
        } catch (...) {
            va_end(args);
            throw;
        }
        va_end(args);
    }
    REUSEBLOCKS_PRINTF_FORMAT(2, 0) void FormatV(const char* format, std::va_list args) {
        CString text;
        if (text.AppendFormatted(format, args)) *this = std::move(text);
    }
    REUSEBLOCKS_PRINTF_FORMAT(2, 0) void AppendFormatV(const char* format, std::va_list args) {
        AppendFormatted(format, args);
    }

    // Case changes touch the ASCII letters only, whatever the locale: other bytes, those of
    // UTF-8 sequences included, stay as they are.
    CString& MakeUpper() noexcept {
        char* data = MutableData();
        for (std::size_t i = 0; i < Size(); ++i) {
            data[i] = reuseblocks::ascii::ToUpper(data[i]);
        }
        return *this;
    }
    CString& MakeLower() noexcept {
        char* data = MutableData();
        for (std::size_t i = 0; i < Size(); ++i) data[i] = reuseblocks::ascii::ToLower(data[i]);
        return *this;
    }
    // Byte by byte, so a multi-byte character comes out with its bytes reversed.
    CString& MakeReverse() noexcept {
        char* data = MutableData();
        std::reverse(data, data + Size());
        return *this;
    }

    // Replaces every `from` with `to` and returns how many there were (0 when they are equal).
    int Replace(char from, char to) noexcept {
        if (from == to) return 0;
        int count = 0;
        char* data = MutableData();
        for (std::size_t i = 0; i < Size(); ++i) {
            if (data[i] == from) {
                data[i] = to;
                ++count;
            }
        }
        return count;
    }
    // Replaces the occurrences of `from`, left to right and not overlapping, with `to` (null
    // counts as ""), and returns how many there were; an empty or null `from` replaces nothing.
    // Both may point into this string. Linear in the length of the text and of `from`.
    int Replace(const char* from, const char* to) {
        if (!from || !*from) return 0;
        const std::string_view text = GetView();
        const std::string_view old(from);
        const std::string_view replacement = to ? std::string_view(to) : std::string_view();
        const reuseblocks::detail::PatternSearch search(old);
        std::size_t count = 0;
        for (std::size_t at = search.Next(text, 0); at != std::string_view::npos;
             at = search.Next(text, at + old.size())) {
            ++count;
        }
        if (count == 0) return 0;
        const std::size_t kept = text.size() - count * old.size();
        if (replacement.size() > 0 && count > (kMaxSize - kept) / replacement.size()) {
            throw std::bad_alloc();
        }
        CString result;
        char* out = result.PrepareOverwrite(kept + count * replacement.size());
        std::size_t done = 0;
        for (std::size_t at = search.Next(text, 0); at != std::string_view::npos;
             at = search.Next(text, at + old.size())) {
            out = CopyOut(out, text.substr(done, at - done));
            out = CopyOut(out, replacement);
            done = at + old.size();
        }
        CopyOut(out, text.substr(done));
        result.SetSize(kept + count * replacement.size());
        *this = std::move(result);
        return static_cast<int>(count);
    }
    // Removes every `ch` and returns how many there were.
    int Remove(char ch) noexcept {
        char* data = MutableData();
        const std::size_t size = Size();
        std::size_t kept = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] != ch) data[kept++] = data[i];
        }
        SetSize(kept);
        return static_cast<int>(size - kept);
    }

    // Inserts before `index` and returns the new length. An index below 0 inserts at the start,
    // one past the end appends. `text` may point into this string; null inserts nothing.
    int Insert(int index, char ch) { return InsertBytes(index, &ch, 1); }
    int Insert(int index, const char* text) {
        return InsertBytes(index, text, text ? std::strlen(text) : 0);
    }
    // Removes `count` characters from `index` on, as many as there are, and returns the new
    // length. A negative index counts as 0 and a negative count as 0; past the end removes nothing.
    int Delete(int index, int count = 1) noexcept {
        const std::size_t size = Size();
        const std::size_t first = index < 0 ? 0 : static_cast<std::size_t>(index);
        if (count > 0 && first < size) {
            const std::size_t removed = std::min(static_cast<std::size_t>(count), size - first);
            char* data = MutableData();
            std::memmove(data + first, data + first + removed, size - first - removed);
            SetSize(size - removed);
        }
        return GetLength();
    }

    void Append(const char* text) {
        if (text) AppendBytes(text, std::strlen(text));
    }
    // At most `length` bytes of `text`, up to its first NUL; a negative length throws
    // CInvalidArgException, a null text appends nothing.
    void Append(const char* text, int length) {
        if (length < 0) AfxThrowInvalidArgException();
        if (text) AppendBytes(text, BoundedLength(text, length));
    }
    void Append(const CString& other) { AppendBytes(other.Data(), other.Size()); }
    void AppendChar(char ch) { AppendBytes(&ch, 1); }
    // A null text gives "".
    void SetString(const char* text) { *this = text; }
    // The first `length` bytes of `text`, NUL bytes included; a negative length throws
    // CInvalidArgException, a null text gives "".
    void SetString(const char* text, int length) {
        if (length < 0) AfxThrowInvalidArgException();
        if (text) {
            Assign(text, static_cast<std::size_t>(length));
        } else {
            Empty();
        }
    }
    // Keeps the first `length` characters; a length below 0 or above GetLength() throws
    // CInvalidArgException.
    void Truncate(int length) {
        if (length < 0 || static_cast<std::size_t>(length) > Size()) AfxThrowInvalidArgException();
        SetSize(static_cast<std::size_t>(length));
    }

    // Direct access to the bytes, as the class library gives it. GetBuffer(n) makes room for at
    // least n characters and a NUL, keeping the text; the pointer is good until the next call
    // that changes the string, and ReleaseBuffer must come before any other member is used.
    // ReleaseBuffer(-1) takes the text up to the first NUL (or all GetAllocLength() characters
    // when the buffer holds none), ReleaseBuffer(n) the first n. A length below -1, or above the
    // room, throws CInvalidArgException and changes nothing.
    char* GetBuffer() noexcept { return MutableData(); }
    char* GetBuffer(int minLength) {
        if (minLength < 0) AfxThrowInvalidArgException();
        const std::size_t wanted = static_cast<std::size_t>(minLength);
        if (wanted > Capacity()) Grow(wanted, Size());
        return MutableData();
    }
    // GetBuffer(length), with the text made exactly `length` long: characters beyond the old end
    // are NUL.
    char* GetBufferSetLength(int length) {
        char* data = GetBuffer(length);
        const std::size_t size = Size();
        const std::size_t wanted = static_cast<std::size_t>(length);
        if (wanted > size) std::memset(data + size, 0, wanted - size);
        SetSize(wanted);
        return data;
    }
    void ReleaseBuffer(int length = -1) {
        const std::size_t room = Capacity();
        if (length < -1 || (length >= 0 && static_cast<std::size_t>(length) > room)) {
            AfxThrowInvalidArgException();
        }
        if (length >= 0) {
            SetSize(static_cast<std::size_t>(length));
            return;
        }
        const char* data = Data();
        const void* nul = std::memchr(data, '\0', room);
        SetSize(nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : room);
    }
    // The characters the buffer holds before it must grow (15 for a text kept inside the object).
    int GetAllocLength() const noexcept { return static_cast<int>(Capacity()); }

    // Without argument, trimming strips the C locale's white space: blank, \t, \n, \v, \f, \r.
    CString& TrimLeft() {
        return EraseLeading([](char c) { return reuseblocks::ascii::IsSpace(c); });
    }
    CString& TrimRight() {
        return EraseTrailing([](char c) { return reuseblocks::ascii::IsSpace(c); });
    }
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& Trim(char target) { return TrimRight(target).TrimLeft(target); }
    CString& Trim(const char* set) { return TrimRight(set).TrimLeft(set); }
    CString& TrimLeft(char target) {
        return EraseLeading([target](char c) { return c == target; });
    }
    CString& TrimRight(char target) {
        return EraseTrailing([target](char c) { return c == target; });
    }
    // Strips the characters of a zero-terminated set; a null set strips nothing.
    CString& TrimLeft(const char* set) {
        const reuseblocks::detail::ByteSet bytes(set);
        return EraseLeading([&bytes](char c) { return bytes.Has(c); });
    }
    CString& TrimRight(const char* set) {
        const reuseblocks::detail::ByteSet bytes(set);
        return EraseTrailing([&bytes](char c) { return bytes.Has(c); });
    }

    friend bool operator==(const CString& a, const CString& b) noexcept {
        return a.GetView() == b.GetView();
    }
    friend bool operator==(const CString& a, const char* b) noexcept { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) noexcept { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) noexcept { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) noexcept { return !(a == b); }
    // The ordering compares as Compare does, against a CString or a C string on either side,
    // never the pointers both convert to.
    friend bool operator<(const CString& a, const CString& b) noexcept { return a.Compare(b) < 0; }
    friend bool operator<(const CString& a, const char* b) noexcept { return a.Compare(b) < 0; }
    friend bool operator<(const char* a, const CString& b) noexcept { return 0 < b.Compare(a); }
    friend bool operator<=(const CString& a, const CString& b) noexcept {
        return a.Compare(b) <= 0;
    }
    friend bool operator<=(const CString& a, const char* b) noexcept { return a.Compare(b) <= 0; }
    friend bool operator<=(const char* a, const CString& b) noexcept { return 0 <= b.Compare(a); }
    friend bool operator>(const CString& a, const CString& b) noexcept { return a.Compare(b) > 0; }
    friend bool operator>(const CString& a, const char* b) noexcept { return a.Compare(b) > 0; }
    friend bool operator>(const char* a, const CString& b) noexcept { return 0 > b.Compare(a); }
    friend bool operator>=(const CString& a, const CString& b) noexcept {
        return a.Compare(b) >= 0;
    }
    friend bool operator>=(const CString& a, const char* b) noexcept { return a.Compare(b) >= 0; }
    friend bool operator>=(const char* a, const CString& b) noexcept { return 0 >= b.Compare(a); }

    friend CString operator+(const CString& a, const CString& b) {
        CString result(a);
        result += b;
        return result;
    }
    friend CString operator+(const CString& a, const char* b) {
        CString result(a);
        result += b;
        return result;
    }
    friend CString operator+(const char* a, const CString& b) {
        CString result(a);
        result += b;
        return result;
    }
    friend CString operator+(const CString& a, char b) {
        CString result(a);
        result += b;
        return result;
    }
    friend CString operator+(char a, const CString& b) {
        CString result(a);
        result += b;
        return result;
    }

  private:
    // Inline: the text from byte 0, a NUL after it, and in the last byte 15 minus the length, so
    // that a 15-byte text is terminated by that very byte. Heap: the pointer in bytes 0-7, the
    // length in bytes 8-11 and the capacity in bytes 12-14 plus the low seven bits of byte 15,
    // whose top bit marks the heap form. Multi-byte fields go through memcpy and are read back
    // the same way, so the layout does not depend on byte order.
    static constexpr std::size_t kInlineCapacity = 15;
    static constexpr std::size_t kMaxSize = 0x7fffffff;  // lengths are reported as int
    static constexpr unsigned char kHeapFlag = 0x80;

    bool IsHeap() const noexcept { return (Byte(15) & kHeapFlag) != 0; }
    unsigned char Byte(std::size_t index) const noexcept {
        return static_cast<unsigned char>(m_bytes[index]);
    }
    char* HeapData() const noexcept {
        char* data;
        std::memcpy(&data, m_bytes, sizeof data);
        return data;
    }
    std::size_t HeapSize() const noexcept {
        std::uint32_t size;
        std::memcpy(&size, m_bytes + 8, sizeof size);
        return size;
    }
    std::size_t HeapCapacity() const noexcept {
        return std::size_t{Byte(12)} | (std::size_t{Byte(13)} << 8) |
               (std::size_t{Byte(14)} << 16) |
               (std::size_t{static_cast<unsigned char>(Byte(15) & 0x7f)} << 24);
    }
    const char* Data() const noexcept { return IsHeap() ? HeapData() : m_bytes; }
    char* MutableData() noexcept { return IsHeap() ? HeapData() : m_bytes; }
    std::size_t Size() const noexcept { return IsHeap() ? HeapSize() : kInlineCapacity - Byte(15); }
    std::size_t Capacity() const noexcept { return IsHeap() ? HeapCapacity() : kInlineCapacity; }

    void SetInlineSize(std::size_t size) noexcept {
        m_bytes[size] = '\0';
        m_bytes[15] = static_cast<char>(kInlineCapacity - size);
    }
    void SetHeapSize(std::size_t size) noexcept {
        const auto heapSize = static_cast<std::uint32_t>(size);
        std::memcpy(m_bytes + 8, &heapSize, sizeof heapSize);
        HeapData()[size] = '\0';
    }
    // The text keeps its first `size` bytes; `size` is within the capacity.
    void SetSize(std::size_t size) noexcept {
        if (IsHeap()) {
            SetHeapSize(size);
        } else {
            // The bound holds already; spelt out, it lets the compiler see the index stay in
            // the object.
            SetInlineSize(std::min(size, kInlineCapacity));
        }
    }
    void SetHeap(char* data, std::size_t capacity) noexcept {
        std::memcpy(m_bytes, &data, sizeof data);
        m_bytes[12] = static_cast<char>(capacity & 0xff);
        m_bytes[13] = static_cast<char>((capacity >> 8) & 0xff);
        m_bytes[14] = static_cast<char>((capacity >> 16) & 0xff);
        m_bytes[15] = static_cast<char>(kHeapFlag | ((capacity >> 24) & 0x7f));
    }
    void Release() noexcept {
        if (IsHeap()) reuseblocks::detail::FreeStringStorage(HeapData());
    }
    // Room for `capacity` bytes and the NUL.
    static char* NewStorage(std::size_t capacity) {
        char* data = reuseblocks::detail::AllocateStringStorage(capacity + 1);
        if (!data) throw std::bad_alloc();
        return data;
    }

    // Room for `capacity` bytes and the NUL, the text cut to its first `keep` bytes; the old
    // storage is freed only once the new one exists.
    char* Grow(std::size_t capacity, std::size_t keep) {
        if (capacity > kMaxSize) throw std::bad_alloc();
        char* data = NewStorage(capacity);
        std::memcpy(data, Data(), keep);
        Release();
        SetHeap(data, capacity);
        SetHeapSize(keep);
        return data;
    }
    // Storage for `size` bytes whose old content need not survive.
    char* PrepareOverwrite(std::size_t size) {
        if (size <= Capacity()) return MutableData();
        return Grow(size, 0);
    }
    void Assign(const char* text, std::size_t size) {
        // memmove: `text` may lie inside this very string. The two forms are kept apart so that
        // the compiler sees the inline index stay below 16.
        if (!IsHeap()) {
            if (size <= kInlineCapacity) {
                if (size > 0) std::memmove(m_bytes, text, size);
                SetInlineSize(size);
                return;
            }
        } else if (size <= HeapCapacity()) {
            char* data = HeapData();
            if (size > 0) std::memmove(data, text, size);
            SetHeapSize(size);
            return;
        }
        if (size > kMaxSize) throw std::bad_alloc();
        char* data = NewStorage(size);
        std::memcpy(data, text, size);
        Release();
        SetHeap(data, size);
        SetHeapSize(size);
    }
    void AppendBytes(const char* text, std::size_t count) {
        const std::size_t size = Size();
        if (count > kMaxSize - size) throw std::bad_alloc();
        const std::size_t total = size + count;
        if (total > Capacity()) {
            // Keep the source alive until it has been copied: it may be this string itself.
            const std::size_t capacity = total < 2 * size ? 2 * size : total;
            char* data = NewStorage(capacity > kMaxSize ? kMaxSize : capacity);
            std::memcpy(data, Data(), size);
            std::memcpy(data + size, text, count);
            Release();
            SetHeap(data, capacity > kMaxSize ? kMaxSize : capacity);
            SetHeapSize(total);
            return;
        }
        if (count > 0) std::memmove(MutableData() + size, text, count);
        SetSize(total);
    }

    // Appends the formatted text; false, and nothing changed, on an encoding error. Short output
    // is printed once, into the stack; longer output is printed again into new storage that
    // already holds the old text, so that arguments pointing into this string stay valid.
    REUSEBLOCKS_PRINTF_FORMAT(2, 0) bool AppendFormatted(const char* format, std::va_list args) {
        if (!format) return true;
        char local[256];
        std::va_list measured;
        va_copy(measured, args);
        const int length = std::vsnprintf(local, sizeof local, format, measured);
        va_end(measured);
        if (length < 0) return false;
        const std::size_t added = static_cast<std::size_t>(length);
        if (added < sizeof local) {
            AppendBytes(local, added);
            return true;
        }
        const std::size_t size = Size();
        if (added > kMaxSize - size) throw std::bad_alloc();
        CString joined;
        char* data = joined.PrepareOverwrite(size + added);
        std::memcpy(data, Data(), size);
        if (std::vsnprintf(data + size, added + 1, format, args) != length) return false;
        joined.SetSize(size + added);
        *this = std::move(joined);
        return true;
    }
    int InsertBytes(int index, const char* text, std::size_t count) {
        const std::size_t size = Size();
        const std::size_t at = index < 0 ? 0 : std::min(static_cast<std::size_t>(index), size);
        if (count == 0) return GetLength();
        if (count > kMaxSize - size) throw std::bad_alloc();
        const char* data = Data();
        const std::less<const char*> before;
        const bool inside = !before(text, data) && before(text, data + size + 1);
        if (!inside && size + count <= Capacity()) {
            char* bytes = MutableData();
            std::memmove(bytes + at + count, bytes + at, size - at);
            std::memcpy(bytes + at, text, count);
            SetSize(size + count);
        } else {
            CString result;
            char* out = result.PrepareOverwrite(size + count);
            out = CopyOut(out, GetView().substr(0, at));
            out = CopyOut(out, std::string_view(text, count));
            CopyOut(out, GetView().substr(at));
            result.SetSize(size + count);
            *this = std::move(result);
        }
        return GetLength();
    }
    std::size_t Span(const char* set, bool inSet) const noexcept {
        const reuseblocks::detail::ByteSet bytes(set);
        const char* data = Data();
        std::size_t n = 0;
        while (n < Size() && bytes.Has(data[n]) == inSet) ++n;
        return n;
    }
    static char* CopyOut(char* out, std::string_view text) noexcept {
        if (!text.empty()) std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    // strnlen, which C++17 does not have.
    static std::size_t BoundedLength(const char* text, int limit) noexcept {
        const void* nul = std::memchr(text, '\0', static_cast<std::size_t>(limit));
        return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                   : static_cast<std::size_t>(limit);
    }
    // Where Tokenize goes on after a token that ends at `end`: past the delimiter that ends it.
    static int PastEnd(std::size_t end) noexcept {
        return end < kMaxSize ? static_cast<int>(end + 1) : static_cast<int>(kMaxSize);
    }
    static int Sign(int value) noexcept { return value < 0 ? -1 : (value > 0 ? 1 : 0); }
    static int ToIndex(std::size_t pos) noexcept {
        return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
    }
    static int CompareViews(std::string_view a, std::string_view b) noexcept {
        // std::string_view compares through char_traits<char>, which compares as unsigned char.
        int result = a.compare(b);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    template <typename Predicate>
    CString& EraseLeading(Predicate strip) {
        const std::size_t size = Size();
        std::size_t n = 0;
        const char* data = Data();
        while (n < size && strip(data[n])) ++n;
        if (n > 0) {
            std::memmove(MutableData(), data + n, size - n);
            SetSize(size - n);
        }
        return *this;
    }
    template <typename Predicate>
    CString& EraseTrailing(Predicate strip) {
        std::size_t n = Size();
        const char* data = Data();
        while (n > 0 && strip(data[n - 1])) --n;
        SetSize(n);
        return *this;
    }

    alignas(8) char m_bytes[16] = {};
};

static_assert(sizeof(CString) == 16, "CString is meant to stay two words");

#endif  // REUSEBLOCKS_HOST_CSTRING_H
