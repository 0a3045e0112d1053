// SPDX-License-Identifier: GPL-3.0-or-later
// The queue of commands to the drives: first in, first out, at most one in
// flight. Only the head has been written to the port; the rest wait behind it.
#pragma once

#include <QByteArray>

#include <cstdint>

// What the dispatcher does with the answer to a command. Kind 2, which the
// window does not use, is the command line's query of a single value.
namespace CommandKind {
constexpr uint8_t Plain = 0;            // the acknowledgement alone
constexpr uint8_t Keystroke = 1;        // a terminal keystroke, without "#" and address
constexpr uint8_t Query = 2;            // "NAME?" of the command line: its value line
constexpr uint8_t ProgramListing = 3;   // "list"
constexpr uint8_t ProgramLine = 4;      // "new" and each program line; answered by "pgm"
constexpr uint8_t Status = 5;           // status poll queries
constexpr uint8_t OutputQuery = 6;      // output state, manual window
constexpr uint8_t WriteBackLast = 7;    // last parameter of a write-back
constexpr uint8_t AddressProbe = 8;     // bare probe of a newly chosen address
constexpr uint8_t Language = 9;         // "P265?"
constexpr uint8_t OutputToggle = 10;    // output state, manual window
constexpr uint8_t ReProbe = 11;         // bare probe of the previous address after a link loss
constexpr uint8_t Trace = 12;           // "List." and "List-"
constexpr uint8_t ConnectQuit = 13;     // "quit" of the connection start
constexpr uint8_t ParameterList = 14;   // "listp", one drive
constexpr uint8_t Version = 15;         // "ver"
constexpr uint8_t ListBlockFirst = 16;  // "listp1.20", several drives
constexpr uint8_t ListBlockMiddle = 17; // "listp21.20" ... "listp161.20"
constexpr uint8_t ListBlockLast = 18;   // "listp181.20"
constexpr uint8_t ProgramEnd = 19;      // "quit" closing a program write
// Kinds of our own, beyond the drive's documented ones.
constexpr uint8_t ContactProbe = 20;    // bare probe before a connection: is the drive in program entry?
constexpr uint8_t EntryEnd = 21;        // "quit" ending a program entry that a cut write left
} // namespace CommandKind

struct CommandNode {
    QByteArray Text;        // exact bytes to send, "#" + address + command + "\r"
    uint8_t Kind = 0;       // how the dispatcher recognises and handles the answer
    CommandNode *Next = nullptr;
    bool Stop = false;      // a Stop that is kept until the drive answered it
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
    // Puts a node ahead of the waiting status queries but behind every other
    // waiting command: nothing the user asked for before it may go out after
    // it. With keepAddressing it also goes behind the status queries that
    // carry no address of their own and follow it: they are for the drive
    // addressed last, which the node would change. Returns the node; it is
    // the head, the one to send now, when the queue was empty.
    CommandNode *insertAheadOfPoll(const QByteArray &text, bool keepAddressing);
    // Unlinks and frees the head; returns the new head (to send) or none.
    CommandNode *releaseHead();
    // Drops every node unsent; head, tail and waiting count start afresh.
    void clear();
    // Drops the nodes behind the head; the head stays in flight. Returns
    // how many were dropped.
    int dropWaiting();

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
