// SPDX-License-Identifier: GPL-3.0-or-later
// The port's request for low latency at Open and what it reads of the
// adapter afterwards. A pseudo-terminal refuses the request, so a stand-in
// takes its place where the driver has to accept it; sysfs is a tree the
// test builds.
#include "serial/tserial.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A sysfs tty class folder with one entry: <name>/device/driver leading to
// the driver, <name>/device/latency_timer holding timer (none when empty).
bool makeTtyEntry(const QDir &root, const QString &name, const QString &driver, const QByteArray &timer)
{
    const QString device = name + QStringLiteral("/device");
    if (!root.mkpath(device) || !root.mkpath(QStringLiteral("drivers/") + driver))
        return false;
    if (::symlink(QFile::encodeName(root.filePath(QStringLiteral("drivers/") + driver)).constData(),
                  QFile::encodeName(root.filePath(device + QStringLiteral("/driver"))).constData()) != 0)
        return false;
    if (timer.isEmpty())
        return true;
    QFile file(root.filePath(device + QStringLiteral("/latency_timer")));
    return file.open(QIODevice::WriteOnly) && file.write(timer) == timer.size();
}

// What the stand-in for the driver saw, and the timer it sets as the usual
// adapter drivers do when they take the request.
struct Driver {
    int asked = 0;
    bool sawTty = false;
    int answer = 0;
    QString timerFile;
};
Driver g_driver;

int standIn(int fd)
{
    ++g_driver.asked;
    g_driver.sawTty = isatty(fd) == 1;
    if (g_driver.answer == 0 && !g_driver.timerFile.isEmpty()) {
        QFile timer(g_driver.timerFile);
        if (timer.open(QIODevice::WriteOnly))
            timer.write("1\n");
    }
    return g_driver.answer;
}

} // namespace

class TestLowLatency : public QObject {
    Q_OBJECT
private slots:
    void adapterFromSysfs_data();
    void adapterFromSysfs();
    void openAsksForLowLatency_data();
    void openAsksForLowLatency();
    void ptyRefusesWithoutHarm();

private:
    // A pseudo-terminal, its sysfs entry named as the kernel names the
    // device node (the part after /dev/pts/).
    struct Line {
        int master = -1;
        QString slave;
        Line()
        {
            master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
                slave = QString::fromLocal8Bit(ptsname(master));
        }
        ~Line()
        {
            if (master >= 0)
                ::close(master);
        }
        QString entryName() const { return QFileInfo(slave).fileName(); }
    };
};

void TestLowLatency::adapterFromSysfs_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("timerMs");
    QTest::newRow("adapter by its stable name") << "by-id/usb-FTDI_A-if00-port0" << "ftdi_sio" << 16;
    QTest::newRow("adapter by its node") << "dev/ttyUSB0" << "ftdi_sio" << 16;
    QTest::newRow("timer set to 1") << "dev/ttyUSB1" << "ftdi_sio" << 1;
    QTest::newRow("adapter without a timer") << "dev/ttyUSB2" << "cp210x" << -1;
    QTest::newRow("built-in port") << "dev/ttyS0" << "serial8250" << -1;
    QTest::newRow("timer unreadable") << "dev/ttyUSB3" << "ftdi_sio" << -1;
    QTest::newRow("no entry (a pseudo-terminal)") << "dev/7" << "" << -1;
    QTest::newRow("device gone") << "dev/ttyUSB9" << "" << -1;
}

