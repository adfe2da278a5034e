// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_ARRAY_H
#define REUSEBLOCKS_HOST_CSTRING_ARRAY_H

#include <cstddef>
#include <type_traits>
#include <vector>

#include "reuseblocks/host/cstring.h"

// A growable array of CString. Every element access checks its index and throws
// CInvalidArgException when it is out of range; the array is then unchanged.
class CStringArray {
  public:
    CStringArray() = default;

    std::ptrdiff_t GetSize() const noexcept { return static_cast<std::ptrdiff_t>(m_items.size()); }
    std::ptrdiff_t GetCount() const noexcept { return GetSize(); }
    std::ptrdiff_t GetUpperBound() const noexcept { return GetSize() - 1; }
    bool IsEmpty() const noexcept { return m_items.empty(); }

    // Grows with empty strings or drops entries at the end; a negative size throws.
    void SetSize(std::ptrdiff_t newSize, std::ptrdiff_t growBy = -1) {
        static_cast<void>(growBy);  // growth policy is the vector's own
        if (newSize < 0) AfxThrowInvalidArgException();
        m_items.resize(static_cast<std::size_t>(newSize));
    }

    const CString& GetAt(std::ptrdiff_t index) const { return m_items[Checked(index)]; }
    CString& ElementAt(std::ptrdiff_t index) { return m_items[Checked(index)]; }
    void SetAt(std::ptrdiff_t index, const char* text) { m_items[Checked(index)] = text; }
    void SetAt(std::ptrdiff_t index, const CString& text) { m_items[Checked(index)] = text; }

    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    CString& operator[](Index index) {
        return m_items[Checked(index)];
    }
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    const CString& operator[](Index index) const {
        return m_items[Checked(index)];
    }

    // Appends and returns the new element's index.
    std::ptrdiff_t Add(const CString& text) {
        m_items.push_back(text);
        return GetUpperBound();
    }
    std::ptrdiff_t Add(const char* text) { return Add(CString(text)); }

    // Removes `count` elements from `index` on; the range must lie inside the array.
    void RemoveAt(std::ptrdiff_t index, std::ptrdiff_t count = 1) {
        if (index < 0 || count < 0 || index > GetSize() || count > GetSize() - index) {
            AfxThrowInvalidArgException();
        }
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }
    void RemoveAll() noexcept { m_items.clear(); }

  private:
    template <typename Index>
    std::size_t Checked(Index index) const {
        if constexpr (std::is_signed_v<Index>) {
            if (index < 0) AfxThrowInvalidArgException();
        }
        if (static_cast<unsigned long long>(index) >= m_items.size()) {
            AfxThrowInvalidArgException();
        }
        return static_cast<std::size_t>(index);
    }

    std::vector<CString> m_items;
};

#endif  // REUSEBLOCKS_HOST_CSTRING_ARRAY_H
