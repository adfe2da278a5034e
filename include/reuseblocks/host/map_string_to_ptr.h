// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H
#define REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H

#include <cstddef>
#include <new>
#include <string_view>
#include <vector>

#include "reuseblocks/export.h"
#include "reuseblocks/host/cstring.h"
#include "reuseblocks/host/position.h"

namespace reuseblocks {
// The hash of every CMapStringToPtr: keyed with a secret drawn from the system's random source
// once per process, so that no one who writes a file can choose keys that all collide. The same
// for the life of the process, different in the next one.
REUSEBLOCKS_API std::size_t KeyedHash(std::string_view key) noexcept;
}  // namespace reuseblocks

// A map from case-sensitive CString keys to untyped pointers. Lookup, insertion and removal take
// constant time on average at any size. A walk visits the entries in the order they were
// inserted, and removing an entry keeps the order of the others, so that a file loaded and
// written again keeps its order. A walk stays valid while entries other than the next one are
// removed and new ones are added.
class CMapStringToPtr {
  public:
    // The block size is accepted for source compatibility; entries are allocated one by one.
    explicit CMapStringToPtr(int blockSize = 10) { static_cast<void>(blockSize); }
    CMapStringToPtr(const CMapStringToPtr&) = delete;
    CMapStringToPtr& operator=(const CMapStringToPtr&) = delete;
    ~CMapStringToPtr() { RemoveAll(); }

    int GetCount() const noexcept { return static_cast<int>(m_count); }
    int GetSize() const noexcept { return GetCount(); }
    bool IsEmpty() const noexcept { return m_count == 0; }

    // True and `value` written when the key is present; otherwise `value` is left as it was.
    bool Lookup(const char* key, void*& value) const {
        return LookupKey(key ? std::string_view(key) : std::string_view(), value);
    }
    bool LookupKey(std::string_view key, void*& value) const {
        const std::size_t slot = FindSlot(key, Hash(key));
        if (slot == kNotFound) return false;
        value = m_slots[slot].node->value;
        return true;
    }

    // As Lookup, for a key that may hold NUL bytes. LookupKey(std::string_view, void*&) is its
    // earlier name, kept for the code that calls it; the class library's LookupKey is the one
    // below.
    bool LookupView(std::string_view key, void*& value) const { return LookupKey(key, value); }
    // As in the class library: true and `storedKey` pointing at the map's own copy of the key
    // when it is present, otherwise `storedKey` left as it was. The pointer stays valid until
    // that entry is removed.
    bool LookupKey(const char* key, const char*& storedKey) const {
        const std::string_view view = key ? std::string_view(key) : std::string_view();
        const std::size_t slot = FindSlot(view, Hash(view));
        if (slot == kNotFound) return false;
        storedKey = m_slots[slot].node->key.GetString();
        return true;
    }

    // Makes room for `count` entries, so that inserting that many never grows the table, and
    // allocates it now whatever `allocateNow` says. It may be called at any time, also on a map
    // that holds entries (the class library asks for an empty one); it never shrinks the table.
    // Out of memory throws std::bad_alloc and leaves the map as it was.
    void InitHashTable(unsigned int count, bool allocateNow = true) {
        static_cast<void>(allocateNow);
        // Three quarters full at most, as Insert keeps it.
        const unsigned long long needed = count + count / 3ULL + 1;
        std::size_t capacity = 16;
        while (capacity < needed) {
            if (capacity > m_slots.max_size() / 2) throw std::bad_alloc();
            capacity *= 2;
        }
        if (capacity > m_slots.size()) Rehash(capacity);
    }
    // The number of slots of the table, 0 before the first insertion or InitHashTable.
    unsigned int GetHashTableSize() const noexcept {
        return static_cast<unsigned int>(m_slots.size());
    }
    // The hash the map files `key` under; null counts as "". Keyed per process (see KeyedHash),
    // so it differs from one run to the next and must not be stored.
    unsigned int HashKey(const char* key) const noexcept {
        return static_cast<unsigned int>(Hash(key ? std::string_view(key) : std::string_view()));
    }

