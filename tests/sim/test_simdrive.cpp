// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated drive, driven from the program's side of a real
// pseudo-terminal: exact answer bytes, addressing, rate gating, pacing and
// the injected faults that the link tests rely on.
#include "sim/adapter.h"
#include "sim/linerate.h"
#include "sim/simdrive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int kTimeoutMs = 5000;    // generous: the machine may be busy
constexpr int kQuietMs = 300;       // how long "nothing came" is watched

// The program's end of the line.
class Port {
public:
    explicit Port(const QString &path, int rate = 38400)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0)
            setRate(rate);
    }
    ~Port() { close(); }
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;

    bool isOpen() const { return fd >= 0; }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    bool setRate(int rate)
    {
        termios tio {};
        if (::tcgetattr(fd, &tio) != 0)
            return false;
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        speed_t speed = 0;
        switch (rate) {
        case 1200: speed = B1200; break;
        case 2400: speed = B2400; break;
        case 4800: speed = B4800; break;
        case 9600: speed = B9600; break;
        case 19200: speed = B19200; break;
        case 38400: speed = B38400; break;
        default: break;
        }
        if (speed != 0) {
            ::cfsetspeed(&tio, speed);
            return ::tcsetattr(fd, TCSANOW, &tio) == 0;
        }
        return ::tcsetattr(fd, TCSANOW, &tio) == 0 && sim::setLineRate(fd, rate);
    }

    bool send(const QByteArray &bytes)
    {
        return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until at least count bytes came or the time is up; counts the reads.
    QByteArray read(qsizetype count, int timeoutMs = kTimeoutMs)
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count) {
            const qint64 left = timeoutMs - timer.elapsed();
            if (left <= 0)
                break;
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, int(left)) <= 0)
                break;
            if (!(pfd.revents & POLLIN))
                break;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
            ++reads;
        }
        return got;
    }
    // Reads until the bytes end with suffix or the time is up.
    QByteArray readUntil(const QByteArray &suffix, int timeoutMs = kTimeoutMs)
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (!got.endsWith(suffix) && timer.elapsed() < timeoutMs)
            got += read(1, int(timeoutMs - timer.elapsed()));
        return got;
    }
    // Everything that arrives within timeoutMs.
    QByteArray readAll(int timeoutMs = kQuietMs) { return read(1 << 20, timeoutMs); }

    // Sends a command and returns the answer once expected.size() bytes came.
    QByteArray ask(const QByteArray &command, qsizetype expectedSize)
    {
        if (!send(command))
            return "<write failed>";
        return read(expectedSize);
    }


    int fd = -1;
    int reads = 0;
};

} // namespace

class TestSimDrive : public QObject {
    Q_OBJECT

private slots:
    void answersAreExact_data();
    void answersAreExact();
    void assignmentsAndQueries();
    void errorLineForUnknownCommands();
    void versionAnswer();
    void otherAddressesStaySilent();
    void broadcastIsAnsweredOnce();
    void answersOnlyAtItsRate();
    void nonStandardRate();
    void lineSurvivesProgramReopening();
    void chunkedAnswerKeepsItsBytes();
    void droppedAnswers();
    void injectedErrorLine();
    void silentAndRaw();
    void hangUpReachesTheProgram();
    void lineEmulationTakesLineTime();
    void stopWhilePacedOutputPending();
    void adapterPassesOnByTimerOrPacket();
    void adapterHoldsTheAnswers();
    void handlersComeFirst();
    void receivedCommandsInOrder();
    void standaloneProgram();
    void addresslessQueriesAndTheDrivesState();
    void changesAreRecordedAsCarriedOut();
};

