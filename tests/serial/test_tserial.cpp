// SPDX-License-Identifier: GPL-3.0-or-later
// TSerial over real pseudo-terminals: the component holds the slave side, the
// test plays the device on the master side.
#include "serial/tserial.h"
#include "serial/tserthread.h"
#include "ptyinfo.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <memory>

namespace {

struct Pty {
    int master = -1;
    QString slave;

    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    // Everything the component has sent so far (non-blocking).
    QByteArray take()
    {
        QByteArray out;
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, n);
        }
        return out;
    }

    // Reads until `count` bytes came or the time is up, running the event loop.
    QByteArray receive(qsizetype count, int timeoutMs = 10000)
    {
        QByteArray out;
        QDeadlineTimer deadline(timeoutMs);
        while (out.size() < count && !deadline.hasExpired()) {
            const QByteArray part = take();
            if (part.isEmpty())
                QTest::qWait(5);
            out += part;
        }
        return out;
    }

    bool send(const QByteArray &data, int timeoutMs = 10000)
    {
        qsizetype done = 0;
        QDeadlineTimer deadline(timeoutMs);
        while (done < data.size() && !deadline.hasExpired()) {
            const ssize_t n = ::write(master, data.constData() + done, size_t(data.size() - done));
            if (n > 0)
                done += n;
            else
                QTest::qWait(5);
        }
        return done == data.size();
    }
};

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QByteArray pattern(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 251) & 0xff);
    return data;
}

// A receive handler that reads everything waiting and appends it to got.
TNotifyEvent collectInto(QByteArray &got)
{
    return [&got](TSerial *sender) {
        QByteArray t;
        sender->ReadString(t);
        got += t;
    };
}

} // namespace

class TestTSerial : public QObject {
    Q_OBJECT

    std::unique_ptr<Pty> m_a; // COM1
    std::unique_ptr<Pty> m_b; // COM2
    QTemporaryDir m_dir;

    // COM1 and COM2 are pseudo-terminals, COM3 and COM4 point nowhere, so
    // the machine's own serial devices never take part.
    void usePtys()
    {
        m_a = std::make_unique<Pty>();
        m_b = std::make_unique<Pty>();
        QVERIFY(!m_a->slave.isEmpty() && !m_b->slave.isEmpty());
        // COM1 through a symlink, as a udev rule would give it.
        const QString link = m_dir.filePath(QStringLiteral("com1-%1").arg(m_a->master));
        QFile::remove(link);
        QVERIFY(QFile::link(m_a->slave, link));
        qputenv("ZYNT_COM1", QFile::encodeName(link));
        qputenv("ZYNT_COM2", QFile::encodeName(m_b->slave));
        qputenv("ZYNT_COM3", QFile::encodeName(m_dir.filePath(QStringLiteral("missing3"))));
        qputenv("ZYNT_COM4", QFile::encodeName(m_dir.filePath(QStringLiteral("missing4"))));
        serialports::reinitialisePortTable();
    }

private slots:
    void init() { usePtys(); }
    void cleanup()
    {
        m_a.reset();
        m_b.reset();
    }

