// The queue of commands to the drives: first in, first out, at most one in
// flight. Only the head has been written to the port; the rest wait behind it.
#pragma once

#include <QByteArray>

#include <cstdint>

struct CommandNode {
    QByteArray Text;        // exact bytes to send, "#" + address + command + "\r"
    uint8_t Kind = 0;       // how the dispatcher recognises and handles the answer
    CommandNode *Next = nullptr;
};

class CommandQueue {
public:
    CommandQueue() = default;
    CommandQueue(const CommandQueue &) = delete;
    CommandQueue &operator=(const CommandQueue &) = delete;
    ~CommandQueue() { clear(); }

    // Appends a node (kind 0). Returns true when it became the head, i.e. it
    // is the one to send now; otherwise it waits and the waiting count grew.
    bool append(const QByteArray &text);
    // Unlinks and frees the head; returns the new head (to send) or none.
    CommandNode *releaseHead();
    // Drops every node unsent; head, tail and waiting count start afresh.
    void clear();

    CommandNode *head() const { return m_head; }
    CommandNode *tail() const { return m_tail; }
    // The node of the most recent append while it is still queued; a caller
    // stores a kind other than 0 into it right after appending.
    CommandNode *lastQueued() const { return m_last; }
    int waitingCount() const { return m_waiting; }
    // The acknowledgement of a newly chosen address resets the count without
    // touching the queued commands.
    void setWaitingCount(int count) { m_waiting = count; }
    int size() const;

private:
    CommandNode *m_head = nullptr;
    CommandNode *m_tail = nullptr;
    CommandNode *m_last = nullptr;
    int m_waiting = 0;
};