void TestSimDrive::answersAreExact_data()
{
    QTest::addColumn<int>("statusDigit");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("probe, bare ok") << -1 << QByteArray("#1\r") << QByteArray("#1\r\nok\n\r");
    QTest::newRow("probe, status 3") << 3 << QByteArray("#1\r") << QByteArray("#1\r\nok3\n\r");
    QTest::newRow("probe, status 0") << 0 << QByteArray("#1\r") << QByteArray("#1\r\nok0\n\r");
    QTest::newRow("stop, status 3") << 3 << QByteArray("#1s\r") << QByteArray("#1s\r\nok3\n\r");
    QTest::newRow("quit") << -1 << QByteArray("#1quit\r") << QByteArray("#1quit\r\nok\n\r");
    QTest::newRow("psave") << 2 << QByteArray("#1psave\r") << QByteArray("#1psave\r\nok2\n\r");
    QTest::newRow("TROFF") << -1 << QByteArray("#1TROFF\r") << QByteArray("#1TROFF\r\nok\n\r");
    QTest::newRow("assignment") << 1 << QByteArray("#1P1028=8\r") << QByteArray("#1P1028=8\r\nok1\n\r");
    QTest::newRow("default language") << 4 << QByteArray("#1P265?\r")
                                      << QByteArray("#1P265?\r\nP265=0\r"); // a value line alone
}

void TestSimDrive::answersAreExact()
{
    QFETCH(int, statusDigit);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);

    sim::SimLine line;
    const QString slave = line.openPty();
    QVERIFY(!slave.isEmpty());
    line.addDrive(1).statusDigit = statusDigit;
    QVERIFY(line.start());

    Port port(slave);
    QVERIFY(port.isOpen());
    QCOMPARE(port.ask(command, answer.size()), answer);
    QCOMPARE(port.readAll(), QByteArray());     // nothing after the answer
}

void TestSimDrive::assignmentsAndQueries()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);

    QByteArray expected = "#1p1035=7\r\nok\n\r";
    QCOMPARE(port.ask("#1p1035=7\r", expected.size()), expected);
    // Names are stored regardless of case and answered as asked.
    expected = "#1P1035?\r\nP1035=7\r";
    QCOMPARE(port.ask("#1P1035?\r", expected.size()), expected);
    expected = "#1p1035?\r\np1035=7\r";
    QCOMPARE(port.ask("#1p1035?\r", expected.size()), expected);
    // Short names and values with dots and signs.
    expected = "#1O1=1\r\nok\n\r";
    QCOMPARE(port.ask("#1O1=1\r", expected.size()), expected);
    expected = "#1O1?\r\nO1=1\r";
    QCOMPARE(port.ask("#1O1?\r", expected.size()), expected);
    expected = "#1P41=-12.5\r\nok\n\r";
    QCOMPARE(port.ask("#1P41=-12.5\r", expected.size()), expected);
    expected = "#1P41?\r\nP41=-12.5\r";
    QCOMPARE(port.ask("#1P41?\r", expected.size()), expected);

    // A name the drive does not know is an error line.
    const QByteArray got = port.ask("#1P9999?\r", 12) + port.readAll();
    QVERIFY2(got.startsWith("#1P9999?\r\n**"), got.constData());
    QVERIFY(got.endsWith('\r'));
    QVERIFY(!got.contains("ok"));
}

void TestSimDrive::errorLineForUnknownCommands()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1).statusDigit = 3;
    QVERIFY(line.start());
    Port port(slave);

    const QByteArray got = port.ask("#1frobnicate\r", 16) + port.readAll();
    const QByteArray echo = "#1frobnicate\r";
    QVERIFY2(got.startsWith(echo + "\n**"), got.constData());
    QVERIFY(got.endsWith('\r'));
    QCOMPARE(got.count('\r'), 2);               // the echo's and the error line's
    QVERIFY(!got.contains("ok"));

    // The drive goes on normally after an error.
    QCOMPARE(port.ask("#1\r", 9), QByteArray("#1\r\nok3\n\r"));
}

void TestSimDrive::versionAnswer()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);

    port.send("#1ver\r");
    const QByteArray got = port.readUntil("ok\n\r");
    QVERIFY2(got.startsWith("#1ver\r\n"), got.constData());
    QCOMPARE(got, QByteArray("#1ver\r\nVersion 041200\r\nok\n\r"));
}

void TestSimDrive::addresslessQueriesAndTheDrivesState()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    line.addDrive(4).values["P11"] = "18";
    QVERIFY(line.start());
    Port port(slave);

    // A query without an address is answered by the drive addressed last.
    QCOMPARE(port.ask("#4P51?\r", 13), QByteArray("#4P51?\r\nP51=0\r"));
    QCOMPARE(port.ask("#P11?\r", 13), QByteArray("#P11?\r\nP11=18\r"));
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));
    QCOMPARE(port.ask("#P11?\r", 12), QByteArray("#P11?\r\nP11=0\r"));
    // The on/off state is a line without "=".
    QCOMPARE(port.ask("#P134?\r", 12), QByteArray("#P134?\r\nOFF\r"));
    // "psave" keeps what was assigned.
    QCOMPARE(port.ask("#1P41=1234\r", 17), QByteArray("#1P41=1234\r\nok\n\r"));
    QCOMPARE(port.ask("#1psave\r", 14), QByteArray("#1psave\r\nok\n\r"));
    line.stop();
    QCOMPARE(line.addDrive(1).stored.at("P41"), QByteArray("1234"));
}

