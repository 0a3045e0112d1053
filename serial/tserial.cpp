// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/tserial.h"
#include "serial/tserial_p.h"
#include "serial/tserthread.h"

#include <QFile>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

using namespace serialdetail;

namespace {

constexpr int kBaudValues[] = {110,   300,   600,   1200,   2400,   4800,   9600,  14400,
                               19200, 38400, 56000, 57600, 115200, 128000, 256000};

speed_t standardSpeed(int rate)
{
    switch (rate) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0; // needs termios2
    }
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(strerror(err));
}

int niceFor(TThreadPriority p)
{
    switch (p) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -15;
    }
    return 0;
}

} // namespace

int baudRateValue(TBaudrate rate)
{
    const int i = static_cast<int>(rate);
    return (i >= 0 && i < int(std::size(kBaudValues))) ? kBaudValues[i] : 0;
}

std::optional<TBaudrate> baudRateFromValue(int bitsPerSecond)
{
    for (int i = 0; i < int(std::size(kBaudValues)); ++i)
        if (kBaudValues[i] == bitsPerSecond)
            return static_cast<TBaudrate>(i);
    return std::nullopt;
}

TSerial::Shared::~Shared()
{
    if (epollFd >= 0)
        ::close(epollFd);
    if (wakeFd >= 0)
        ::close(wakeFd);
}

uint32_t TSerial::Shared::deviceEvents() const
{
    return EPOLLET | (wantRx ? EPOLLIN : 0u) | (txBuf.isEmpty() ? 0u : uint32_t(EPOLLOUT));
}

void TSerial::Shared::watch()
{
    if (fd < 0)
        return;
    epoll_event ev {};
    ev.events = deviceEvents();
    ev.data.fd = fd;
    (void)epoll_ctl(epollFd, EPOLL_CTL_MOD, fd, &ev);
}

void TSerial::Shared::wake()
{
    const uint64_t one = 1;
    (void)!::write(wakeFd, &one, sizeof one);
}

TSerial::TSerial(QObject *owner)
    : QObject(owner)
{
    m_ports = serialports::availablePortNames();
    m_comPort = m_ports.isEmpty() ? 0 : 1;
}

TSerial::~TSerial()
{
    Close(); // also cuts the thread off from this object
}

void TSerial::setActive(bool value)
{
    if (value && !m_active)
        m_active = Open();
    else if (!value && m_active)
        Close();
}

void TSerial::setCOMPort(int value)
{
    if (value < 0)
        return;
    // The setter bounds the number by the count of ports; with a gap in the
    // numbering (COM1 and COM3 only) COM3 cannot be chosen, as on the
    // original platform where the two meanings agree only without gaps.
    if (m_ports.isEmpty())
        m_comPort = 0;
    else if (value > m_ports.size())
        m_comPort = 1;
    else
        m_comPort = value;
}

void TSerial::setParityBit(TParityBit value)
{
    m_parityBit = value;
    m_parityCheck = value != none;
}

void TSerial::setBufSizeTrm(int value)
{
    m_bufSizeTrm = std::max(value, 16);
}

void TSerial::setBufSizeRec(int value)
{
    value = std::max(value, 16);
    m_bufSizeRec = value;
    if (value < m_xOffLimit)
        m_xOffLimit = value;
    if (m_xOnLimit >= m_xOffLimit)
        m_xOnLimit = m_xOffLimit - 1;
}

void TSerial::setXOffLimit(int value)
{
    if (m_xOnLimit >= value)
        value = m_xOnLimit + 1;
    m_xOffLimit = std::min(value, m_bufSizeRec);
}

void TSerial::setXOnLimit(int value)
{
    if (value >= m_xOffLimit)
        value = m_xOffLimit - 1;
    m_xOnLimit = std::max(value, 0);
}

QString TSerial::DevicePath() const
{
    if (!m_devicePath.isEmpty())
        return m_devicePath;
    if (m_comPort < 1 || m_comPort > 4)
        return {};
    return serialports::portTable().paths[m_comPort - 1];
}

bool TSerial::fail(const QString &reason)
{
    m_lastError = reason;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return false;
}

bool TSerial::Open()
{
    if (m_active || (m_comPort < 1 && m_devicePath.isEmpty()))
        return false;
    m_lastError.clear();
    m_lastErrorCode = 0;

    const QString path = DevicePath();
    if (path.isEmpty())
        return fail(QStringLiteral("COM%1 has no device").arg(m_comPort));

    return openDevice(path) && applyLineSettings() && startEventThread();
}