    void defaultsAndPropertyRules()
    {
        TSerial s;
        QCOMPARE(s.Active(), false);
        QCOMPARE(s.Ports(), QStringList({QStringLiteral("COM1"), QStringLiteral("COM2")}));
        QCOMPARE(s.COMPort(), 1);
        QCOMPARE(s.Baudrate(), br_009600);
        QCOMPARE(s.DataBits(), db_8);
        QCOMPARE(s.ParityBit(), none);
        QCOMPARE(s.StopBits(), sb_1);
        QCOMPARE(s.BufSizeTrm(), 2048);
        QCOMPARE(s.BufSizeRec(), 2048);
        QVERIFY(!s.HandshakeRtsCts() && !s.HandshakeDtrDsr() && !s.HandshakeXOnXOff());
        QCOMPARE(int(s.XOnChar()), 17);
        QCOMPARE(int(s.XOffChar()), 19);
        QCOMPARE(s.XOffLimit(), 1600);
        QCOMPARE(s.XOnLimit(), 400);
        QCOMPARE(s.ErrorChar(), '?');
        QCOMPARE(int(s.EofChar()), 26);
        QCOMPARE(int(s.EventChar()), 13);
        QCOMPARE(s.ParityCheck(), false);
        QVERIFY(!s.ContinueOnXOff() && !s.UseErrorChar() && !s.EliminateNullChar() && !s.AbortOnError());
        QCOMPARE(s.ThreadPriority(), tpNormal);
        QVERIFY(!s.OnBreak && !s.OnCts && !s.OnDsr && !s.OnError && !s.OnRing && !s.OnDcd && !s.OnRxChar
                && !s.OnEventChar && !s.OnTxEmpty);

        // Enumeration ordinals are the platform codes.
        QCOMPARE(int(br_256000), 14);
        QCOMPARE(int(db_8), 4);
        QCOMPARE(int(space), 4);
        QCOMPARE(int(sb_2), 2);
        QCOMPARE(baudRateValue(br_000110), 110);
        QCOMPARE(baudRateValue(br_014400), 14400);
        QCOMPARE(baudRateValue(br_256000), 256000);
        QCOMPARE(baudRateFromValue(56000), std::optional<TBaudrate>(br_056000));
        QCOMPARE(baudRateFromValue(12345), std::optional<TBaudrate>());

        s.setParityBit(mark);
        QVERIFY(s.ParityCheck());
        s.setParityBit(none);
        QVERIFY(!s.ParityCheck());

        s.setBufSizeTrm(5);
        QCOMPARE(s.BufSizeTrm(), 16);

        s.setXOnLimit(2000);
        QCOMPARE(s.XOnLimit(), 1599);
        s.setXOnLimit(-5);
        QCOMPARE(s.XOnLimit(), 0);
        s.setXOnLimit(400);
        s.setXOffLimit(300);
        QCOMPARE(s.XOffLimit(), 401);
        s.setXOffLimit(5000);
        QCOMPARE(s.XOffLimit(), 2048); // bounded by the receive queue

        TSerial t;
        t.setBufSizeRec(10);
        QCOMPARE(t.BufSizeRec(), 16);
        QCOMPARE(t.XOffLimit(), 16);
        QCOMPARE(t.XOnLimit(), 15);
    }

    void comPortRules()
    {
        TSerial s;
        s.setCOMPort(2);
        QCOMPARE(s.COMPort(), 2);
        s.setCOMPort(5);
        QCOMPARE(s.COMPort(), 1);
        s.setCOMPort(2);
        s.setCOMPort(-1);
        QCOMPARE(s.COMPort(), 2);
        s.setCOMPort(0);
        QCOMPARE(s.COMPort(), 0);
        QCOMPARE(s.Open(), false);
        QCOMPARE(s.Active(), false);

        // No port at all.
        qputenv("ZYNT_COM1", QFile::encodeName(m_dir.filePath(QStringLiteral("missing1"))));
        qputenv("ZYNT_COM2", QFile::encodeName(m_dir.filePath(QStringLiteral("missing2"))));
        serialports::reinitialisePortTable();
        TSerial none;
        QVERIFY(none.Ports().isEmpty());
        QCOMPARE(none.COMPort(), 0);
        none.setCOMPort(3);
        QCOMPARE(none.COMPort(), 0);
        none.setActive(true);
        QCOMPARE(none.Active(), false);
    }