void TestSimDrive::otherAddressesStaySilent()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    line.addDrive(3).statusDigit = 1;
    QVERIFY(line.start());
    Port port(slave);

    port.send("#2s\r");
    QVERIFY(line.waitForCommands(1, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());
    port.send("#10\r");                         // not 1 followed by "0"
    QVERIFY(line.waitForCommands(2, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());

    QCOMPARE(port.ask("#3s\r", 10), QByteArray("#3s\r\nok1\n\r"));
    QCOMPARE(port.ask("#1s\r", 9), QByteArray("#1s\r\nok\n\r"));
    QCOMPARE(line.receivedCommands(),
             (QList<QByteArray>{"#2s\r", "#10\r", "#3s\r", "#1s\r"}));
}

void TestSimDrive::broadcastIsAnsweredOnce()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(5).statusDigit = 2;
    line.addDrive(2);
    QVERIFY(line.start());
    Port port(slave);

    // The lowest address answers, the other one keeps quiet.
    const QByteArray expected = "#*\r\nok\n\r";
    QCOMPARE(port.ask("#*\r", expected.size()), expected);
    QCOMPARE(port.readAll(), QByteArray());

    // A broadcast assignment reaches every drive.
    QCOMPARE(port.ask("#*P265=1\r", 14), QByteArray("#*P265=1\r\nok\n\r"));
    QCOMPARE(port.readAll(), QByteArray());
    QCOMPARE(port.ask("#5P265?\r", 16), QByteArray("#5P265?\r\nP265=1\r"));
}

void TestSimDrive::answersOnlyAtItsRate()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());                      // expects 38400

    Port port(slave, 9600);
    port.send("#1\r");
    QVERIFY(line.waitForCommands(1, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());

    QVERIFY(port.setRate(38400));
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));

    QVERIFY(port.setRate(19200));
    port.send("#1\r");
    QVERIFY(line.waitForCommands(3, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());
}

void TestSimDrive::nonStandardRate()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.setBaud(250000);
    line.addDrive(1);
    QVERIFY(line.start());

    Port port(slave);                           // 38400: the wrong rate
    port.send("#1\r");
    QVERIFY(line.waitForCommands(1, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());

    QVERIFY(port.setRate(250000));
    QCOMPARE(sim::lineRate(port.fd), 250000);
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));
}

void TestSimDrive::lineSurvivesProgramReopening()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());

    {
        Port port(slave);
        QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));
    }
    // The program had the line closed for a while (as between search steps).
    QTest::qWait(100);
    Port port(slave);
    QVERIFY(port.isOpen());
    QCOMPARE(port.ask("#1s\r", 9), QByteArray("#1s\r\nok\n\r"));
}

void TestSimDrive::chunkedAnswerKeepsItsBytes()
{
    sim::SimLine reference;
    const QString referenceSlave = reference.openPty();
    reference.addDrive(1).statusDigit = 0;
    QVERIFY(reference.start());
    Port referencePort(referenceSlave);
    referencePort.send("#1ver\r");
    const QByteArray whole = referencePort.readUntil("ok0\n\r");
    QVERIFY(whole.endsWith("ok0\n\r"));

    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1).statusDigit = 0;
    line.setChunking(1, 4, 42);
    QVERIFY(line.start());
    Port port(slave);
    // The pieces come a few milliseconds apart; a reader that was kept off
    // the CPU may still get them in one go, so give it a few answers.
    int mostReads = 0;
    for (int i = 0; i < 5 && mostReads < 2; ++i) {
        port.reads = 0;
        QCOMPARE(port.ask("#1ver\r", whole.size()), whole);
        QCOMPARE(port.readAll(50), QByteArray());
        mostReads = std::max(mostReads, port.reads);
    }
    QVERIFY2(mostReads > 1, qPrintable(QString::number(mostReads)));
}

