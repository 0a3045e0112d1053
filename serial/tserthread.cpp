#include "serial/tserthread.h"
#include "serial/tserial_p.h"

#include <QMetaObject>

#include <linux/serial.h>
#include <poll.h>
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
    const quint64 generation = m_shared->generation;
    QMetaObject::invokeMethod(owner, [owner, generation, events] { owner->dispatch(generation, events); },
                              Qt::QueuedConnection);
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

    for (;;) {
        pollfd fds[2] = {{s.wakeFd, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        int timeout = -1;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.terminate)
                return;
            if (m_hungUp) {
                timeout = kHangupRecheckMs;
            } else {
                short want = 0;
                if (s.wantRx && !s.rxOutstanding)
                    want |= POLLIN;
                if (!s.txBuf.isEmpty())
                    want |= POLLOUT;
                fds[1] = {s.fd, want, 0};
                count = 2;
                if (s.txWatch && s.txBuf.isEmpty())
                    timeout = m_drainRecheckMs;
            }
        }

        const int r = poll(fds, count, timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            // Should not happen; never turn it into a busy loop.
            poll(fds, 1, kHangupRecheckMs);
        }
        if (fds[0].revents & POLLIN) {
            uint64_t value;
            (void)!read(s.wakeFd, &value, sizeof value);
        }

        unsigned events = 0;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.terminate)
                return;
            if (m_hungUp) {
                pollfd probe{s.fd, POLLIN, 0};
                if (poll(&probe, 1, 0) >= 0 && !(probe.revents & (POLLHUP | POLLERR | POLLNVAL)))
                    m_hungUp = s.hungUp = false; // the line is back
            } else if (count == 2 && r > 0) {
                const short re = fds[1].revents;
                if (re & (POLLHUP | POLLERR | POLLNVAL)) {
                    m_hungUp = s.hungUp = true;
                    s.txBuf.clear();
                    s.txWatch = false;
                    if (!m_hangupReported && (s.mask & EvError))
                        events |= EvError;
                    m_hangupReported = true;
                } else {
                    if ((re & POLLOUT) && !s.txBuf.isEmpty()) {
                        const ssize_t n = ::write(s.fd, s.txBuf.constData(), size_t(s.txBuf.size()));
                        if (n > 0)
                            s.txBuf.remove(0, qsizetype(n));
                    }
                    if (re & POLLIN) {
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
        }
        if (events)
            post(events);
    }
}
