// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_ARRAY_H
#define REUSEBLOCKS_HOST_CSTRING_ARRAY_H

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "reuseblocks/host/cstring.h"

// A growable array of CString. Every element access checks its index and throws
// CInvalidArgException when it is out of range; the array is then unchanged. An edit that runs
// out of memory throws std::bad_alloc and leaves the array as it was, as does a size beyond what
// memory could hold. Growing may move the elements: references, pointers and GetData() from
// before it are then stale.
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
        if (static_cast<std::size_t>(newSize) > m_items.max_size()) throw std::bad_alloc();
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

    // Element `index` becomes `text`, the array growing with empty strings to reach it; a
    // negative index throws. `text` may be an element of this array.
    void SetAtGrow(std::ptrdiff_t index, const CString& text) {
        if (index < 0) AfxThrowInvalidArgException();
        CString copy(text);
        if (index >= GetSize()) GrowTo(static_cast<std::size_t>(index) + 1);
        m_items[static_cast<std::size_t>(index)] = std::move(copy);
    }
    void SetAtGrow(std::ptrdiff_t index, const char* text) { SetAtGrow(index, CString(text)); }

    // Inserts `count` copies of `text` before `index`; an index at or past the end first grows
    // the array with empty strings up to it. A negative index or count throws; a count of 0
    // changes nothing.
    void InsertAt(std::ptrdiff_t index, const CString& text, std::ptrdiff_t count = 1) {
        if (index < 0 || count < 0) AfxThrowInvalidArgException();
        if (static_cast<std::size_t>(count) > m_items.max_size()) throw std::bad_alloc();
        InsertItems(index, std::vector<CString>(static_cast<std::size_t>(count), text));
    }
    void InsertAt(std::ptrdiff_t index, const char* text, std::ptrdiff_t count = 1) {
        InsertAt(index, CString(text), count);
    }
    // Inserts a copy of every element of `other` (which may be this array) before `index`; a
    // null array or a negative index throws.
    void InsertAt(std::ptrdiff_t index, const CStringArray* other) {
        if (!other || index < 0) AfxThrowInvalidArgException();
        InsertItems(index, std::vector<CString>(other->m_items));
    }
    // Appends copies of the elements of `other` (which may be this array) and returns the index
    // of the first of them, the old size.
    std::ptrdiff_t Append(const CStringArray& other) {
        const std::ptrdiff_t first = GetSize();
        InsertItems(first, std::vector<CString>(other.m_items));
        return first;
    }
    // Becomes a copy of `other`.
    void Copy(const CStringArray& other) {
        if (this != &other) m_items = other.m_items;
    }

    // The elements as a C array, or null when there are none.
    CString* GetData() noexcept { return m_items.empty() ? nullptr : m_items.data(); }
    const CString* GetData() const noexcept { return m_items.empty() ? nullptr : m_items.data(); }
    // Gives back the memory kept for growth.
    void FreeExtra() {
        if (m_items.capacity() == m_items.size()) return;
        std::vector<CString> fitted(std::make_move_iterator(m_items.begin()),
                                    std::make_move_iterator(m_items.end()));
        m_items.swap(fitted);
    }

  private:
    // Room for `size` elements, doubling so that repeated growth stays linear; nothing changes
    // when memory runs out.
    void Reserve(std::size_t size) {
        if (size <= m_items.capacity()) return;
        if (size > m_items.max_size()) throw std::bad_alloc();
        m_items.reserve(std::max(size, std::min(m_items.max_size(), 2 * m_items.capacity())));
    }
    void GrowTo(std::size_t size) {
        Reserve(size);
        m_items.resize(size);
    }
    // Everything that can fail (the copies, the room) happens before the array changes: moving a
    // CString cannot fail.
    void InsertItems(std::ptrdiff_t index, std::vector<CString>&& added) {
        const std::size_t at = static_cast<std::size_t>(index);
        if (added.empty()) return;
        const std::size_t base = std::max(at, m_items.size());
        if (base > m_items.max_size() || added.size() > m_items.max_size() - base) {
            throw std::bad_alloc();
        }
        Reserve(base + added.size());
        if (at > m_items.size()) m_items.resize(at);
        m_items.insert(m_items.begin() + index, std::make_move_iterator(added.begin()),
                       std::make_move_iterator(added.end()));
    }

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
