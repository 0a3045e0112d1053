// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/commandqueue.h"

bool CommandQueue::append(const QByteArray &text)
{
    auto *node = new CommandNode{text, 0, nullptr};
    m_last = node;
    if (m_tail) {
        m_tail->Next = node;
        m_tail = node;
        ++m_waiting;
        return false;
    }
    m_head = m_tail = node;
    return true;
}

CommandNode *CommandQueue::releaseHead()
{
    if (!m_head)
        return nullptr;
    CommandNode *old = m_head;
    m_head = old->Next;
    if (m_last == old)
        m_last = nullptr;
    delete old;
    if (m_head)
        --m_waiting;
    else
        m_tail = nullptr;
    return m_head;
}

void CommandQueue::clear()
{
    while (m_head) {
        CommandNode *next = m_head->Next;
        delete m_head;
        m_head = next;
    }
    m_tail = nullptr;
    m_last = nullptr;
    m_waiting = 0;
}

int CommandQueue::size() const
{
    int n = 0;
    for (CommandNode *p = m_head; p; p = p->Next)
        ++n;
    return n;
}

int CommandQueue::dropWaiting()
{
    if (!m_head)
        return 0;
    int dropped = 0;
    for (CommandNode *node = m_head->Next; node;) {
        CommandNode *next = node->Next;
        if (m_last == node)
            m_last = nullptr;
        delete node;
        node = next;
        ++dropped;
    }
    m_head->Next = nullptr;
    m_tail = m_head;
    m_waiting = 0;
    return dropped;
}