    void portPathResolution()
    {
        const auto env = [](std::map<int, QString> values) {
            return [values](int n) { return values.count(n) ? values.at(n) : QString(); };
        };
        using Paths = std::array<QString, 4>;
        QCOMPARE(serialports::resolvePortPaths(env({}), {"/dev/ttyUSB0", "/dev/ttyS0"}),
                 Paths({"/dev/ttyUSB0", "/dev/ttyS0", "", ""}));
        // A variable wins; the unset slots take the found devices in order,
        // and a device named by a variable is not handed out twice.
        QCOMPARE(serialports::resolvePortPaths(env({{2, "/dev/ttyACM0"}, {4, "/tmp/x"}}),
                                               {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"}),
                 Paths({"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/tmp/x"}));
        QCOMPARE(serialports::resolvePortPaths(env({}), {"/dev/a", "/dev/b", "/dev/c", "/dev/d", "/dev/e"}),
                 Paths({"/dev/a", "/dev/b", "/dev/c", "/dev/d"}));

        // A device with a stable by-id name is handed out under it, so that
        // COM1 still finds the adapter when it comes back as another ttyUSBn.
        using Stable = QList<std::pair<QString, QString>>;
        const Stable adapter {{"/by-id/usb-FTDI_A-port0", "/dev/ttyUSB0"}};
        QCOMPARE(serialports::withStableNames({"/dev/ttyUSB0", "/dev/ttyS0"}, adapter),
                 QStringList({"/by-id/usb-FTDI_A-port0", "/dev/ttyS0"}));
        const Stable adapterBack {{"/by-id/usb-FTDI_A-port0", "/dev/ttyUSB1"}};
        QCOMPARE(serialports::withStableNames({"/dev/ttyUSB1", "/dev/ttyS0"}, adapterBack),
                 QStringList({"/by-id/usb-FTDI_A-port0", "/dev/ttyS0"}));
        // Without a stable name the device found first is COM1 again.
        QCOMPARE(serialports::resolvePortPaths(env({}), serialports::withStableNames({"/dev/ttyUSB1"}, {})),
                 Paths({"/dev/ttyUSB1", "", "", ""}));
        // A stable name of a device under another name goes before the built-in ports.
        QCOMPARE(serialports::withStableNames({"/dev/ttyUSB0", "/dev/ttyS0"}, {{"/by-id/usb-B", "/dev/pts/3"}}),
                 QStringList({"/dev/ttyUSB0", "/by-id/usb-B", "/dev/ttyS0"}));
        QCOMPARE(serialports::withStableNames({}, {{"/by-id/a", "/dev/pts/1"}, {"/by-id/b", "/dev/pts/2"}}),
                 QStringList({"/by-id/a", "/by-id/b"}));

        // Looking COM1 up again while its adapter is away: a stable name is
        // waited for, a kernel name gives way to the adapter's new name, but
        // never to a built-in port that moved up in its place.
        const auto present = [](QStringList paths) { return [paths](const QString &p) { return paths.contains(p); }; };
        QCOMPARE(serialports::replugPath("/by-id/usb-A", "/dev/ttyS0", present({"/dev/ttyS0"}), "/by-id"),
                 QStringLiteral("/by-id/usb-A"));
        QCOMPARE(serialports::replugPath("/dev/ttyUSB0", "/dev/ttyUSB1", present({"/dev/ttyUSB1"}), "/by-id"),
                 QStringLiteral("/dev/ttyUSB1"));
        QCOMPARE(serialports::replugPath("/dev/ttyUSB0", "/by-id/usb-A", present({"/dev/ttyUSB1"}), "/by-id"),
                 QStringLiteral("/by-id/usb-A"));
        QCOMPARE(serialports::replugPath("/dev/ttyUSB0", "/dev/ttyS0", present({"/dev/ttyS0"}), "/by-id"),
                 QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(serialports::replugPath("/dev/ttyUSB0", "", present({}), "/by-id"), QStringLiteral("/dev/ttyUSB0"));
        // A device that is still there stays what COM1 stands for.
        QCOMPARE(serialports::replugPath("/dev/ttyS1", "/dev/ttyUSB0", present({"/dev/ttyS1", "/dev/ttyUSB0"}), "/by-id"),
                 QStringLiteral("/dev/ttyS1"));

        QCOMPARE(serialports::serialDeviceCandidates({"ttyS10", "console", "ttyS2", "ttyACM1", "tty1", "ttyUSB10",
                                                      "ttyUSB3", "ttyS", "ttyUSBx", "ttyACM0", "ttyS0"}),
                 QStringList({"/dev/ttyUSB3", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyS0",
                              "/dev/ttyS2", "/dev/ttyS10"}));
    }

    // The one name of the device behind a port, looked up in a by-id folder
    // of symbolic links as udev makes it.
    void stableDeviceName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("device with a stable name") << "dev/ttyUSB0" << "by-id/usb-FTDI_A-if00-port0";
        QTest::newRow("a link to that device") << "COM1" << "by-id/usb-FTDI_A-if00-port0";
        QTest::newRow("the stable name itself") << "by-id/usb-FTDI_A-if00-port0" << "by-id/usb-FTDI_A-if00-port0";
        QTest::newRow("device without one") << "COM2" << "dev/ttyUSB1";
        QTest::newRow("device gone") << "dev/ttyUSB9" << "dev/ttyUSB9";
        QTest::newRow("stable name of a gone device") << "by-id/usb-gone" << "by-id/usb-gone";
        QTest::newRow("no path") << "" << "";
    }

    void stableDeviceName()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QDir root(QFileInfo(dir.path()).canonicalFilePath()); // the name a link resolves to
        QVERIFY(root.mkpath(QStringLiteral("dev")) && root.mkpath(QStringLiteral("by-id")));
        for (const char *device : {"dev/ttyUSB0", "dev/ttyUSB1"}) {
            QFile file(root.filePath(QLatin1String(device)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const std::pair<const char *, const char *> links[] = {
            {"by-id/usb-FTDI_A-if00-port0", "../dev/ttyUSB0"},
            {"by-id/usb-gone", "../dev/ttyUSB9"},
            {"COM1", "dev/ttyUSB0"},
            {"COM2", "dev/ttyUSB1"},
        };
        for (const auto &[link, target] : links)
            QVERIFY(::symlink(target, QFile::encodeName(root.filePath(QLatin1String(link))).constData()) == 0);
        const auto full = [&root](const QString &p) { return p.isEmpty() ? p : root.filePath(p); };
        QCOMPARE(serialports::stableDeviceName(full(path), root.filePath(QStringLiteral("by-id"))), full(expected));
    }

    void portTableFromEnvironment()
    {
        const auto &table = serialports::portTable();
        QVERIFY(table.paths[0].endsWith(QStringLiteral("com1-%1").arg(m_a->master)));
        QCOMPARE(table.paths[1], m_b->slave);
        QCOMPARE(table.available, (std::array<bool, 4>{true, true, false, false}));
        TSerial s;
        s.setCOMPort(2);
        QCOMPARE(s.DevicePath(), m_b->slave);
    }

    void openCloseAndActive()
    {
        TSerial s;
        s.setActive(false); // closed: nothing
        QCOMPARE(s.Active(), false);
        s.setActive(true);
        QVERIFY2(s.Active(), qPrintable(s.LastError()));
        QVERIFY(s.LastError().isEmpty());
        QCOMPARE(s.Open(), false); // already active
        s.setActive(true);
        QCOMPARE(s.Active(), true);
        s.setActive(false);
        QCOMPARE(s.Active(), false);
        s.Close(); // closed: nothing
        for (int i = 0; i < 3; ++i) {
            QVERIFY(s.Open());
            QCOMPARE(s.WriteString("ab"), 2);
            QCOMPARE(m_a->receive(2), QByteArray("ab"));
            s.Close();
        }
        s.setCOMPort(2);
        QVERIFY(s.Open());
        QCOMPARE(s.WriteString("cd"), 2);
        QCOMPARE(m_b->receive(2), QByteArray("cd"));
    }

    void exclusiveOpen()
    {
        TSerial first;
        QVERIFY(first.Open());
        TSerial second;
        QCOMPARE(second.Open(), false);
        QCOMPARE(second.Active(), false);
        QVERIFY(!second.LastError().isEmpty());
        QCOMPARE(second.WriteString("x"), 0);
        first.Close();
        { const bool opened = second.Open(); QVERIFY2(opened, qPrintable(second.LastError())); }
    }

    void rejectedSettingsLeaveThePortClosed()
    {
        TSerial s;
        s.setDataBits(db_4);
        QCOMPARE(s.Open(), false);
        QCOMPARE(s.Active(), false);
        QVERIFY2(s.LastError().contains(QLatin1String("data bits 4")), qPrintable(s.LastError()));
        // The device was released again: another component gets it.
        TSerial other;
        { const bool opened = other.Open(); QVERIFY2(opened, qPrintable(other.LastError())); }
        other.Close();
        s.setDataBits(db_8);
        QVERIFY(s.Open());
        QVERIFY(s.LastError().isEmpty());
    }

    void lineSettingsApplied_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");
        QTest::addColumn<unsigned>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("parityFlags"); // enabled, odd, stick
        QTest::addColumn<int>("stops");

        QTest::newRow("9600 8N1") << int(br_009600) << int(db_8) << int(none) << int(sb_1) << false << false << 9600u << 8 << "---" << 1;
        QTest::newRow("2400 8N1") << int(br_002400) << int(db_8) << int(none) << int(sb_1) << false << false << 2400u << 8 << "---" << 1;
        QTest::newRow("14400 7E2") << int(br_014400) << int(db_7) << int(even) << int(sb_2) << false << false << 14400u << 7 << "P--" << 2;
        QTest::newRow("256000 8M1") << int(br_256000) << int(db_8) << int(mark) << int(sb_1) << true << false << 256000u << 8 << "POS" << 1;
        QTest::newRow("128000 5S1.5") << int(br_128000) << int(db_5) << int(space) << int(sb_15) << false << true << 128000u << 5 << "P-S" << 2;
        QTest::newRow("56000 6O1") << int(br_056000) << int(db_6) << int(odd) << int(sb_1) << true << true << 56000u << 6 << "PO-" << 1;
        QTest::newRow("110 8N2") << int(br_000110) << int(db_8) << int(none) << int(sb_2) << false << false << 110u << 8 << "---" << 2;
        QTest::newRow("115200 8N1") << int(br_115200) << int(db_8) << int(none) << int(sb_1) << false << true << 115200u << 8 << "---" << 1;
    }

    void lineSettingsApplied()
    {
        QFETCH(int, baud);
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(bool, rtsCts);
        QFETCH(bool, xonXoff);
        QFETCH(unsigned, rate);
        QFETCH(int, bits);
        QFETCH(QString, parityFlags);
        QFETCH(int, stops);

        TSerial s;
        s.setBaudrate(TBaudrate(baud));
        s.setDataBits(TDataBits(dataBits));
        s.setParityBit(TParityBit(parity));
        s.setStopBits(TStopBits(stopBits));
        s.setHandshakeRtsCts(rtsCts);
        s.setHandshakeXOnXOff(xonXoff);
        s.setXOnChar(1);
        s.setXOffChar(2);
        const bool opened = s.Open();
        QVERIFY2(opened, qPrintable(s.LastError()));

        SlaveLineSettings got;
        QVERIFY(readSlaveLineSettings(m_a->master, got));
        QCOMPARE(got.outputRate, rate);
        QCOMPARE(got.inputRate, rate);
        if (ptyKeepsCharacterFormat()) {
            QCOMPARE(got.dataBits, bits);
            QCOMPARE(got.parityEnabled, parityFlags[0] == 'P');
        }
        QCOMPARE(got.parityOdd, parityFlags[1] == 'O');
        QCOMPARE(got.parityStick, parityFlags[2] == 'S');
        QCOMPARE(got.stopBits, stops);
        QCOMPARE(got.rtsCts, rtsCts);
        QCOMPARE(got.xonIn, xonXoff);
        QCOMPARE(got.xonOut, xonXoff);
        if (xonXoff) {
            QCOMPARE(int(got.startChar), 1);
            QCOMPARE(int(got.stopChar), 2);
        }
        QCOMPARE(got.parityCheck, parityFlags[0] == 'P');
        QVERIFY(got.raw);
        QCOMPARE(got.markErrors, false); // no error handler, no error char

        // A reopen with other settings reconfigures.
        s.Close();
        s.setBaudrate(br_019200);
        s.setDataBits(db_8);
        s.setParityBit(none);
        s.setStopBits(sb_1);
        s.setHandshakeRtsCts(false);
        s.setHandshakeXOnXOff(false);
        s.setUseErrorChar(true);
        QVERIFY(s.Open());
        QVERIFY(readSlaveLineSettings(m_a->master, got));
        QCOMPARE(got.outputRate, 19200u);
        QCOMPARE(got.parityOdd || got.parityStick || got.parityCheck, false);
        QCOMPARE(got.stopBits, 1);
        QCOMPARE(got.rtsCts || got.xonIn || got.xonOut, false);
        QCOMPARE(got.markErrors, true);
    }

    void readAndWriteBothWays_data()
    {
        QTest::addColumn<int>("priority");
        QTest::newRow("normal") << int(tpNormal);
        QTest::newRow("idle") << int(tpIdle);
        QTest::newRow("time critical") << int(tpTimeCritical);
    }

    void readAndWriteBothWays()
    {
        QFETCH(int, priority);
        TSerial s;
        s.setThreadPriority(TThreadPriority(priority));
        QByteArray got;
        int calls = 0;
        s.OnRxChar = [&](TSerial *sender) {
            QCOMPARE(sender, &s);
            ++calls;
            QByteArray text;
            const int n = sender->ReadString(text);
            QCOMPARE(n, int(text.size()));
            got += text;
        };
        QVERIFY(s.Open());

        const QByteArray all = pattern(256);
        QCOMPARE(s.WriteString(all), 256);
        QCOMPARE(m_a->receive(256), all);

        QVERIFY(m_a->send(all));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), all.size(), 10000);
        QCOMPARE(got, all);
        QVERIFY(calls >= 1);

        // Without a handler, reads take what has arrived.
        s.Close();
        s.OnRxChar = nullptr;
        QVERIFY(s.Open());
        QVERIFY(m_a->send("hello\r"));
        QTRY_COMPARE_WITH_TIMEOUT(s.InQueueCount(), 6, 10000);
        char buf[4];
        QCOMPARE(s.ReadBuffer(buf, 4), 4);
        QCOMPARE(QByteArray(buf, 4), QByteArray("hell"));
        QCOMPARE(s.InQueueCount(), 2);
        QByteArray rest;
        QCOMPARE(s.ReadString(rest), 2);
        QCOMPARE(rest, QByteArray("o\r"));
        QCOMPARE(s.ReadString(rest), 0);
        QVERIFY(rest.isEmpty());
    }

    void closedComponentDoesNothing()
    {
        TSerial s;
        QByteArray text("stale");
        QCOMPARE(s.ReadString(text), 0);
        QVERIFY(text.isEmpty());
        char buf[8];
        QCOMPARE(s.ReadBuffer(buf, 8), 0);
        QCOMPARE(s.WriteString("abc"), 0);
        QCOMPARE(s.WriteBuffer("abc", 3), 0);
        int in = -1, out = -1;
        s.GetQueueCounts(in, out);
        QCOMPARE(in, 0);
        QCOMPARE(out, 0);
        QCOMPARE(m_a->take(), QByteArray());
    }

    void largeWriteDoesNotBlock()
    {
        TSerial s;
        s.setBufSizeTrm(1 << 20);
        QVERIFY(s.Open());
        const QByteArray data = pattern(512 * 1024); // far more than the pty holds
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(s.WriteString(data), int(data.size()));
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(s.OutQueueCount() > 0);
        const QByteArray got = m_a->receive(data.size(), 30000);
        QCOMPARE(got.size(), data.size());
        QVERIFY(got == data);
        QTRY_COMPARE_WITH_TIMEOUT(s.OutQueueCount(), 0, 10000);
    }

    void transmitBufferBoundsAcceptedBytes()
    {
        TSerial s; // 2048 bytes of own transmit buffer
        QVERIFY(s.Open());
        const QByteArray data = pattern(512 * 1024);
        qsizetype accepted = s.WriteString(data);
        QVERIFY(accepted >= 2048);
        QVERIFY(accepted < data.size());
        // The kernel may still move bytes out of the tty's queue and let the
        // thread refill it; offered again and again, the rest is refused once
        // the tty and the own buffer are both full, and nothing blocks.
        bool refused = false;
        int zeros = 0;
        for (int i = 0; i < 2000 && !refused && accepted < data.size(); ++i) {
            const int more = s.WriteString(data.mid(accepted, 4096));
            accepted += more;
            zeros = more == 0 ? zeros + 1 : 0;
            refused = zeros == 3; // still refused after the line had time to move on
            if (more == 0)
                QTest::qWait(50);
        }
        QVERIFY(refused);
        QVERIFY(accepted < data.size());
        QVERIFY(s.OutQueueCount() >= 2048);
        const QByteArray got = m_a->receive(accepted, 30000);
        QCOMPARE(got.size(), qsizetype(accepted));
        QVERIFY(got == data.left(accepted));
        QTRY_COMPARE_WITH_TIMEOUT(s.OutQueueCount(), 0, 10000);
        QCOMPARE(s.WriteString("tail"), 4);
        QCOMPARE(m_a->receive(4), QByteArray("tail"));
    }

    void eventsInOrder()
    {
        TSerial s;
        QStringList log;
        QByteArray got;
        s.OnRxChar = [&](TSerial *sender) {
            QByteArray t;
            sender->ReadString(t);
            got += t;
            log << QStringLiteral("rx");
        };
        s.OnEventChar = [&](TSerial *) { log << QStringLiteral("event"); };
        s.OnTxEmpty = [&](TSerial *) { log << QStringLiteral("txempty"); };
        QVERIFY(s.Open());

        QVERIFY(m_a->send("abc"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("abc"), 10000);
        QTest::qWait(200);
        QVERIFY(!log.contains(QStringLiteral("event"))); // no carriage return yet
        log.clear();

        QVERIFY(m_a->send("def\rgh"));
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("event")), 10000);
        QCOMPARE(log.indexOf(QStringLiteral("event")), log.lastIndexOf(QStringLiteral("event")));
        QVERIFY(log.indexOf(QStringLiteral("rx")) >= 0);
        QVERIFY(log.indexOf(QStringLiteral("rx")) < log.indexOf(QStringLiteral("event")));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("abcdef\rgh"), 10000);
        QVERIFY(!log.contains(QStringLiteral("txempty")));

