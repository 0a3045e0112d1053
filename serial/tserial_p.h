// SPDX-License-Identifier: GPL-3.0-or-later
// State shared between a TSerial and the event thread of one open period.
// Internal to the serial component.
#pragma once

#include <QByteArray>
#include <QEvent>

#include <atomic>
#include <cstdint>
#include <mutex>

class TSerial;

namespace serialdetail {

// Event bits as the thread reports them and the order handlers are raised in.
enum Event : unsigned {
    EvBreak = 1u << 0,
    EvCts = 1u << 1,
    EvDsr = 1u << 2,
    EvError = 1u << 3,
    EvRing = 1u << 4,
    EvDcd = 1u << 5,
    EvRxChar = 1u << 6,
    EvEventChar = 1u << 7,
    EvTxEmpty = 1u << 8,
};

// Applies a bit rate that has no B-constant (termios2 with BOTHER). Lives in
// its own translation unit because <asm/termbits.h> clashes with <termios.h>.
// Returns 0 or an errno value.
int setArbitraryRate(int fd, int bitsPerSecond);

// Carries what the event thread saw (or a follow-up of a dispatch) to the
// component's thread: one small posted event, handled by TSerial::event.
class PortEvent : public QEvent {
public:
    PortEvent(quint64 generation, unsigned events)
        : QEvent(kind()), generation(generation), events(events)
    {
    }
    static QEvent::Type kind();

    const quint64 generation;
    const unsigned events;
};

} // namespace serialdetail

// One open period of a port. The event thread holds a shared_ptr to it, so it
// outlives both Close and the component.
struct TSerial::Shared {
    ~Shared();

    // Guards everything below except the owner pointer and txQueued. Close
    // takes it to close the device, so the thread never uses a closed or
    // reused fd.
    std::mutex mutex;
    int fd = -1;
    // The thread waits on this: the wake-up eventfd, and the device
    // edge-triggered, so that it wakes for new input only and nobody has to
    // wake it to watch the input again after a dispatch.
    int epollFd = -1;
    int wakeFd = -1;               // eventfd: Close, a transmit-empty watch begins
    bool terminate = false;
    unsigned mask = 0;             // events whose handlers were assigned at Open
    bool wantRx = false;           // watch the input at all
    bool rxOutstanding = false;    // a data event is posted and not yet dispatched
    bool rxMissed = false;         // input came while one was outstanding: its dispatch posts another
    QByteArray txBuf;              // bytes the tty did not take at once
    // txBuf is not empty. Only the component fills txBuf, so while this
    // reads false it may write to the device without the lock: nothing
    // queued earlier can be overtaken.
    std::atomic<bool> txQueued {false};
    int txCapacity = 0;
    bool txWatch = false;          // a write happened since the last TxEmpty
    bool hungUp = false;           // the line is gone (the thread rechecks it now and then)
    quint64 generation = 0;
    int niceValue = 0;

    // The component the thread posts to; cleared by the destructor.
    std::mutex ownerMutex;
    TSerial *owner = nullptr;

    void wake();
    // What the thread waits for on the device: input, and room in the tty
    // while txBuf holds bytes (otherwise every byte the other end reads
    // would wake it); a hang-up is always reported. Called with the mutex
    // held whenever txBuf becomes empty or not.
    void watch();
    uint32_t deviceEvents() const;
};