bool TSerial::openDevice(const QString &path)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        m_lastErrorCode = errno;
        return fail(errnoText(errno));
    }
    // Not shared: TIOCEXCL keeps other users out, but root passes it, so an
    // advisory lock makes a second open in this or another process fail too.
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_lastErrorCode = errno == EWOULDBLOCK ? EBUSY : errno;
        return fail(errnoText(m_lastErrorCode));
    }
    if (ioctl(m_fd, TIOCEXCL) != 0) {
        m_lastErrorCode = errno;
        return fail(errnoText(errno));
    }
    return true;
}

bool TSerial::applyLineSettings()
{
    termios tio;
    if (tcgetattr(m_fd, &tio) != 0)
        return fail(errnoText(errno));
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR | IGNBRK | BRKINT | ISTRIP);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    switch (m_dataBits) {
    case db_5: tio.c_cflag |= CS5; break;
    case db_6: tio.c_cflag |= CS6; break;
    case db_7: tio.c_cflag |= CS7; break;
    case db_8: tio.c_cflag |= CS8; break;
    default: return fail(QStringLiteral("data bits %1 not supported").arg(int(m_dataBits) + 4));
    }
    switch (m_parityBit) {
    case none: break;
    case odd: tio.c_cflag |= PARENB | PARODD; break;
    case even: tio.c_cflag |= PARENB; break;
    case mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case space: tio.c_cflag |= PARENB | CMSPAR; break;
    default: return fail(QStringLiteral("parity %1 not supported").arg(int(m_parityBit)));
    }
    // termios knows one or two stop bits only; 1.5 (meant for 5 data bits)
    // is sent as two, which every receiver expecting 1.5 accepts.
    if (m_stopBits == sb_15 || m_stopBits == sb_2)
        tio.c_cflag |= CSTOPB;
    else if (m_stopBits != sb_1)
        return fail(QStringLiteral("stop bits %1 not supported").arg(int(m_stopBits)));
    if (m_handshakeRtsCts)
        tio.c_cflag |= CRTSCTS;
    // DTR/DSR handshake, the XON/XOFF limits, ContinueOnXOff and
    // AbortOnError have no termios counterpart; they stay properties only.
    if (m_handshakeXOnXOff) {
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = static_cast<cc_t>(m_xOnChar);
        tio.c_cc[VSTOP] = static_cast<cc_t>(m_xOffChar);
    }
    if (m_parityCheck)
        tio.c_iflag |= INPCK;
    // Breaks and bytes with parity or framing errors can only be told apart
    // from data when the line discipline marks them.
    m_markBytes = m_useErrorChar || OnBreak || OnError;
    if (m_markBytes)
        tio.c_iflag |= PARMRK;

    const int rate = baudRateValue(m_baudrate);
    if (rate <= 0)
        return fail(QStringLiteral("bit rate %1 not supported").arg(int(m_baudrate)));
    const speed_t speed = standardSpeed(rate);
    cfsetispeed(&tio, speed == B0 ? B9600 : speed);
    cfsetospeed(&tio, speed == B0 ? B9600 : speed);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return fail(errnoText(errno));
    if (speed == B0) {
        if (const int err = setArbitraryRate(m_fd, rate))
            return fail(errnoText(err));
    }
    // A pseudo-terminal keeps only some of the settings (recent kernels
    // force CS8 without parity); like the driver of a real port it says
    // nothing about that, so what tcsetattr accepted is taken as applied.
    return true;
}

bool TSerial::startEventThread()
{
    auto shared = std::make_shared<Shared>();
    shared->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    shared->epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (shared->wakeFd < 0 || shared->epollFd < 0)
        return fail(errnoText(errno));
    epoll_event wakeEvent {};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.fd = shared->wakeFd;
    if (epoll_ctl(shared->epollFd, EPOLL_CTL_ADD, shared->wakeFd, &wakeEvent) != 0)
        return fail(errnoText(errno));

    unsigned mask = 0;
    if (OnBreak) mask |= EvBreak;
    if (OnCts) mask |= EvCts;
    if (OnDsr) mask |= EvDsr;
    if (OnError) mask |= EvError;
    if (OnRing) mask |= EvRing;
    if (OnDcd) mask |= EvDcd;
    if (OnRxChar) mask |= EvRxChar;
    if (OnEventChar) mask |= EvEventChar;
    if (OnTxEmpty) mask |= EvTxEmpty;

    ++m_generation;
    shared->fd = m_fd;
    shared->mask = mask;
    shared->wantRx = mask & (EvRxChar | EvEventChar | EvBreak | EvError);
    shared->txCapacity = m_bufSizeTrm;
    shared->generation = m_generation;
    shared->niceValue = niceFor(m_threadPriority);
    shared->owner = this;
    // Input already waiting is reported at once.
    epoll_event deviceEvent {};
    deviceEvent.events = shared->deviceEvents();
    deviceEvent.data.fd = m_fd;
    if (epoll_ctl(shared->epollFd, EPOLL_CTL_ADD, m_fd, &deviceEvent) != 0)
        return fail(errnoText(errno));
    m_shared = shared;
    m_pending.clear();
    m_markState = 0;
    m_inband = 0;
    m_dispatchDepth = 0;
    m_freshIntake = false;
    m_active = true;
    TSerThread::start(std::move(shared));
    return true;
}

