#include "winlib/CPointerList.h"

#include <new>

#include "winlib/DebugMessage.h"

// A value still in a node being deleted is a value nobody will free any more.
CListElement::~CListElement() {
    if (m_value != nullptr) {
        DebugMessage("Zu loeschendes Listenelement nicht leer", 0);
    }
}

CPointerList::~CPointerList() {
    RemoveAll();
}

void* CPointerList::First() {
    m_cursor = m_head;
    return Current();
}

void* CPointerList::Next() {
    if (m_cursor != nullptr) {
        m_cursor = m_cursor->m_next;
    }
    return Current();
}

void* CPointerList::Current() {
    return m_cursor != nullptr ? m_cursor->m_value : nullptr;
}

void* CPointerList::PeekNext() {
    return m_cursor != nullptr && m_cursor->m_next != nullptr ? m_cursor->m_next->m_value : nullptr;
}

int CPointerList::SwapWithNext() {
    if (m_cursor == nullptr || m_cursor->m_next == nullptr) {
        return 0;
    }
    void* value = m_cursor->m_value;
    m_cursor->m_value = m_cursor->m_next->m_value;
    m_cursor->m_next->m_value = value;
    return 1;
}

void CPointerList::RemoveFirst() {
    CListElement* first = m_head;
    if (first == nullptr) {
        return;
    }
    if (m_cursor == first) {
        m_cursor = nullptr;
    }
    m_head = first->m_next;
    --m_count;
    delete first;
}

void CPointerList::ClearCurrent() {
    if (m_cursor != nullptr) {
        m_cursor->m_value = nullptr;
    }
}

void CPointerList::RemoveCurrent() {
    CListElement* node = m_cursor;
    if (node == nullptr) {
        return;
    }
    if (node == m_head) {
        m_head = node->m_next;
    } else {
        CListElement* before = m_head;
        while (before != nullptr && before->m_next != node) {
            before = before->m_next;
        }
        if (before == nullptr) {
            return;
        }
        before->m_next = node->m_next;
    }
    m_cursor = node->m_next;
    --m_count;
    delete node;
}

void CPointerList::RemoveAll() {
    while (m_head != nullptr) {
        RemoveFirst();
    }
    m_cursor = nullptr;
}

void CPointerList::ClearAndRemoveAll() {
    for (CListElement* node = m_head; node != nullptr; node = node->m_next) {
        node->m_value = nullptr;
    }
    RemoveAll();
}

void* CPointerList::GoTo(int index) {
    m_cursor = index < 0 ? nullptr : m_head;
    for (int i = 0; i < index && m_cursor != nullptr; ++i) {
        m_cursor = m_cursor->m_next;
    }
    return Current();
}

int CPointerList::Append(void* value) {
    auto* node = new (std::nothrow) CListElement(value);
    if (node == nullptr) {
        DebugMessage("Kein Speicherplatz fuer Listenelement.", 0);
        return 0;
    }
    if (m_head == nullptr) {
        m_head = node;
    } else {
        CListElement* last = m_head;
        while (last->m_next != nullptr) {
            last = last->m_next;
        }
        last->m_next = node;
    }
    ++m_count;
    return 1;
}

int CPointerList::Prepend(void* value) {
    auto* node = new (std::nothrow) CListElement(value);
    if (node == nullptr) {
        DebugMessage("Kein Speicherplatz fuer Listenelement.", 0);
        return 0;
    }
    node->m_next = m_head;
    m_head = node;
    ++m_count;
    return 1;
}