void TestSimDrive::droppedAnswers()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);

    line.dropAnswers(2);
    port.send("#2s\r");                         // another drive's command does not count
    port.send("#1s\r");
    QVERIFY(line.waitForCommands(2, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());
    port.send("#1P265?\r");
    QVERIFY(line.waitForCommands(3, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());
    QCOMPARE(port.ask("#1run\r", 11), QByteArray("#1run\r\nok\n\r"));
}

void TestSimDrive::injectedErrorLine()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1).statusDigit = 3;
    QVERIFY(line.start());
    Port port(slave);

    line.setNextErrorLine("Fehler in Zeile 12");
    const QByteArray expected = "#1P41=5\r\n**Fehler in Zeile 12\r";
    QCOMPARE(port.ask("#1P41=5\r", expected.size()), expected);
    QCOMPARE(port.readAll(), QByteArray());
    // Only the next command: the one after is answered normally.
    QCOMPARE(port.ask("#1P41=5\r", 14), QByteArray("#1P41=5\r\nok3\n\r"));
}

void TestSimDrive::silentAndRaw()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);

    line.setSilent(true);
    port.send("#1\r");
    QVERIFY(line.waitForCommands(1, kTimeoutMs));
    QCOMPARE(port.readAll(), QByteArray());

    line.sendRaw(QByteArray("\x00\xff garbage\n", 11));
    QCOMPARE(port.read(11), QByteArray("\x00\xff garbage\n", 11));

    line.setSilent(false);
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));
}

void TestSimDrive::hangUpReachesTheProgram()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));

    line.hangUp();
    pollfd pfd{port.fd, POLLIN, 0};
    QCOMPARE(::poll(&pfd, 1, kTimeoutMs), 1);
    QVERIFY(pfd.revents & POLLHUP);
    char c;
    const ssize_t n = ::read(port.fd, &c, 1);
    QVERIFY(n == 0 || (n < 0 && errno == EIO));
    // The line is dead: it cannot be opened again either.
    Port again(slave);
    QVERIFY(!again.isOpen() || ::write(again.fd, "#1\r", 3) < 0);
}

void TestSimDrive::lineEmulationTakesLineTime()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.setBaud(9600);
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave, 9600);

    // A long value makes the answer long enough to measure.
    const QByteArray value(100, '7');
    const QByteArray set = "#1P900=" + value + "\r";
    QCOMPARE(port.ask(set, set.size() + 6), set + "\nok\n\r");

    line.setLineEmulation(true, 0);
    const QByteArray query = "#1P900?\r";
    const QByteArray expected = query + "\nP900=" + value + "\r";
    const double byteSeconds = 10.0 / 9600.0;

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(port.ask(query, expected.size()), expected);
    const double elapsed = timer.nsecsElapsed() / 1e9;
    // The command and every byte of echo and answer crossed the line.
    QVERIFY2(elapsed >= (query.size() + expected.size()) * byteSeconds,
             qPrintable(QString::number(elapsed)));

    // The latency comes on top.
    line.setLineEmulation(true, 300000);
    timer.start();
    QCOMPARE(port.ask("#1\r", 8), QByteArray("#1\r\nok\n\r"));
    QVERIFY(timer.nsecsElapsed() / 1e9 >= 0.3 + 11 * byteSeconds);
}

void TestSimDrive::stopWhilePacedOutputPending()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.setBaud(1200);
    line.addDrive(1);
    line.setLineEmulation(true, 600'000'000);  // ten minutes
    QVERIFY(line.start());
    Port port(slave, 1200);
    port.send("#1\r");
    QTest::qWait(100);

    // stop() must not wait for the answer to go out.
    QElapsedTimer timer;
    timer.start();
    line.stop();
    QVERIFY(timer.elapsed() < 60000);
    QCOMPARE(port.readAll(), QByteArray());
}

