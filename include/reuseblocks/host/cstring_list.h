// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_LIST_H
#define REUSEBLOCKS_HOST_CSTRING_LIST_H

#include <cstddef>
#include <utility>

#include "reuseblocks/host/cstring.h"
#include "reuseblocks/host/position.h"

// A doubly linked list of CString walked through POSITION handles. Walking from a null
// position, or asking an empty list for its head or tail, throws CInvalidArgException. A
// position stays valid, and so does a reference to its element, until that element is removed;
// a position must come from this very list. An edit that runs out of memory throws
// std::bad_alloc and leaves the list as it was.
class CStringList {
  public:
    // The block size is accepted for source compatibility; nodes are allocated one by one.
    explicit CStringList(int blockSize = 10) noexcept { static_cast<void>(blockSize); }
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;
    ~CStringList() { RemoveAll(); }

    int GetCount() const noexcept { return m_count; }
    int GetSize() const noexcept { return m_count; }
    bool IsEmpty() const noexcept { return m_count == 0; }

    POSITION AddTail(const CString& text) {
        Node* node = new Node{text, m_tail, nullptr};
        (m_tail ? m_tail->next : m_head) = node;
        m_tail = node;
        ++m_count;
        return ToPosition(node);
    }
    POSITION AddTail(const char* text) { return AddTail(CString(text)); }
    POSITION AddHead(const CString& text) {
        Node* node = new Node{text, nullptr, m_head};
        (m_head ? m_head->prev : m_tail) = node;
        m_head = node;
        ++m_count;
        return ToPosition(node);
    }
    POSITION AddHead(const char* text) { return AddHead(CString(text)); }
    // Copies of the elements of `other` (which may be this list), in their order, before the head
    // or after the tail; a null list throws.
    void AddHead(const CStringList* other) {
        CStringList copies;
        copies.AddCopiesOf(other);
        Splice(copies, nullptr, m_head);
    }
    void AddTail(const CStringList* other) {
        CStringList copies;
        copies.AddCopiesOf(other);
        Splice(copies, m_tail, nullptr);
    }

    // A new element before (after) the one at `position`, and its position; a null position
    // inserts at the head (the tail).
    POSITION InsertBefore(POSITION position, const CString& text) {
        Node* next = FromPosition(position);
        if (!next) return AddHead(text);
        return Link(new Node{text, next->prev, next});
    }
    POSITION InsertBefore(POSITION position, const char* text) {
        return InsertBefore(position, CString(text));
    }
    POSITION InsertAfter(POSITION position, const CString& text) {
        Node* prev = FromPosition(position);
        if (!prev) return AddTail(text);
        return Link(new Node{text, prev, prev->next});
    }
    POSITION InsertAfter(POSITION position, const char* text) {
        return InsertAfter(position, CString(text));
    }

    // Removes the head (tail) and returns its value; an empty list throws.
    CString RemoveHead() { return Unlink(NonEmpty(m_head)); }
    CString RemoveTail() { return Unlink(NonEmpty(m_tail)); }
    // Removes the element at `position`, which is then invalid; a null position throws.
    void RemoveAt(POSITION position) { Unlink(NonEmpty(FromPosition(position))); }
    // A null position throws.
    void SetAt(POSITION position, const CString& text) {
        NonEmpty(FromPosition(position))->value = text;
    }
    void SetAt(POSITION position, const char* text) {
        NonEmpty(FromPosition(position))->value = text;
    }

    // The first element equal to `text` (compared as text; null counts as ""), searching from
    // the head or from the element after `startAfter`; null when there is none.
    POSITION Find(const char* text, POSITION startAfter = nullptr) const noexcept {
        const Node* node = startAfter ? FromPosition(startAfter)->next : m_head;
        for (; node; node = node->next) {
            if (node->value == text) return ToPosition(const_cast<Node*>(node));
        }
        return nullptr;
    }
    // The position of the element `index` places from the head, or null when the index is
    // negative or not below GetCount().
    POSITION FindIndex(std::ptrdiff_t index) const noexcept {
        if (index < 0 || index >= m_count) return nullptr;
        Node* node = m_head;
        while (index-- > 0) node = node->next;
        return ToPosition(node);
    }

    void RemoveAll() noexcept {
        while (m_head) {
            Node* next = m_head->next;
            delete m_head;
            m_head = next;
        }
        m_tail = nullptr;
        m_count = 0;
    }

    CString& GetHead() { return NonEmpty(m_head)->value; }
    const CString& GetHead() const { return NonEmpty(m_head)->value; }
    CString& GetTail() { return NonEmpty(m_tail)->value; }
    const CString& GetTail() const { return NonEmpty(m_tail)->value; }

    POSITION GetHeadPosition() const noexcept { return ToPosition(m_head); }
    POSITION GetTailPosition() const noexcept { return ToPosition(m_tail); }

    // Returns the element at `position` and moves `position` to the next (or previous) one,
    // null after the last.
    CString& GetNext(POSITION& position) { return Step(position, true); }
    const CString& GetNext(POSITION& position) const { return Step(position, true); }
    CString& GetPrev(POSITION& position) { return Step(position, false); }
    const CString& GetPrev(POSITION& position) const { return Step(position, false); }

    CString& GetAt(POSITION position) { return NonEmpty(FromPosition(position))->value; }
    const CString& GetAt(POSITION position) const {
        return NonEmpty(FromPosition(position))->value;
    }

  private:
    struct Node {
        CString value;
        Node* prev;
        Node* next;
    };

    // `node` already points at its neighbours; they learn of it here.
    POSITION Link(Node* node) noexcept {
        (node->prev ? node->prev->next : m_head) = node;
        (node->next ? node->next->prev : m_tail) = node;
        ++m_count;
        return ToPosition(node);
    }
    CString Unlink(Node* node) noexcept {
        (node->prev ? node->prev->next : m_head) = node->next;
        (node->next ? node->next->prev : m_tail) = node->prev;
        --m_count;
        CString value(std::move(node->value));
        delete node;
        return value;
    }
    void AddCopiesOf(const CStringList* other) {
        if (!other) AfxThrowInvalidArgException();
        for (const Node* node = other->m_head; node; node = node->next) AddTail(node->value);
    }
    // Moves every node of `from` in between `prev` and `next`, neighbours in this list.
    void Splice(CStringList& from, Node* prev, Node* next) noexcept {
        if (!from.m_head) return;
        from.m_head->prev = prev;
        from.m_tail->next = next;
        (prev ? prev->next : m_head) = from.m_head;
        (next ? next->prev : m_tail) = from.m_tail;
        m_count += from.m_count;
        from.m_head = from.m_tail = nullptr;
        from.m_count = 0;
    }

    static POSITION ToPosition(Node* node) noexcept { return reinterpret_cast<POSITION>(node); }
    static Node* FromPosition(POSITION position) noexcept {
        return reinterpret_cast<Node*>(position);
    }
    static Node* NonEmpty(Node* node) {
        if (!node) AfxThrowInvalidArgException();
        return node;
    }
    static CString& Step(POSITION& position, bool forward) {
        Node* node = NonEmpty(FromPosition(position));
        position = ToPosition(forward ? node->next : node->prev);
        return node->value;
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};

#endif  // REUSEBLOCKS_HOST_CSTRING_LIST_H