void TestLowLatency::adapterFromSysfs()
{
    QFETCH(QString, path);
    QFETCH(QString, driver);
    QFETCH(int, timerMs);
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("dev")) && root.mkpath(QStringLiteral("by-id")) && root.mkpath(QStringLiteral("tty")));
    for (const char *node : {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyS0", "7"}) {
        QFile file(root.filePath(QStringLiteral("dev/") + QLatin1String(node)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(::symlink("../dev/ttyUSB0", QFile::encodeName(root.filePath(QStringLiteral("by-id/usb-FTDI_A-if00-port0"))).constData()) == 0);
    const QDir tty(root.filePath(QStringLiteral("tty")));
    QVERIFY(makeTtyEntry(tty, QStringLiteral("ttyUSB0"), QStringLiteral("ftdi_sio"), "16\n"));
    QVERIFY(makeTtyEntry(tty, QStringLiteral("ttyUSB1"), QStringLiteral("ftdi_sio"), "1\n"));
    QVERIFY(makeTtyEntry(tty, QStringLiteral("ttyUSB2"), QStringLiteral("cp210x"), {}));
    QVERIFY(makeTtyEntry(tty, QStringLiteral("ttyS0"), QStringLiteral("serial8250"), {}));
    QVERIFY(makeTtyEntry(tty, QStringLiteral("ttyUSB3"), QStringLiteral("ftdi_sio"), "fast\n"));

    const serialports::Adapter adapter = serialports::adapterOf(root.filePath(path), tty.path());
    QCOMPARE(adapter.driver, driver);
    QCOMPARE(adapter.latencyTimerMs, timerMs);
}

void TestLowLatency::openAsksForLowLatency_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("lowLatency");
    QTest::addColumn<int>("timerMs");
    // A driver that takes the request sets its timer to 1 ms, and the port
    // reads that back; one that refuses leaves the 16 ms of its default.
    QTest::newRow("taken") << 0 << true << 1;
    QTest::newRow("refused: no permission") << EPERM << false << 16;
    QTest::newRow("refused: no such flag") << ENOTTY << false << 16;
}

void TestLowLatency::openAsksForLowLatency()
{
    QFETCH(int, answer);
    QFETCH(bool, lowLatency);
    QFETCH(int, timerMs);
    Line line;
    QVERIFY(!line.slave.isEmpty());
    QTemporaryDir sysfs;
    const QDir tty(sysfs.path());
    QVERIFY(makeTtyEntry(tty, line.entryName(), QStringLiteral("ftdi_sio"), "16\n"));
    qputenv("ZYNT_SYSFS_TTY", QFile::encodeName(tty.path()));
    g_driver = {};
    g_driver.answer = answer;
    g_driver.timerFile = tty.filePath(line.entryName() + QStringLiteral("/device/latency_timer"));
    const TSerial::LowLatencyRequest real = TSerial::setLowLatencyRequest(&standIn);

    TSerial port;
    port.setDevicePath(line.slave);
    const bool opened = port.Open();
    TSerial::setLowLatencyRequest(real);
    qunsetenv("ZYNT_SYSFS_TTY");

    QVERIFY2(opened, qPrintable(port.LastError()));
    QCOMPARE(g_driver.asked, 1);
    QVERIFY(g_driver.sawTty); // asked of the open device
    QCOMPARE(port.LowLatency(), lowLatency);
    QCOMPARE(port.Adapter().driver, QStringLiteral("ftdi_sio"));
    QCOMPARE(port.Adapter().latencyTimerMs, timerMs);
    QVERIFY(port.LastError().isEmpty());
    port.Close();
    QCOMPARE(port.Adapter().latencyTimerMs, -1); // what was read belongs to the open port
}

void TestLowLatency::ptyRefusesWithoutHarm()
{
    // The real request: a pseudo-terminal has no serial driver to take it.
    Line line;
    QVERIFY(!line.slave.isEmpty());
    TSerial port;
    port.setDevicePath(line.slave);
    port.setBaudrate(br_038400);
    QVERIFY2(port.Open(), qPrintable(port.LastError()));
    QVERIFY(!port.LowLatency());
    QVERIFY(port.LastError().isEmpty());
    QCOMPARE(port.Adapter().latencyTimerMs, -1);
    // The port works as before.
    QCOMPARE(port.WriteString("#1ver\r"), 6);
    QByteArray seen;
    QTRY_VERIFY_WITH_TIMEOUT((seen += [&] {
                                 char buf[64];
                                 const ssize_t n = ::read(line.master, buf, sizeof buf);
                                 return n > 0 ? QByteArray(buf, n) : QByteArray();
                             }()) == "#1ver\r",
                             5000);
}

QTEST_GUILESS_MAIN(TestLowLatency)
#include "test_lowlatency.moc"