void TestSimDrive::adapterPassesOnByTimerOrPacket()
{
    using namespace std::chrono;
    using Clock = sim::AdapterHold::Clock;
    sim::AdapterHold adapter;
    adapter.setLatency(milliseconds(16));
    QVERIFY(adapter.present());
    const Clock::time_point t0 = Clock::now();
    const auto take = [&adapter](Clock::time_point now) { return std::exchange(adapter.passedOn(now), {}); };

    // A short answer waits for the timer, which runs from its first byte.
    for (int i = 0; i < 9; ++i)
        adapter.hold(char('a' + i), t0 + microseconds(260 * i));
    QCOMPARE(take(t0 + microseconds(15999)), QByteArray());
    QCOMPARE(adapter.nextPassOn(), t0 + milliseconds(16));
    QCOMPARE(take(t0 + milliseconds(16)), QByteArray("abcdefghi"));
    QVERIFY(adapter.idle());
    QCOMPARE(adapter.nextPassOn(), Clock::time_point::max());

    // A packet's worth goes at once; the rest waits for the timer.
    const QByteArray listing(100, 'x');
    for (const char c : listing)
        adapter.hold(c, t0);
    QCOMPARE(take(t0).size(), sim::AdapterHold::kPacketBytes);
    QCOMPARE(take(t0 + milliseconds(16)).size(), 100 - sim::AdapterHold::kPacketBytes);

    // A byte after the timer ran out finds the earlier ones passed on and
    // starts the timer again.
    adapter.hold('1', t0);
    adapter.hold('2', t0 + milliseconds(20));
    QCOMPARE(take(t0 + milliseconds(20)), QByteArray("1"));
    QCOMPARE(take(t0 + milliseconds(35)), QByteArray());
    QCOMPARE(take(t0 + milliseconds(36)), QByteArray("2"));
}

void TestSimDrive::adapterHoldsTheAnswers()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);
    const QByteArray value(100, '7');
    const QByteArray set = "#1P900=" + value + "\r";
    QCOMPARE(port.ask(set, set.size() + 6), set + "\nok\n\r");

    // Long enough to tell the timer from the machine's slowness.
    line.setAdapterLatency(2000);
    const QByteArray query = "#1P900?\r";
    const QByteArray expected = query + "\nP900=" + value + "\r";
    QElapsedTimer timer;
    timer.start();
    QVERIFY(port.send(query));
    // The first packet comes without the timer, the rest only with it.
    const QByteArray packet = port.read(sim::AdapterHold::kPacketBytes, 1500);
    QCOMPARE(packet, expected.first(sim::AdapterHold::kPacketBytes));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(packet + port.read(expected.size() - packet.size()), expected);
    QVERIFY2(timer.elapsed() >= 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(line.outputIdle());
}

void TestSimDrive::handlersComeFirst()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1).statusDigit = 2;
    // Declines everything: the built-in table must still answer.
    line.addCommand([](sim::Drive &, const QByteArray &) -> std::optional<QByteArray> {
        return std::nullopt;
    });
    line.addCommand([](sim::Drive &drive, const QByteArray &command) -> std::optional<QByteArray> {
        if (command == "ver")
            return QByteArray("\nVersion 9.09\r\nok\n\r");
        if (command == "listp")
            return "\nP265=" + drive.values["P265"] + "\r\nok" + QByteArray::number(drive.statusDigit) + "\n\r";
        return std::nullopt;
    });
    QVERIFY(line.start());
    Port port(slave);

    QByteArray expected = "#1ver\r\nVersion 9.09\r\nok\n\r";
    QCOMPARE(port.ask("#1ver\r", expected.size()), expected);
    expected = "#1P265=1\r\nok2\n\r";
    QCOMPARE(port.ask("#1P265=1\r", expected.size()), expected);
    expected = "#1listp\r\nP265=1\r\nok2\n\r";
    QCOMPARE(port.ask("#1listp\r", expected.size()), expected);
    expected = "#1s\r\nok2\n\r";
    QCOMPARE(port.ask("#1s\r", expected.size()), expected);
}

void TestSimDrive::receivedCommandsInOrder()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    QVERIFY(line.start());
    Port port(slave);

    QVERIFY(!line.waitForCommands(1, 50));
    // Split writes and several commands in one write.
    port.send("#1P2");
    QTest::qWait(50);
    port.send("65?\r#7s\r#1");
    port.send("s\r");
    QVERIFY(line.waitForCommands(3, kTimeoutMs));
    QCOMPARE(line.receivedCommands(), (QList<QByteArray>{"#1P265?\r", "#7s\r", "#1s\r"}));
    QVERIFY(!line.waitForCommands(4, 50));
    line.clearReceived();
    QVERIFY(line.receivedCommands().isEmpty());
}

