#ifndef REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H
#define REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H

#include <cstddef>
#include <string_view>
#include <unordered_map>

#include "reuseblocks/host/cstring.h"
#include "reuseblocks/host/position.h"

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

    int GetCount() const noexcept { return static_cast<int>(m_index.size()); }
    int GetSize() const noexcept { return GetCount(); }
    bool IsEmpty() const noexcept { return m_index.empty(); }

    // True and `value` written when the key is present; otherwise `value` is left as it was.
    bool Lookup(const char* key, void*& value) const {
        return LookupKey(key ? std::string_view(key) : std::string_view(), value);
    }
    bool LookupKey(std::string_view key, void*& value) const {
        auto found = m_index.find(key);
        if (found == m_index.end()) return false;
        value = found->second->value;
        return true;
    }

    // The value stored under `key`, inserted as null when the key is new.
    void*& operator[](const char* key) {
        return Insert(key ? std::string_view(key) : std::string_view());
    }
    void SetAt(const char* key, void* value) { (*this)[key] = value; }
    void*& Insert(std::string_view key) {
        auto found = m_index.find(key);
        if (found != m_index.end()) return found->second->value;
        Node* node = new Node{CString(key), nullptr, m_tail, nullptr};
        try {
            m_index.emplace(node->key.GetView(), node);
        } catch (...) {
            delete node;
            throw;
        }
        (m_tail ? m_tail->next : m_head) = node;
        m_tail = node;
        return node->value;
    }

    // True when the key was present and has been removed.
    bool RemoveKey(const char* key) {
        return RemoveKeyView(key ? std::string_view(key) : std::string_view());
    }
    bool RemoveKeyView(std::string_view key) {
        auto found = m_index.find(key);
        if (found == m_index.end()) return false;
        Node* node = found->second;
        m_index.erase(found);
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        delete node;
        return true;
    }

    void RemoveAll() noexcept {
        m_index.clear();
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

    static const Node* Advance(POSITION& position) {
        const Node* node = reinterpret_cast<const Node*>(position);
        if (!node) AfxThrowInvalidArgException();
        position = reinterpret_cast<POSITION>(node->next);
        return node;
    }

    // Keys are views of the nodes' own key strings, which never move.
    std::unordered_map<std::string_view, Node*> m_index;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
};

#endif  // REUSEBLOCKS_HOST_MAP_STRING_TO_PTR_H
