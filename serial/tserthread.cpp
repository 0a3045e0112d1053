// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/tserthread.h"
#include "serial/tserial_p.h"

#include <QCoreApplication>

#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <thread>

using namespace serialdetail;

namespace {
// While the line is hung up the device reports readiness permanently; the
// thread then only looks again this often, to keep the CPU idle.
constexpr int kHangupRecheckMs = 300;
}

int TSerThread::nextDrainRecheck(int currentMs, bool bytesLeft)
{
    if (bytesLeft)
        return kDrainRecheckMs;
    return std::min(std::max(currentMs, kDrainRecheckMs) * 2, kDrainRecheckMaxMs);
}

bool TSerThread::outputProgressed(int fd, int queued)
{
    // The driver's transmit counter tells it exactly where there is one;
    // otherwise a shorter queue does (new writes can hide some progress,
    // which only makes the next look come a little later).
    bool progressed = false;
    serial_icounter_struct ic{};
    if (ioctl(fd, TIOCGICOUNT, &ic) == 0) {
        progressed = m_lastTxCount >= 0 && ic.tx != m_lastTxCount;
        m_lastTxCount = ic.tx;
    } else {
        progressed = m_lastQueued >= 0 && queued < m_lastQueued;
    }
    m_lastQueued = queued;
    return progressed;
}

void TSerThread::start(std::shared_ptr<TSerial::Shared> shared)
{
    auto *thread = new TSerThread(std::move(shared));
    std::thread([thread] {
        thread->run();
        delete thread; // the thread object frees itself when the loop ends
    }).detach();
}

void TSerThread::post(unsigned events)
{
    std::lock_guard<std::mutex> lock(m_shared->ownerMutex);
    TSerial *owner = m_shared->owner;
    if (!owner)
        return;
    QCoreApplication::postEvent(owner, new PortEvent(m_shared->generation, events));
}

unsigned TSerThread::checkModemLines(int fd)
{
    const unsigned wanted = m_shared->mask & (EvCts | EvDsr | EvRing | EvDcd | EvError);
    if (!wanted)
        return 0;
    unsigned events = 0;
    serial_icounter_struct ic{};
    if (ioctl(fd, TIOCGICOUNT, &ic) == 0) {
        const int now[6] = {ic.cts, ic.dsr, ic.rng, ic.dcd, ic.overrun, ic.buf_overrun};
        if (m_haveCounts) {
            if (now[0] != m_counts[0]) events |= EvCts;
            if (now[1] != m_counts[1]) events |= EvDsr;
            if (now[2] != m_counts[2]) events |= EvRing;
            if (now[3] != m_counts[3]) events |= EvDcd;
            if (now[4] != m_counts[4] || now[5] != m_counts[5]) events |= EvError;
        }
        std::copy(std::begin(now), std::end(now), m_counts);
        m_haveCounts = true;
        return events & wanted;
    }
    int lines = 0;
    if (ioctl(fd, TIOCMGET, &lines) != 0)
        return 0; // a pseudo-terminal has no modem lines
    if (m_lines >= 0) {
        const int changed = lines ^ m_lines;
        if (changed & TIOCM_CTS) events |= EvCts;
        if (changed & TIOCM_DSR) events |= EvDsr;
        if ((lines & TIOCM_RNG) && !(m_lines & TIOCM_RNG)) events |= EvRing;
        if (changed & TIOCM_CAR) events |= EvDcd;
    }
    m_lines = lines;
    return events & wanted;
}

void TSerThread::run()
{
    TSerial::Shared &s = *m_shared;
    // Per-thread nice value; not permitted (or not supported) is fine.
    if (s.niceValue != 0)
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), s.niceValue);

    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.terminate)
            return;
        checkModemLines(s.fd); // baseline
    }

    // What the device is watched for is set where it changes (watch); the
    // wait only needs its time-out, which each turn sets for the next.
    int timeout = -1;
    for (;;) {
        epoll_event ready[2];
        const int r = epoll_wait(s.epollFd, ready, 2, timeout);
        if (r < 0 && errno != EINTR) {
            // Should not happen; never turn it into a busy loop.
            poll(nullptr, 0, kHangupRecheckMs);
        }
        uint32_t device = 0;
        for (int i = 0; i < r; ++i) {
            if (ready[i].data.fd == s.wakeFd) {
                uint64_t value;
                (void)!read(s.wakeFd, &value, sizeof value);
            } else {
                device |= ready[i].events;
            }
        }

        unsigned events = 0;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.terminate)
                return;
            if (m_hungUp) {
                pollfd probe{s.fd, POLLIN, 0};
                if (poll(&probe, 1, 0) >= 0 && !(probe.revents & (POLLHUP | POLLERR | POLLNVAL))) {
                    m_hungUp = s.hungUp = false; // the line is back
                    // Its first bytes may have come while it was still
                    // taken for gone: a dispatch looks.
                    if (s.wantRx && !s.rxOutstanding) {
                        s.rxOutstanding = true;
                        events |= EvRxChar;
                    }
                }
            } else if (device & (EPOLLHUP | EPOLLERR)) {
                m_hungUp = s.hungUp = true;
                s.txBuf.clear();
                s.txQueued.store(false, std::memory_order_release);
                s.txWatch = false;
                s.watch();
                if (!m_hangupReported && (s.mask & EvError))
                    events |= EvError;
                m_hangupReported = true;
            } else {
                if ((device & EPOLLOUT) && !s.txBuf.isEmpty()) {
                    const ssize_t n = ::write(s.fd, s.txBuf.constData(), size_t(s.txBuf.size()));
                    if (n > 0)
                        s.txBuf.remove(0, qsizetype(n));
                    if (s.txBuf.isEmpty()) {
                        s.txQueued.store(false, std::memory_order_release);
                        s.watch();
                    }
                }
                if (device & EPOLLIN) {
                    // One data event at a time: input that comes before it
                    // is dispatched is the dispatch's to pass on.
                    if (s.rxOutstanding) {
                        s.rxMissed = true;
                    } else {
                        s.rxOutstanding = true;
                        events |= EvRxChar;
                    }
                }
            }
            if (!m_hungUp) {
                events |= checkModemLines(s.fd);
                if (s.txWatch && s.txBuf.isEmpty()) {
                    int queued = 0;
                    if (ioctl(s.fd, TIOCOUTQ, &queued) != 0 || queued == 0) {
                        s.txWatch = false;
                        events |= EvTxEmpty;
                        m_drainRecheckMs = kDrainRecheckMs;
                        m_lastQueued = -1;
                        m_lastTxCount = -1;
                    } else {
                        m_drainRecheckMs = nextDrainRecheck(m_drainRecheckMs, outputProgressed(s.fd, queued));
                    }
                }
            }
            timeout = m_hungUp ? kHangupRecheckMs : s.txWatch && s.txBuf.isEmpty() ? m_drainRecheckMs : -1;
        }
        if (events)
            post(events);
    }
}