void TestSimDrive::standaloneProgram()
{
    const QString binary = qEnvironmentVariable("ZYNT_BINARY_DIR") + "/zynt-sim";
    if (!QFileInfo(binary).isExecutable())
        QSKIP("zynt-sim not built (ZYNT_BINARY_DIR unset?)");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("com1");

    QProcess process;
    process.start(binary, {"--link", link, "--address", "2,4", "--status-digit", "1", "--baud", "19200",
                           "--adapter-latency", "1"});
    QVERIFY(process.waitForStarted(kTimeoutMs));
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < kTimeoutMs)
        process.waitForReadyRead(100);
    const QByteArray first = process.readLine();
    QVERIFY2(first.startsWith("ZYNT simulated drive on /dev/"), first.constData());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), QString::fromLocal8Bit(first.mid(24).trimmed()));

    {
        Port port(link, 19200);
        QVERIFY(port.isOpen());
        QCOMPARE(port.ask("#4s\r", 10), QByteArray("#4s\r\nok1\n\r"));
        QCOMPARE(port.ask("#*\r", 9), QByteArray("#*\r\nok1\n\r"));
        port.send("#1s\r");
        QCOMPARE(port.readAll(), QByteArray());
    }

    process.terminate();                        // SIGTERM
    QVERIFY(process.waitForFinished(kTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TestSimDrive::changesAreRecordedAsCarriedOut()
{
    sim::SimLine line;
    const QString slave = line.openPty();
    line.addDrive(1);
    line.addDrive(2);
    QVERIFY(line.start());
    Port port(slave);
    // Each command waits for its answer, so that the order on the line is
    // the order the drive carried them out in.
    auto ask = [&port](const QByteArray &command) { return port.send(command) && !port.readAll(200).isEmpty(); };

    for (const QByteArray command : {"#1P41=5\r", "#1P41=5.0\r", "#1P51=700\r", "#1P11=0\r", "#1P41?\r", "#1listp1.2\r", "#1ver\r", "#1psave\r", "#1new\r",
                                     "#1W=12\r", "#1P1300?\r", "#1quit\r", "#1quit\r", "#1O2=1\r", "#1P1203=1\r", "#1O3=1\r",
                                     "#2on\r", "#1ls\r", "#1s\r", "#1TRON\r", "#1run\r", "#1list\r"})
        QVERIFY2(ask(command), command.constData());
    // Not changes: an assignment of the value held ("5.0" is another text,
    // so it is one), the drive's own values, a query, a listing, "quit"
    // outside entry, an output set to what it is.
    // Not carried out: a silent drive, a dropped command, an injected error.
    line.setSilent(true);
    port.send("#1P42=1\r");
    QVERIFY(line.waitForCommands(23, kTimeoutMs));
    line.setSilent(false);
    line.dropAnswers(1);
    port.send("#1P42=2\r");
    QVERIFY(line.waitForCommands(24, kTimeoutMs));
    line.setNextErrorLine("nein");
    QVERIFY(ask("#1P42=3\r"));

    using K = sim::ChangeKind;
    const QList<sim::Change> changes = line.takeChanges();
    const QList<std::pair<QByteArray, K>> expected = {
        {"P41=5", K::Assignment}, {"P41=5.0", K::Assignment}, {"psave", K::PermanentSave}, {"new", K::ProgramNew},
        {"W=12", K::ProgramLine}, {"P1300?", K::ProgramLine}, {"quit", K::ProgramQuit},
        {"O2=1", K::Output},      {"P1203=1", K::Output},      {"on", K::Power},
        {"ls", K::Motion},        {"s", K::Motion},            {"TRON", K::Execution},
        {"run", K::Execution},
    };
    QCOMPARE(changes.size(), expected.size());
    for (qsizetype i = 0; i < changes.size(); ++i) {
        QCOMPARE(changes[i].command, expected[i].first);
        QCOMPARE(changes[i].kind, expected[i].second);
        QCOMPARE(changes[i].address, expected[i].first == "on" ? 2 : 1);
    }
    // Taken once: the next call starts afresh.
    QVERIFY(line.takeChanges().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimDrive)
#include "test_simdrive.moc"
