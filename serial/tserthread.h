// TSerThread: the event thread of one open TSerial.
//
// It blocks in poll() on the device and a wake-up eventfd and posts the events
// it sees to the component's thread. It never reads received data: the
// component takes it in when it dispatches the data event, and until then the
// thread does not watch the input again, so a slow or non-reading handler
// cannot make it spin.
#pragma once

#include "serial/tserial.h"

#include <memory>

class TSerThread {
public:
    // Starts a detached thread that lives until Close asks it to end (or the
    // process ends); it holds only the shared block, never the component.
    static void start(std::shared_ptr<TSerial::Shared> shared);

private:
    explicit TSerThread(std::shared_ptr<TSerial::Shared> shared) : m_shared(std::move(shared)) {}
    void run();
    void post(unsigned events);
    unsigned checkModemLines(int fd);

    std::shared_ptr<TSerial::Shared> m_shared;
    bool m_hungUp = false;
    bool m_hangupReported = false;
    // Modem line bookkeeping: the interrupt counters where the driver has
    // them, the line states otherwise.
    bool m_haveCounts = false;
    int m_counts[6] = {};
    int m_lines = -1;
};
