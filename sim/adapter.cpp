// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/adapter.h"

#include <utility>

namespace sim {

void AdapterHold::hold(char byte, Clock::time_point at)
{
    // The timer runs from the first byte held; one that comes after it ran
    // out finds the earlier ones passed on and starts it again.
    if (!m_held.isEmpty() && at >= m_firstHeld + m_latency)
        m_passed += std::exchange(m_held, {});
    if (m_held.isEmpty())
        m_firstHeld = at;
    m_held += byte;
    if (m_held.size() >= kPacketBytes)
        m_passed += std::exchange(m_held, {});
}

QByteArray &AdapterHold::passedOn(Clock::time_point now)
{
    if (!m_held.isEmpty() && now >= m_firstHeld + m_latency)
        m_passed += std::exchange(m_held, {});
    return m_passed;
}

AdapterHold::Clock::time_point AdapterHold::nextPassOn() const
{
    return m_held.isEmpty() ? Clock::time_point::max() : m_firstHeld + m_latency;
}

void AdapterHold::clear()
{
    m_held.clear();
    m_passed.clear();
}

} // namespace sim