void TSerial::Close()
{
    if (!m_active)
        return;
    ++m_generation; // whatever the thread posted for this period is dropped
    if (m_shared) {
        {
            // The thread may be about to post; it must not reach this
            // object once it no longer belongs to the port (or is destroyed).
            std::lock_guard<std::mutex> lock(m_shared->ownerMutex);
            m_shared->owner = nullptr;
        }
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->terminate = true;
        m_shared->wake();
        // Unsent bytes are dropped: closing a tty waits for its output to
        // drain, which with a stalled handshake would block for many seconds.
        tcflush(m_fd, TCOFLUSH);
        // Released explicitly, so that an Open right after this succeeds
        // whatever else may still hold the open file.
        ioctl(m_fd, TIOCNXCL);
        flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_shared->fd = -1;
    } else {
        ::close(m_fd);
    }
    m_shared.reset();
    m_fd = -1;
    m_active = false;
    m_pending.clear();
    m_markState = 0;
    m_inband = 0;
}

int TSerial::WriteBuffer(const char *buffer, int count)
{
    if (!m_active || !buffer || count <= 0)
        return 0;
    Shared &s = *m_shared;
    // The usual case, a command into an empty transmit queue, goes straight
    // to the device: the lock would only make the event thread wait for
    // the write, which wakes the other end.
    qsizetype written = 0;
    if (!s.txQueued.load(std::memory_order_acquire)) {
        const ssize_t n = ::write(m_fd, buffer, size_t(count));
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return 0; // line gone; the event thread reports it
        written = std::max<ssize_t>(n, 0);
        if (written == count && !(s.mask & EvTxEmpty))
            return count;
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    const qsizetype rest = qsizetype(count) - written;
    const qsizetype buffered = std::min(rest, std::max<qsizetype>(0, s.txCapacity - s.txBuf.size()));
    if (buffered > 0) {
        const bool wasEmpty = s.txBuf.isEmpty();
        s.txBuf.append(buffer + written, buffered);
        if (wasEmpty) {
            s.txQueued.store(true, std::memory_order_release);
            s.watch(); // the thread now watches for room in the tty
        }
    }
    if ((s.mask & EvTxEmpty) && written + buffered > 0) {
        s.txWatch = true;
        s.wake(); // its wait gets a time-out
    }
    return int(written + buffered);
}

int TSerial::WriteString(const QByteArray &text)
{
    return WriteBuffer(text.constData(), int(text.size()));
}

void TSerial::GetQueueCounts(int &received, int &toSend)
{
    received = 0;
    toSend = 0;
    if (!m_active)
        return;
    int inKernel = 0;
    int outKernel = 0;
    if (ioctl(m_fd, FIONREAD, &inKernel) != 0 || ioctl(m_fd, TIOCOUTQ, &outKernel) != 0)
        return;
    qsizetype ownTx;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        ownTx = m_shared->txBuf.size();
    }
    received = int(m_pending.size()) + inKernel;
    toSend = int(ownTx) + outKernel;
}

bool TSerial::HungUp() const
{
    if (!m_active || !m_shared)
        return false;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->hungUp;
}

int TSerial::InQueueCount()
{
    int received, toSend;
    GetQueueCounts(received, toSend);
    return received;
}

int TSerial::OutQueueCount()
{
    // Asked before every poll cycle: only what it needs, and the lock only
    // when there are bytes of our own waiting.
    if (!m_active)
        return 0;
    int outKernel = 0;
    if (ioctl(m_fd, TIOCOUTQ, &outKernel) != 0)
        return 0;
    if (!m_shared->txQueued.load(std::memory_order_acquire))
        return outKernel;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return outKernel + int(m_shared->txBuf.size());
}
