#ifndef REUSEBLOCKS_HOST_CSTRING_H
#define REUSEBLOCKS_HOST_CSTRING_H

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "reuseblocks/host/invalid_arg_exception.h"

// An 8-bit string with value semantics. Text is stored and compared byte for byte, without any
// character-set conversion; it may hold NUL bytes (GetLength counts them, GetString stops at the
// first one). Indexes are int, as in the class library hosts are written against.
class CString {
public:
    CString() noexcept = default;
    // A null pointer gives the empty string.
    CString(const char* text) : m_text(text ? text : "") {}
    // The first `length` bytes of `text`; a negative length or a null pointer gives "".
    CString(const char* text, int length)
        : m_text(text && length > 0 ? std::string(text, static_cast<std::size_t>(length))
                                    : std::string()) {}
    explicit CString(std::string_view text) : m_text(text) {}
    explicit CString(std::string&& text) noexcept : m_text(std::move(text)) {}
    explicit CString(char ch, int repeat = 1)
        : m_text(repeat > 0 ? static_cast<std::size_t>(repeat) : 0, ch) {}

    CString& operator=(const char* text) {
        if (text) {
            m_text.assign(text);
        } else {
            m_text.clear();
        }
        return *this;
    }
    CString& operator=(char ch) {
        m_text.assign(1, ch);
        return *this;
    }
    CString& operator=(std::string_view text) {
        m_text.assign(text);
        return *this;
    }

    CString& operator+=(const CString& other) {
        m_text += other.m_text;
        return *this;
    }
    CString& operator+=(const char* text) {
        if (text) m_text += text;
        return *this;
    }
    CString& operator+=(char ch) {
        m_text += ch;
        return *this;
    }

    int GetLength() const noexcept { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const noexcept { return m_text.empty(); }
    void Empty() noexcept { m_text.clear(); }

    // Index 0 to GetLength(); reading at GetLength() gives the terminating NUL.
    char GetAt(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) > m_text.size()) {
            AfxThrowInvalidArgException();
        }
        return m_text.c_str()[index];
    }
    void SetAt(int index, char ch) {
        if (index < 0 || static_cast<std::size_t>(index) >= m_text.size()) {
            AfxThrowInvalidArgException();
        }
        m_text[static_cast<std::size_t>(index)] = ch;
    }
    // A template so that s[i] with any integer type beats the built-in subscript reached through
    // the conversion to const char*.
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    char operator[](Index index) const {
        if constexpr (std::is_signed_v<Index>) {
            if (index < 0) AfxThrowInvalidArgException();
        }
        if (static_cast<unsigned long long>(index) > m_text.size()) AfxThrowInvalidArgException();
        return m_text.c_str()[static_cast<std::size_t>(index)];
    }

    const char* GetString() const noexcept { return m_text.c_str(); }
    operator const char*() const noexcept { return m_text.c_str(); }
    // The whole text, NUL bytes included.
    std::string_view GetView() const noexcept { return m_text; }

    // First `count` characters; all of them when count exceeds the length, none when negative.
    CString Left(int count) const {
        if (count <= 0) return CString();
        return CString(GetView().substr(0, static_cast<std::size_t>(count)));
    }
    // Last `count` characters; all of them when count exceeds the length, none when negative.
    CString Right(int count) const {
        if (count <= 0) return CString();
        std::size_t n = static_cast<std::size_t>(count);
        if (n >= m_text.size()) return *this;
        return CString(GetView().substr(m_text.size() - n));
    }
    // From `first` to the end; `first` is clamped into the string.
    CString Mid(int first) const { return Mid(first, GetLength()); }
    CString Mid(int first, int count) const {
        if (first < 0) first = 0;
        if (count <= 0 || static_cast<std::size_t>(first) >= m_text.size()) return CString();
        return CString(GetView().substr(static_cast<std::size_t>(first),
                                        static_cast<std::size_t>(count)));
    }

    // Index of the first occurrence at or after `start`, or -1 (also when start is negative or at
    // or past the end).
    int Find(char ch, int start = 0) const noexcept {
        if (start < 0 || static_cast<std::size_t>(start) >= m_text.size()) return -1;
        return ToIndex(m_text.find(ch, static_cast<std::size_t>(start)));
    }
    int Find(const char* sub, int start = 0) const noexcept {
        if (!sub || start < 0 || static_cast<std::size_t>(start) >= m_text.size()) return -1;
        return ToIndex(m_text.find(sub, static_cast<std::size_t>(start)));
    }
    // Index of the last occurrence, or -1.
    int ReverseFind(char ch) const noexcept { return ToIndex(m_text.rfind(ch)); }

    // Negative, 0 or positive as this string sorts before, equal to or after `other`, comparing
    // bytes as unsigned; case-sensitive. A null pointer compares as "".
    int Compare(const char* other) const noexcept {
        return CompareViews(GetView(), other ? std::string_view(other) : std::string_view());
    }
    int Compare(const CString& other) const noexcept {
        return CompareViews(GetView(), other.GetView());
    }

    // Without argument, trimming strips the C locale's white space: blank, \t, \n, \v, \f, \r.
    CString& TrimLeft() { return EraseLeading([](char c) { return IsSpace(c); }); }
    CString& TrimRight() { return EraseTrailing([](char c) { return IsSpace(c); }); }
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& TrimLeft(char target) { return EraseLeading([target](char c) { return c == target; }); }
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
        return EraseTrailing(
            [set](char c) { return c != '\0' && std::strchr(set, c) != nullptr; });
    }

    friend bool operator==(const CString& a, const CString& b) noexcept {
        return a.m_text == b.m_text;
    }
    friend bool operator==(const CString& a, const char* b) noexcept { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) noexcept { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) noexcept { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) noexcept { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) noexcept { return a.Compare(b) < 0; }

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
    static bool IsSpace(char c) noexcept {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    static int ToIndex(std::size_t pos) noexcept {
        return pos == std::string::npos ? -1 : static_cast<int>(pos);
    }
    static int CompareViews(std::string_view a, std::string_view b) noexcept {
        // std::string_view compares through char_traits<char>, which compares as unsigned char.
        int result = a.compare(b);
        return result < 0 ? -1 : (result > 0 ? 1 : 0);
    }
    template <typename Predicate>
    CString& EraseLeading(Predicate strip) {
        std::size_t n = 0;
        while (n < m_text.size() && strip(m_text[n])) ++n;
        m_text.erase(0, n);
        return *this;
    }
    template <typename Predicate>
    CString& EraseTrailing(Predicate strip) {
        std::size_t n = m_text.size();
        while (n > 0 && strip(m_text[n - 1])) --n;
        m_text.resize(n);
        return *this;
    }

    std::string m_text;
};

#endif  // REUSEBLOCKS_HOST_CSTRING_H
