// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_HOST_CSTRING_LIST_H
#define REUSEBLOCKS_HOST_CSTRING_LIST_H

#include "reuseblocks/host/cstring.h"
#include "reuseblocks/host/position.h"

// A doubly linked list of CString walked through POSITION handles. Walking from a null
// position, or asking an empty list for its head or tail, throws CInvalidArgException.
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
