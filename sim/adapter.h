// SPDX-License-Identifier: GPL-3.0-or-later
// A USB serial adapter between the simulated drive and the program, as the
// common ones behave on the receiving side: they hold the bytes from the line
// and pass them on when their latency timer has run since the first byte
// held, or when a packet's worth is held.
#pragma once

#include <QByteArray>

#include <chrono>

namespace sim {

class AdapterHold {
public:
    using Clock = std::chrono::steady_clock;
    // Bytes of one USB packet's payload: passed on without waiting.
    static constexpr qsizetype kPacketBytes = 62;

    // 0: no adapter, every byte is passed on as it comes off the line.
    void setLatency(std::chrono::nanoseconds latency) { m_latency = latency; }
    bool present() const { return m_latency.count() > 0; }

    // One byte came off the line at time at (times never go backwards).
    void hold(char byte, Clock::time_point at);
    // Everything the adapter has passed on by now and not yet taken.
    QByteArray &passedOn(Clock::time_point now);
    // When the bytes held are passed on if nothing more comes; max() when
    // none are held.
    Clock::time_point nextPassOn() const;
    void clear();
    bool idle() const { return m_held.isEmpty() && m_passed.isEmpty(); }

private:
    std::chrono::nanoseconds m_latency{0};
    QByteArray m_held;
    Clock::time_point m_firstHeld;
    QByteArray m_passed;
};

} // namespace sim
