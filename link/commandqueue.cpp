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

namespace {

// "#P336?\r" and the like: the drive addressed last answers.
bool withoutAddress(const QByteArray &text)
{
    return text.size() > 1 && text[0] == '#' && text[1] != '*' && (text[1] < '0' || text[1] > '9');
}

} // namespace

CommandNode *CommandQueue::insertAheadOfPoll(const QByteArray &text, bool keepAddressing)
{
    auto *node = new CommandNode{text, 0, nullptr};
    if (!m_head) {
        m_head = m_tail = node;
        return node;
    }
    CommandNode *after = m_head;
    for (CommandNode *p = m_head->Next; p; p = p->Next) {
        if (p->Kind != CommandKind::Status)
            after = p;
    }
    while (keepAddressing && after->Next && after->Next->Kind == CommandKind::Status && withoutAddress(after->Next->Text))
        after = after->Next;
    node->Next = after->Next;
    after->Next = node;
    if (m_tail == after)
        m_tail = node;
    ++m_waiting;
    return node;
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