        log.clear();
        QCOMPARE(s.WriteString("out"), 3);
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("txempty")), 10000);
        QCOMPARE(m_a->receive(3), QByteArray("out"));

        // Another event character, and handlers assigned after Open are not raised.
        s.Close();
        s.setEventChar('!');
        s.OnTxEmpty = nullptr;
        QVERIFY(s.Open());
        int breaks = 0;
        s.OnTxEmpty = [&](TSerial *) { ++breaks; };
        log.clear();
        QVERIFY(m_a->send("x\ry"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("abcdef\rghx\ry"), 10000);
        QTest::qWait(200);
        QVERIFY(!log.contains(QStringLiteral("event")));
        QVERIFY(m_a->send("z!"));
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("event")), 10000);
        QCOMPARE(s.WriteString("w"), 1);
        QCOMPARE(m_a->receive(1), QByteArray("w"));
        QTest::qWait(200);
        QCOMPARE(breaks, 0);
    }

    void nullBytes_data()
    {
        QTest::addColumn<bool>("eliminate");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("kept") << false << QByteArray("a\0b\0\0c", 6);
        QTest::newRow("eliminated") << true << QByteArray("abc");
    }

    void nullBytes()
    {
        QFETCH(bool, eliminate);
        QFETCH(QByteArray, expected);
        TSerial s;
        s.setEliminateNullChar(eliminate);
        QByteArray got;
        s.OnRxChar = collectInto(got);
        QVERIFY(s.Open());
        QVERIFY(m_a->send(QByteArray("a\0b\0\0c", 6)));
        QTRY_COMPARE_WITH_TIMEOUT(got, expected, 10000);
        QTest::qWait(100);
        QCOMPARE(got, expected);
    }

    // With marked errors on, the line discipline doubles every 0xFF byte;
    // the reader must see each once, also where a doubled byte is split
    // between two reads.
    void markedInputIsUnescaped()
    {
        for (int lead = 4092; lead <= 4097; ++lead) {
            TSerial s;
            s.setUseErrorChar(true);
            QByteArray got;
            s.OnRxChar = collectInto(got);
            QVERIFY(s.Open());
            const QByteArray data = QByteArray(lead, 'a') + "\377z" + pattern(256) + "\377";
            QVERIFY(m_a->send(data));
            QTRY_VERIFY_WITH_TIMEOUT(got.size() >= data.size(), 10000);
            QTest::qWait(50);
            QCOMPARE(got.size(), data.size());
            QVERIFY2(got == data, qPrintable(QStringLiteral("lead %1").arg(lead)));
        }
    }

    void noHandlerAfterClose()
    {
        TSerial s;
        int calls = 0;
        s.OnRxChar = [&](TSerial *sender) {
            ++calls;
            QByteArray t;
            sender->ReadString(t);
        };
        QVERIFY(s.Open());
        QTimer feeder;
        QObject::connect(&feeder, &QTimer::timeout, [&] { (void)!::write(m_a->master, "data\r", 5); });
        feeder.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(calls >= 5, 10000);
        s.Close();
        const int atClose = calls;
        QTest::qWait(500);
        feeder.stop();
        QCOMPARE(calls, atClose);

        // A handler that closes the port: nothing later in that dispatch or after.
        m_a->take();
        int events = 0;
        calls = 0;
        s.OnRxChar = [&](TSerial *sender) {
            ++calls;
            sender->Close();
        };
        s.OnEventChar = [&](TSerial *) { ++events; };
        QVERIFY(s.Open());
        QVERIFY(m_a->send("line\r"));
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);
        (void)!::write(m_a->master, "x\r", 2); // the slave is closed: may fail
        QTest::qWait(300);
        QCOMPARE(calls, 1);
        QCOMPARE(events, 0);
        QCOMPARE(s.Active(), false);
    }

    void postedEventIsDroppedByClose()
    {
        for (const bool closeFirst : {false, true}) {
            TSerial s;
            int calls = 0;
            s.OnRxChar = [&](TSerial *) { ++calls; };
            QVERIFY(s.Open());
            QVERIFY(m_a->send("ping"));
            QThread::msleep(300); // the event thread posts meanwhile; nothing dispatched yet
            QCOMPARE(calls, 0);
            if (closeFirst) {
                s.Close();
                QTest::qWait(500);
                QCOMPARE(calls, 0);
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000); // the same sequence without Close delivers
                s.Close();
            }
        }
    }

    void rxCharNotRaisedWhileItsHandlerRuns()
    {
        TSerial s;
        int calls = 0;
        int depth = 0;
        bool overlapped = false;
        QByteArray got;
        s.OnRxChar = [&](TSerial *sender) {
            if (depth > 0)
                overlapped = true;
            ++depth;
            ++calls;
            QByteArray t;
            sender->ReadString(t);
            got += t;
            if (calls == 1) {
                (void)!::write(m_a->master, "second", 6);
                QTest::qWait(400); // runs the event loop inside the handler
            }
            --depth;
        };
        QVERIFY(s.Open());
        QVERIFY(m_a->send("first"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("firstsecond"), 10000);
        QVERIFY(!overlapped);
        QVERIFY(calls >= 2);
    }

    void drainRecheckBacksOffWhileNothingLeaves()
    {
        // A stalled handshake holds the output queue: each look that finds
        // nothing gone doubles the wait, up to a second; bytes leaving bring
        // it back to the short period at once.
        int ms = TSerThread::kDrainRecheckMs;
        QList<int> waits;
        for (int i = 0; i < 8; ++i)
            waits << (ms = TSerThread::nextDrainRecheck(ms, false));
        QCOMPARE(waits, (QList<int> {40, 80, 160, 320, 640, 1000, 1000, 1000}));
        QCOMPARE(TSerThread::nextDrainRecheck(ms, true), TSerThread::kDrainRecheckMs);
        QCOMPARE(TSerThread::nextDrainRecheck(0, false), 2 * TSerThread::kDrainRecheckMs);
    }

    void readStringTakesEverythingTakenIn()
    {
        // Bytes the component took off the device before the handler reads
        // (here by a partial read) are all handed over by ReadString: left
        // behind they would wait for the next byte on the line.
        TSerial s;
        QByteArray got;
        int calls = 0;
        s.OnRxChar = [&](TSerial *sender) {
            ++calls;
            char first = 0;
            QCOMPARE(sender->ReadBuffer(&first, 1), 1);
            QByteArray rest;
            sender->ReadString(rest);
            got += first + rest;
        };
        QVERIFY(s.Open());
        QVERIFY(m_a->send("abcdef"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("abcdef"), 10000);
        QCOMPARE(s.InQueueCount(), 0);
        QCOMPARE(s.ReceivedTotal(), qint64(6));
    }

    void handlerThatNeverReadsDoesNotSpin()
    {
        TSerial s;
        int calls = 0;
        s.OnRxChar = [&](TSerial *) { ++calls; };
        QVERIFY(s.Open());
        QVERIFY(m_a->send("x"));
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 10000);
        const double cpu0 = processCpuSeconds();
        QTest::qWait(1000);
        QCOMPARE(calls, 1);
        QVERIFY(processCpuSeconds() - cpu0 < 0.5);
        // New bytes raise a new event; what was left unread is still there.
        QVERIFY(m_a->send("y"));
        QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 10000);
        QCOMPARE(s.InQueueCount(), 2);
        QByteArray t;
        QCOMPARE(s.ReadString(t), 2);
        QCOMPARE(t, QByteArray("xy"));
    }

    void hangupIsReportedOnceAndDoesNotSpin()
    {
        TSerial s;
        int errors = 0;
        int rx = 0;
        s.OnError = [&](TSerial *) { ++errors; };
        s.OnRxChar = [&](TSerial *sender) {
            ++rx;
            QByteArray t;
            sender->ReadString(t);
        };
        QVERIFY(s.Open());
        QCOMPARE(s.WriteString("before"), 6);
        QCOMPARE(m_a->receive(6), QByteArray("before"));

        m_a->closeMaster(); // the adapter is pulled
        QTRY_COMPARE_WITH_TIMEOUT(errors, 1, 10000);
        const double cpu0 = processCpuSeconds();
        QTest::qWait(2000);
        const double used = processCpuSeconds() - cpu0;
        QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
        QCOMPARE(errors, 1);
        QVERIFY(s.Active());
        s.WriteString("lost"); // must neither block nor crash

        s.Close();
        QCOMPARE(s.Active(), false);
        s.setCOMPort(2);
        { const bool opened = s.Open(); QVERIFY2(opened, qPrintable(s.LastError())); }
        QCOMPARE(s.WriteString("after"), 5);
        QCOMPARE(m_b->receive(5), QByteArray("after"));
        const int rxBefore = rx;
        QVERIFY(m_b->send("back"));
        QTRY_VERIFY_WITH_TIMEOUT(rx > rxBefore, 10000);
        QCOMPARE(errors, 1);
    }

    void destroyedWhileDataFlows()
    {
        QTimer feeder;
        QObject::connect(&feeder, &QTimer::timeout, [&] {
            (void)!::write(m_a->master, "0123456789\r", 11);
            m_a->take();
        });
        feeder.start(1);
        const QByteArray bulk = pattern(200 * 1024);
        for (int i = 0; i < 40; ++i) {
            auto s = std::make_unique<TSerial>();
            s->setBufSizeTrm(256 * 1024);
            int calls = 0;
            s->OnRxChar = [&calls](TSerial *sender) {
                ++calls;
                QByteArray t;
                sender->ReadString(t);
            };
            s->OnEventChar = [](TSerial *) {};
            s->OnTxEmpty = [](TSerial *) {};
            QVERIFY(s->Open());
            s->WriteString(bulk);
            if (i % 2)
                QTest::qWait(i % 7);
            if (i % 3 == 0)
                s->Close(); // the thread may still be waking for the closed port
            s.reset();
        }
        QTest::qWait(300);
        feeder.stop();
        // Still usable afterwards.
        m_a->take();
        TSerial last;
        QVERIFY(last.Open());
        QCOMPARE(last.WriteString("ok"), 2);
        QCOMPARE(m_a->receive(2).right(2), QByteArray("ok"));
    }
};

QTEST_MAIN(TestTSerial)
#include "test_tserial.moc"
