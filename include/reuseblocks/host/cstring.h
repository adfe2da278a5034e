// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_H
#define REUSEBLOCKS_HOST_CSTRING_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

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

// An 8-bit string with value semantics. Text is stored and compared byte for byte, without any
// character-set conversion; it may hold NUL bytes (GetLength counts them, GetString stops at the
// first one). Indexes are int, as in the class library hosts are written against. Text longer
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
        Append(other.Data(), other.Size());
        return *this;
    }
    CString& operator+=(const char* text) {
        if (text) Append(text, std::strlen(text));
        return *this;
    }
    CString& operator+=(char ch) {
        Append(&ch, 1);
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

    // Without argument, trimming strips the C locale's white space: blank, \t, \n, \v, \f, \r.
    CString& TrimLeft() {
        return EraseLeading([](char c) { return IsSpace(c); });
    }
    CString& TrimRight() {
        return EraseTrailing([](char c) { return IsSpace(c); });
    }
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& TrimLeft(char target) {
        return EraseLeading([target](char c) { return c == target; });
    }
    CString& TrimRight(char target) {
        return EraseTrailing([target](char c) { return c == target; });
    }
    // Strips the characters of a zero-terminated set; a null set strips nothing.
    CString& TrimLeft(const char* set) {
        if (!set) return *this;
        return EraseLeading([set](char c) { return c != '\0' && std::strchr(set, c) != nullptr; });
    }
    CString& TrimRight(const char* set) {
        if (!set) return *this;
        return EraseTrailing([set](char c) { return c != '\0' && std::strchr(set, c) != nullptr; });
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
            SetInlineSize(size);
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

    // Room for `capacity` bytes and the NUL, keeping the first `keep` bytes of the text; the
    // old storage is freed only once the new one exists.
    char* Grow(std::size_t capacity, std::size_t keep) {
        if (capacity > kMaxSize) throw std::bad_alloc();
        char* data = NewStorage(capacity);
        std::memcpy(data, Data(), keep);
        Release();
        SetHeap(data, capacity);
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
    void Append(const char* text, std::size_t count) {
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

    static bool IsSpace(char c) noexcept {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
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