    // The value stored under `key`, inserted as null when the key is new.
    void*& operator[](const char* key) {
        return Insert(key ? std::string_view(key) : std::string_view());
    }
    void SetAt(const char* key, void* value) { (*this)[key] = value; }
    void*& Insert(std::string_view key) {
        const std::size_t hash = Hash(key);
        const std::size_t found = FindSlot(key, hash);
        if (found != kNotFound) return m_slots[found].node->value;
        // Grow first: if that throws, nothing has been added.
        if ((m_count + 1) * 4 > m_slots.size() * 3)
            Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        Node* node = new Node{CString(key), nullptr, m_tail, nullptr};
        std::size_t slot = hash & Mask();
        while (m_slots[slot].node) slot = (slot + 1) & Mask();
        m_slots[slot] = Slot{node, hash};
        ++m_count;
        (m_tail ? m_tail->next : m_head) = node;
        m_tail = node;
        return node->value;
    }

    // True when the key was present and has been removed.
    bool RemoveKey(const char* key) {
        return RemoveKeyView(key ? std::string_view(key) : std::string_view());
    }
    bool RemoveKeyView(std::string_view key) {
        std::size_t hole = FindSlot(key, Hash(key));
        if (hole == kNotFound) return false;
        Node* node = m_slots[hole].node;
        // Close the gap so that no probe sequence runs into an empty slot before its key.
        for (std::size_t next = (hole + 1) & Mask(); m_slots[next].node;
             next = (next + 1) & Mask()) {
            const std::size_t home = m_slots[next].hash & Mask();
            const bool movable =
                hole <= next ? (home <= hole || home > next) : (home <= hole && home > next);
            if (movable) {
                m_slots[hole] = m_slots[next];
                hole = next;
            }
        }
        m_slots[hole] = Slot{};
        --m_count;
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        delete node;
        return true;
    }

    void RemoveAll() noexcept {
        for (Slot& slot : m_slots) slot = Slot{};
        m_count = 0;
        while (m_head) {
            Node* next = m_head->next;
            delete m_head;
            m_head = next;
        }
        m_tail = nullptr;
    }

    // Null when the map is empty.
    POSITION GetStartPosition() const noexcept { return reinterpret_cast<POSITION>(m_head); }
    // Writes the entry at `position` and moves `position` on, to null after the last entry.
    // A null position throws CInvalidArgException.
    void GetNextAssoc(POSITION& position, CString& key, void*& value) const {
        const Node* node = Advance(position);
        key = node->key;
        value = node->value;
    }
    // As GetNextAssoc, without copying the key.
    void* GetNextValue(POSITION& position) const { return Advance(position)->value; }

  private:
    struct Node {
        CString key;
        void* value;
        Node* prev;
        Node* next;
    };
    // The hash is kept beside the pointer so that probing and growing never touch the nodes of
    // other keys.
    struct Slot {
        Node* node = nullptr;
        std::size_t hash = 0;
    };
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    static std::size_t Hash(std::string_view key) noexcept { return reuseblocks::KeyedHash(key); }
    std::size_t Mask() const noexcept { return m_slots.size() - 1; }

    std::size_t FindSlot(std::string_view key, std::size_t hash) const noexcept {
        if (m_slots.empty()) return kNotFound;
        for (std::size_t slot = hash & Mask();; slot = (slot + 1) & Mask()) {
            const Slot& entry = m_slots[slot];
            if (!entry.node) return kNotFound;
            if (entry.hash == hash && entry.node->key.GetView() == key) return slot;
        }
    }

    // `capacity` is a power of two above the count.
    void Rehash(std::size_t capacity) {
        std::vector<Slot> slots(capacity);
        const std::size_t mask = capacity - 1;
        for (const Slot& entry : m_slots) {
            if (!entry.node) continue;
            std::size_t slot = entry.hash & mask;
            while (slots[slot].node) slot = (slot + 1) & mask;
            slots[slot] = entry;
        }
        m_slots.swap(slots);
    }

    static const Node* Advance(POSITION& position) {
        const Node* node = reinterpret_cast<const Node*>(position);
        if (!node) AfxThrowInvalidArgException();
        position = reinterpret_cast<POSITION>(node->next);
        return node;
    }

    // Open addressing with linear probing, at most three quarters full; a power of two in size,
    // or empty before the first insertion. Insertion order is kept by the list through the nodes.
    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
};

#endif  // REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H
