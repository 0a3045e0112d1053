// SPDX-License-Identifier: GPL-3.0-or-later
// TSerial: one RS-232 port with its own event thread.
//
// The component owns the device, configures it from its properties at Open,
// writes without ever blocking and raises its notification events on the
// thread that created it (the main thread), in the order the event thread saw
// them. It knows nothing about the drive protocol.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

enum TBaudrate : int {
    br_000110, br_000300, br_000600, br_001200, br_002400, br_004800, br_009600,
    br_014400, br_019200, br_038400, br_056000, br_057600, br_115200, br_128000,
    br_256000
};
enum TDataBits : int { db_4, db_5, db_6, db_7, db_8 };
enum TParityBit : int { none, odd, even, mark, space };
enum TStopBits : int { sb_1, sb_15, sb_2 };
enum TThreadPriority : int { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Bit rate of a TBaudrate value, and the value for a bit rate (none for a rate
// that has no enumeration value).
int baudRateValue(TBaudrate rate);
std::optional<TBaudrate> baudRateFromValue(int bitsPerSecond);

class TSerial;
using TNotifyEvent = std::function<void(TSerial *sender)>;

// The port availability table: COM1 to COM4 resolved to device paths when
// the unit is first used, and again where the link recovery asks for it.
// ZYNT_COMn names the device of COMn where it is set; otherwise the serial
// devices present are handed out in the order /dev/ttyUSB*, /dev/ttyACM*,
// /dev/ttyS* (only those with a UART behind them), each sorted by number,
// each under its stable name in /dev/serial/by-id where it has one
// (ZYNT_SERIAL_BY_ID names another folder).
namespace serialports {

struct PortTable {
    std::array<QString, 4> paths;   // device path of COM1..COM4, empty if none
    std::array<bool, 4> available{}; // device exists and can be configured as a tty
};

// Pure resolution step: env(n) gives ZYNT_COMn (n = 1..4) or an empty string;
// candidates are the device paths found in the order given above.
std::array<QString, 4> resolvePortPaths(const std::function<QString(int)> &env,
                                        const QStringList &candidates);

// Pure ordering step: from the names of the entries of /dev, the serial
// device paths in the order above (ttyUSB*, ttyACM*, ttyS*, each numerically).
QStringList serialDeviceCandidates(const QStringList &devEntries);

// Pure naming step: a device that has a stable name in the by-id folder
// (stableNames: each link's path with the device it points to) is handed out
// under that name, which survives the adapter coming back as another
// ttyUSBn. A stable name whose device is not among the candidates still
// stands for a serial device: it is added after the USB and ACM devices,
// before the built-in ports, in the order of the names.
QStringList withStableNames(const QStringList &candidates,
                            const QList<std::pair<QString, QString>> &stableNames);

// The table of this process, built at first use.
const PortTable &portTable();
// "COM1" to "COM4" for the available ports of the table, ascending.
QStringList availablePortNames();
// Builds the table again from the environment and the devices present, as the
// unit does at start. For tests that attach simulated drives after start.
void reinitialisePortTable();

// Pure step of looking up one COMn again while its device is away (an
// adapter was pulled): the device it stood for while that still exists or
// is a stable name (which comes back with the adapter); otherwise the device
// a fresh lookup gives, if that is one a plugged-in adapter can be (a USB or
// ACM device, or a stable name), never a built-in port that merely moved up.
QString replugPath(const QString &old, const QString &fresh, const std::function<bool(const QString &)> &exists,
                   const QString &stableFolder);
// Looks COMn (1..4) up again by that rule, in the table of this process.
void reresolvePort(int n);

// The one name of the device behind a port, however the port was named
// ("COM1", a link, /dev/ttyUSB0): its stable by-id name where it has one,
// else the device the path leads to. Where a device is gone, the path.
QString stableDeviceName(const QString &path);
// The folder of stable names: /dev/serial/by-id, or ZYNT_SERIAL_BY_ID.
QString stableNameFolder();
// The same with the by-id folder given.
QString stableDeviceName(const QString &path, const QString &stableFolder);

} // namespace serialports

class TSerial : public QObject {
    Q_OBJECT
public:
    explicit TSerial(QObject *owner = nullptr);
    ~TSerial() override;

    // Published properties, in their published order.
    bool Active() const { return m_active; }
    void setActive(bool value);
    const QStringList &Ports() const { return m_ports; }
    int COMPort() const { return m_comPort; }
    void setCOMPort(int value);
    TBaudrate Baudrate() const { return m_baudrate; }
    void setBaudrate(TBaudrate value) { m_baudrate = value; }
    TDataBits DataBits() const { return m_dataBits; }
    void setDataBits(TDataBits value) { m_dataBits = value; }
    TParityBit ParityBit() const { return m_parityBit; }
    void setParityBit(TParityBit value);
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits value) { m_stopBits = value; }
    int BufSizeTrm() const { return m_bufSizeTrm; }
    void setBufSizeTrm(int value);
    int BufSizeRec() const { return m_bufSizeRec; }
    void setBufSizeRec(int value);
    bool HandshakeRtsCts() const { return m_handshakeRtsCts; }
    void setHandshakeRtsCts(bool value) { m_handshakeRtsCts = value; }
    bool HandshakeDtrDsr() const { return m_handshakeDtrDsr; }
    void setHandshakeDtrDsr(bool value) { m_handshakeDtrDsr = value; }
    bool HandshakeXOnXOff() const { return m_handshakeXOnXOff; }
    void setHandshakeXOnXOff(bool value) { m_handshakeXOnXOff = value; }
    char XOnChar() const { return m_xOnChar; }
    void setXOnChar(char value) { m_xOnChar = value; }
    char XOffChar() const { return m_xOffChar; }
    void setXOffChar(char value) { m_xOffChar = value; }
    int XOffLimit() const { return m_xOffLimit; }
    void setXOffLimit(int value);
    int XOnLimit() const { return m_xOnLimit; }
    void setXOnLimit(int value);
    char ErrorChar() const { return m_errorChar; }
    void setErrorChar(char value) { m_errorChar = value; }
    char EofChar() const { return m_eofChar; }
    void setEofChar(char value) { m_eofChar = value; }
    char EventChar() const { return m_eventChar; }
    void setEventChar(char value) { m_eventChar = value; }
    bool ParityCheck() const { return m_parityCheck; }
    bool ContinueOnXOff() const { return m_continueOnXOff; }
    void setContinueOnXOff(bool value) { m_continueOnXOff = value; }
    bool UseErrorChar() const { return m_useErrorChar; }
    void setUseErrorChar(bool value) { m_useErrorChar = value; }
    bool EliminateNullChar() const { return m_eliminateNullChar; }
    void setEliminateNullChar(bool value) { m_eliminateNullChar = value; }
    bool AbortOnError() const { return m_abortOnError; }
    void setAbortOnError(bool value) { m_abortOnError = value; }
    TThreadPriority ThreadPriority() const { return m_threadPriority; }
    void setThreadPriority(TThreadPriority value) { m_threadPriority = value; }

    // Notification events; each is raised on the owner's thread with this
    // component as sender. Only the handlers assigned at Open are waited for.
    TNotifyEvent OnBreak, OnCts, OnDsr, OnError, OnRing, OnDcd, OnRxChar, OnEventChar, OnTxEmpty;

    virtual bool Open();
    virtual void Close();
    virtual int WriteBuffer(const char *buffer, int count);
    virtual int ReadBuffer(char *buffer, int count);
    virtual int WriteString(const QByteArray &text);
    virtual int ReadString(QByteArray &text);

    void GetQueueCounts(int &received, int &toSend);
    int InQueueCount();
    int OutQueueCount();

    // Bytes taken off the device since the component was created; it only
    // grows, so a caller can tell that everything sent so far has come in.
    qint64 ReceivedTotal() const { return m_receivedTotal; }

    // True while the open line is hung up (a pulled adapter): nothing goes
    // out or comes in until it is closed and opened again, or comes back.
    bool HungUp() const;

    // Why the last Open failed (the system's error text), for diagnostics.
    QString LastError() const { return m_lastError; }
    // The system's error number of that failure (0 when it was no system error).
    int LastErrorCode() const { return m_lastErrorCode; }
    // Device path that Open uses: the one set with setDevicePath, otherwise
    // the device of the current COMPort (empty if none).
    QString DevicePath() const;
    // Names the device itself, past the COM1..COM4 table (the command line
    // takes a device path); an empty path goes back to COMPort.
    void setDevicePath(const QString &path) { m_devicePath = path; }

    struct Shared; // state shared with the event thread (serial/tserial_p.h)

protected:
    bool event(QEvent *event) override;

private:
    friend class TSerThread;
    void dispatch(quint64 generation, unsigned events);
    // Takes everything waiting off the device; true when it reads empty now.
    bool fillPending();
    void takeIn(const char *data, qsizetype size);
    void limitPending();
    void postFollowUp();
    bool fail(const QString &reason);
    // The steps of Open; each gives false (through fail) when it cannot
    // be done, and Open stops there.
    bool openDevice(const QString &path);  // opened for this process alone
    bool applyLineSettings();              // termios from the properties
    bool startEventThread();               // the thread that waits for the device

    bool m_active = false;
    QStringList m_ports;
    int m_comPort = 0;
    QString m_devicePath;
    TBaudrate m_baudrate = br_009600;
    TDataBits m_dataBits = db_8;
    TParityBit m_parityBit = none;
    TStopBits m_stopBits = sb_1;
    int m_bufSizeTrm = 2048;
    int m_bufSizeRec = 2048;
    bool m_handshakeRtsCts = false;
    bool m_handshakeDtrDsr = false;
    bool m_handshakeXOnXOff = false;
    char m_xOnChar = 17;
    char m_xOffChar = 19;
    int m_xOffLimit = 1600;
    int m_xOnLimit = 400;
    char m_errorChar = '?';
    char m_eofChar = 26;
    char m_eventChar = 13;
    bool m_parityCheck = false;
    bool m_continueOnXOff = false;
    bool m_useErrorChar = false;
    bool m_eliminateNullChar = false;
    bool m_abortOnError = false;
    TThreadPriority m_threadPriority = tpNormal;

    QString m_lastError;
    int m_lastErrorCode = 0;
    int m_fd = -1;
    quint64 m_generation = 0;            // bumped at every Open and Close
    std::shared_ptr<Shared> m_shared;    // state shared with the running event thread
    QByteArray m_pending;                // received bytes taken off the device, not yet read
    bool m_markBytes = false;            // PARMRK is on: errors and breaks arrive marked in-band
    int m_markState = 0;                 // how much of a mark the last intake ended in
    unsigned m_inband = 0;               // events found in received data, not yet raised
    int m_dispatchDepth = 0;
    bool m_freshIntake = false;          // the data event just emptied the device
    qint64 m_receivedTotal = 0;
};
