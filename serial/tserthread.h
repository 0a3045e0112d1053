// SPDX-License-Identifier: GPL-3.0-or-later
// TSerThread: the event thread of one open TSerial.
//
// It blocks in epoll_wait() on the device and a wake-up eventfd and posts
// the events it sees to the component's thread, one post per wake-up. It
// never reads received data: the component takes it in when it dispatches the
// data event. The device is watched edge-triggered, so the thread wakes when
// new input arrives, not while old input waits: a slow or non-reading handler
// cannot make it spin, and after a dispatch nobody has to wake it to watch
// the input again. At most one data event is on its way at a time; input
// that arrives meanwhile is passed on by that event's dispatch.
#pragma once

#include "serial/tserial.h"

#include <memory>

class TSerThread {
public:
    // Starts a detached thread that lives until Close asks it to end (or the
    // process ends); it holds only the shared block, never the component.
    static void start(std::shared_ptr<TSerial::Shared> shared);

    // How long to wait before the kernel's output queue is looked at again,
    // while a transmit-empty event waits for it: short while bytes leave,
    // twice as long each time nothing left (a stalled handshake can hold
    // the queue for hours), up to kDrainRecheckMaxMs.
    static constexpr int kDrainRecheckMs = 20;
    static constexpr int kDrainRecheckMaxMs = 1000;
    static int nextDrainRecheck(int currentMs, bool bytesLeft);

private:
    explicit TSerThread(std::shared_ptr<TSerial::Shared> shared) : m_shared(std::move(shared)) {}
    void run();
    void post(unsigned events);
    unsigned checkModemLines(int fd);
    // True when the output queue moved on since the last look.
    bool outputProgressed(int fd, int queued);

    std::shared_ptr<TSerial::Shared> m_shared;
    bool m_hungUp = false;
    bool m_hangupReported = false;
    // Modem line bookkeeping: the interrupt counters where the driver has
    // them, the line states otherwise.
    bool m_haveCounts = false;
    int m_counts[6] = {};
    int m_lines = -1;
    int m_drainRecheckMs = kDrainRecheckMs;
    int m_lastQueued = -1;
    long long m_lastTxCount = -1;
};
