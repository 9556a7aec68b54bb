// Classes: CListElement, CPointerList
//
// A singly linked list of pointers with a cursor. The list never owns the
// values: removing nodes never deletes them, and a node still holding a value
// when it is deleted is reported (a caller clears a value before removing).
#pragma once

class CListElement {
public:
    explicit CListElement(void* value) : m_value(value) {}
    virtual ~CListElement();
    CListElement(const CListElement&) = delete;
    CListElement& operator=(const CListElement&) = delete;

    void* m_value;
    CListElement* m_next = nullptr;
};

class CPointerList {
public:
    CPointerList() = default;
    // Removes all nodes without clearing them.
    virtual ~CPointerList();
    CPointerList(const CPointerList&) = delete;
    CPointerList& operator=(const CPointerList&) = delete;

    virtual int Count() const { return m_count; }
    // Cursor to the first node; its value, null when empty.
    virtual void* First();
    // Cursor to the next node; its value, null at the end.
    virtual void* Next();
    virtual void* Current();
    // The value of the node after the cursor.
    virtual void* PeekNext();
    // Swaps the values of the cursor node and the next; 0 if either is missing.
    virtual int SwapWithNext();
    virtual void RemoveFirst();
    virtual void ClearCurrent();
    virtual void RemoveCurrent();
    virtual void RemoveAll();
    // Clears every value, then removes all nodes.
    virtual void ClearAndRemoveAll();
    // Cursor to the node at the 0-based index; its value, null beyond the end.
    virtual void* GoTo(int index);
    // 1, or 0 when no node could be allocated.
    virtual int Append(void* value);
    virtual int Prepend(void* value);

private:
    CListElement* m_head = nullptr;
    CListElement* m_cursor = nullptr;
    unsigned short m_count = 0;
};
