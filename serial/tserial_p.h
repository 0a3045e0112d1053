// State shared between a TSerial and the event thread of one open period.
// Internal to the serial component.
#pragma once

#include <QByteArray>

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

} // namespace serialdetail

// One open period of a port. The event thread holds a shared_ptr to it, so it
// outlives both Close and the component.
struct TSerial::Shared {
    ~Shared();

    // Guards everything below except the owner pointer. Close takes it to
    // close the device, so the thread never uses a closed or reused fd.
    std::mutex mutex;
    int fd = -1;
    int wakeFd = -1;               // eventfd: Close, rx dispatch done, new tx bytes
    bool terminate = false;
    unsigned mask = 0;             // events whose handlers were assigned at Open
    bool wantRx = false;           // watch the input at all
    bool rxOutstanding = false;    // a data event is posted and not yet dispatched
    QByteArray txBuf;              // bytes the tty did not take at once
    int txCapacity = 0;
    bool txWatch = false;          // a write happened since the last TxEmpty
    bool hungUp = false;           // the line is gone (the thread rechecks it now and then)
    quint64 generation = 0;
    int niceValue = 0;

    // The component the thread posts to; cleared by the destructor.
    std::mutex ownerMutex;
    TSerial *owner = nullptr;

    void wake();
};
