// SPDX-License-Identifier: GPL-3.0-or-later
// The receive side of TSerial: taking bytes off the device, handing them
// to the reader, and raising the notification events on the component's
// thread when the event thread's post arrives.
#include "serial/tserial.h"
#include "serial/tserial_p.h"

#include <QCoreApplication>
#include <QPointer>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

using namespace serialdetail;

namespace {

// Received bytes kept for the reader beyond this are dropped, oldest first:
// a handler that never reads must not make memory grow without bound.
constexpr qsizetype kPendingLimit = 1 << 20;

} // namespace

void TSerial::takeIn(const char *data, qsizetype size)
{
    const qsizetype before = m_pending.size();
    m_pending.reserve(before + size);
    auto emitByte = [this](char c) {
        if (m_eliminateNullChar && c == 0)
            return;
        if (c == m_eventChar)
            m_inband |= EvEventChar;
        m_pending.append(c);
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (!m_markBytes) {
            emitByte(c);
            continue;
        }
        // Marked input: \377\377 is a data byte 0xFF, \377\0\0 a break and
        // \377\0 X the byte X received with a parity or framing error. A mark
        // can be split between two reads, hence the state across calls.
        switch (m_markState) {
        case 0:
            if (c == '\377')
                m_markState = 1;
            else
                emitByte(c);
            break;
        case 1:
            if (c == '\377') {
                emitByte(c);
                m_markState = 0;
            } else if (c == '\0') {
                m_markState = 2;
            } else {
                emitByte('\377');
                emitByte(c);
                m_markState = 0;
            }
            break;
        default:
            if (c == '\0') {
                m_inband |= EvBreak;
            } else {
                m_inband |= EvError;
                emitByte(m_useErrorChar ? m_errorChar : c);
            }
            m_markState = 0;
            break;
        }
    }
    limitPending();
}

void TSerial::limitPending()
{
    if (m_pending.size() > kPendingLimit + m_bufSizeRec) {
        m_pending.remove(0, m_pending.size() - (kPendingLimit + m_bufSizeRec));
        m_inband |= EvError; // received bytes were lost
    }
}

bool TSerial::fillPending()
{
    if (!m_active)
        return false;
    constexpr qsizetype kChunk = 4096;
    // Bounded: a device that keeps delivering must not hold the main thread.
    for (int round = 0; round < 256; ++round) {
        ssize_t n;
        if (m_markBytes || m_eliminateNullChar) {
            char chunk[kChunk];
            n = ::read(m_fd, chunk, sizeof chunk);
            if (n > 0) {
                m_receivedTotal += n;
                takeIn(chunk, n);
            }
        } else {
            // Plain bytes go straight into what the reader is handed.
            const qsizetype before = m_pending.size();
            m_pending.resize(before + kChunk);
            n = ::read(m_fd, m_pending.data() + before, size_t(kChunk));
            m_pending.truncate(before + std::max<ssize_t>(n, 0));
            if (n > 0) {
                m_receivedTotal += n;
                if (memchr(m_pending.constData() + before, m_eventChar, size_t(n)))
                    m_inband |= EvEventChar;
                limitPending();
            }
        }
        if (n < kChunk)
            return n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return false;
}

void TSerial::postFollowUp()
{
    if (m_dispatchDepth > 0)
        return;
    m_inband &= m_shared ? m_shared->mask : 0u; // nobody waits for the others
    if (!m_inband)
        return;
    const quint64 generation = m_generation;
    QCoreApplication::postEvent(this, new PortEvent(generation, 0));
}

int TSerial::ReadBuffer(char *buffer, int count)
{
    if (!m_active || !buffer || count <= 0)
        return 0;
    if (m_pending.size() < count) {
        fillPending();
        postFollowUp(); // breaks or errors found outside a dispatch
    }
    const int n = int(std::min<qsizetype>(count, m_pending.size()));
    memcpy(buffer, m_pending.constData(), size_t(n));
    m_pending.remove(0, n);
    return n;
}

int TSerial::ReadString(QByteArray &text)
{
    if (!m_active) {
        text.clear();
        return 0;
    }
    // Everything taken in, also what arrived after the device was last
    // asked how much it holds: bytes left behind here would raise no event
    // of their own and wait for the next byte on the line. The first read
    // of a data event's handler finds the device just emptied by the event
    // itself; what arrives after that raises the next event.
    if (!std::exchange(m_freshIntake, false))
        fillPending();
    postFollowUp();
    text = m_pending;
    m_pending.clear();
    return int(text.size());
}

QEvent::Type PortEvent::kind()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool TSerial::event(QEvent *event)
{
    if (event->type() != PortEvent::kind())
        return QObject::event(event);
    const auto *port = static_cast<const PortEvent *>(event);
    dispatch(port->generation, port->events);
    return true;
}

void TSerial::dispatch(quint64 generation, unsigned events)
{
    if (generation != m_generation || !m_active)
        return; // an event of a port that has been closed since
    const std::shared_ptr<Shared> shared = m_shared;
    const bool dataEvent = events & EvRxChar;
    ++m_dispatchDepth;
    if (dataEvent) {
        m_freshIntake = fillPending(); // everything waiting, so the device reads empty afterwards
        if (m_pending.isEmpty())
            events &= ~EvRxChar; // its bytes were taken by the dispatch before
    }

    struct Step {
        unsigned bit;
        TNotifyEvent TSerial::*handler;
    };
    static const Step steps[] = {
        {EvBreak, &TSerial::OnBreak}, {EvCts, &TSerial::OnCts},     {EvDsr, &TSerial::OnDsr},
        {EvError, &TSerial::OnError}, {EvRing, &TSerial::OnRing},   {EvDcd, &TSerial::OnDcd},
        {EvRxChar, &TSerial::OnRxChar}, {EvEventChar, &TSerial::OnEventChar}, {EvTxEmpty, &TSerial::OnTxEmpty},
    };
    QPointer<TSerial> self(this);
    unsigned due = events;
    unsigned passed = 0; // steps already behind us
    unsigned late = 0;   // found by a handler's reads after their step: next dispatch
    for (const Step &step : steps) {
        // Found in the data taken in so far, also by a handler's own reads.
        late |= m_inband & passed;
        due |= m_inband;
        m_inband = 0;
        passed |= step.bit;
        if (!(due & step.bit) || !(shared->mask & step.bit))
            continue;
        const TNotifyEvent handler = this->*step.handler; // a handler may reassign itself
        if (!handler)
            continue;
        handler(this);
        if (!self || generation != m_generation)
            return; // closed or destroyed by the handler
    }
    --m_dispatchDepth;
    m_freshIntake = false;
    m_inband |= late;

    if (dataEvent) {
        // Input that came during the dispatch woke the thread, which left
        // it to this one: it gets a dispatch of its own, in turn.
        bool again;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            again = std::exchange(shared->rxMissed, false);
            shared->rxOutstanding = again;
        }
        if (again)
            QCoreApplication::postEvent(this, new PortEvent(generation, EvRxChar));
    }
    postFollowUp();
}
