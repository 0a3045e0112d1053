// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli after a write that did not end: the cable pulled in the middle
// of a program write and plugged back, a line the drive refused, a
// parameter write cut, and a drive found in program entry. What the drive
// took is said, the way back is given as a command line, other commands
// leave the drive alone meanwhile, and recover takes the way back.
#include "clifixture.h"

#include <QFile>

class TestCliCut : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void cutProgramWriteWaitsForRecover();
    void refusedLineLeavesTheWayBack();
    void cutSetNamesWhatWasTaken();
    void scanFindsADriveInProgramEntry();
};

void TestCliCut::cutProgramWriteWaitsForRecover()
{
    // The cable is pulled in the middle of a program write at 2400 baud and
    // plugged back: the drive is still in program entry.
    sim::SimLine &sim = line(1, 2400, {1}, [](sim::SimLine &l) { l.setLineEmulation(true); });
    const QByteArrayList before = storedProgram(sim);
    QByteArrayList program;
    for (int i = 1; i <= 60; ++i)
        program << "W=" + QByteArray::number(i * 10);
    QFile prg(dir->filePath(QStringLiteral("new.prg")));
    QVERIFY(prg.open(QIODevice::WriteOnly));
    prg.write(program.join("\r\n") + "\r\n");
    prg.close();
    QProcess *process = start({"--quiet", "--port", "COM1", "--baud", "2400", "program", "write", "new.prg"});
    QElapsedTimer clock;
    clock.start();
    while (!sim.receivedCommands().contains("#1W=100\r") && clock.elapsed() < kWait)
        QTest::qWait(5);
    sim.setSilent(true);
    while (process->state() != QProcess::NotRunning && clock.elapsed() < kWait)
        QTest::qWait(20);
    QCOMPARE(process->exitCode(), 2);
    const QString err = QString::fromUtf8(process->readAllStandardError());
    delete process;
    // Even with --quiet: where it stopped, that the drive holds a part, the
    // backup and the way back.
    QVERIFY2(err.contains(QStringLiteral("holds a partial program")), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("its program before the write is in")), qPrintable(err));
    const QString recover = QStringLiteral("zynt-cli recover --port COM1 --baud 2400 --address 1");
    QVERIFY2(err.contains(recover), qPrintable(err));

    // Plugged back: a read-only command sends nothing and says why. (What
    // the write sent into the cut line is still crossing it a moment.)
    QTest::qWait(300);
    sim.setSilent(false);
    sim.clearReceived();
    const Run get = run({"--port", "COM1", "--baud", "2400", "get", "P41"});
    QCOMPARE(get.status, 4);
    QVERIFY2(get.err.contains(QStringLiteral("a cut write waits for a decision")), qPrintable(get.err));
    QVERIFY2(get.err.contains(recover), qPrintable(get.err));
    QVERIFY(sim.receivedCommands().isEmpty());
    bool inEntry = false;
    sim.withDrive(1, [&inEntry](sim::Drive &d) { inEntry = d.program.inEntry(); });
    QVERIFY(inEntry);

    // The way back as printed: the entry ends, the backup goes back, checked.
    const Run back = run(recover.split(QLatin1Char(' ')).mid(1));
    QVERIFY2(back.status == 0, qPrintable(back.err + back.out));
    QVERIFY2(back.out.contains(QStringLiteral("the backed-up program")), qPrintable(back.out));
    QCOMPARE(storedProgram(sim), before);
    QVERIFY(QDir(dir->filePath(QStringLiteral("state/zynt"))).entryList(QDir::Files).isEmpty());
    // Nothing is left to recover.
    const Run again = run({"--port", "COM1", "--baud", "2400", "recover"});
    QCOMPARE(again.status, 0);
    QVERIFY2(again.err.contains(QStringLiteral("nothing to recover")), qPrintable(again.err));
}

void TestCliCut::refusedLineLeavesTheWayBack()
{
    sim::SimLine &sim = line(1, 38400, {1});
    const QByteArrayList before = storedProgram(sim);
    QFile prg(dir->filePath(QStringLiteral("typo.prg")));
    QVERIFY(prg.open(QIODevice::WriteOnly));
    prg.write("ref\r\nW=1\r\nW=2\r\nW=3\r\nW=1OOO\r\ne\r\nend\r\n");
    prg.close();
    const Run r = run({"--port", "COM1", "program", "write", "typo.prg"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("refused \"W=1OOO\" after 4 lines")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("it now holds 4 lines, neither its old program nor the new one")),
             qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("zynt-cli recover --port COM1 --baud 38400 --address 1")), qPrintable(r.err));
    QCOMPARE(storedProgram(sim), (QByteArrayList {"ref", "W=1", "W=2", "W=3"}));
    // Until it is decided, other commands say so and leave the drive alone.
    QCOMPARE(run({"--port", "COM1", "get", "P41"}).status, 4);
    const Run back = run({"--port", "COM1", "recover"});
    QVERIFY2(back.status == 0, qPrintable(back.err + back.out));
    QCOMPARE(storedProgram(sim), before);
}

void TestCliCut::cutSetNamesWhatWasTaken()
{
    // The drive takes P41 and P42 and never answers P1019: the command says
    // which were written, and recover gives back the old values of exactly
    // those it may have changed.
    sim::SimLine &sim = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            return command == "P1019=55" ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
        });
    });
    const QByteArray p41 = valueOf(sim, "P41"), p42 = valueOf(sim, "P42"), p1020 = valueOf(sim, "P1020");
    const Run r = run({"--port", "COM1", "set", "P41=1111", "P42=222", "P1019=55", "P1020=4444"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("cut after 2 of 4 assignments")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("the drive acknowledged P41=1111, P42=222")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("zynt-cli recover --port COM1 --baud 38400 --address 1")), qPrintable(r.err));
    QCOMPARE(valueOf(sim, "P41"), QByteArray("1111"));
    QCOMPARE(run({"--port", "COM1", "get", "P41"}).status, 4);

    const QByteArray before = sim.receivedCommands().join();
    const Run back = run({"--port", "COM1", "recover"});
    QVERIFY2(back.status == 0, qPrintable(back.err + back.out));
    QCOMPARE(valueOf(sim, "P41"), p41);
    QCOMPARE(valueOf(sim, "P42"), p42);
    QCOMPARE(valueOf(sim, "P1020"), p1020);
    // P1020 was never sent, and is not written back either.
    QVERIFY(!sim.receivedCommands().join().mid(before.size()).contains("P1020="));
}

void TestCliCut::scanFindsADriveInProgramEntry()
{
    // Drive 2 was left in program entry by someone else: the scan finds it
    // and says so, and sends it nothing that would end the entry.
    sim::SimLine &sim = line(1, 38400, {1, 2}, [](sim::SimLine &l) {
        l.withDrive(2, [](sim::Drive &d) { d.program.answer("new", "\nok\n\r"); });
    });
    const Run r = run({"--port", "COM1", "--baud", "38400", "scan"});
    QCOMPARE(r.status, 4);
    QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList {"COM1 38400 1 Version 041200", "COM1 38400 2 in program entry"}));
    QVERIFY(!sim.receivedCommands().contains("#2quit\r"));
    bool inEntry = false;
    sim.withDrive(2, [&inEntry](sim::Drive &d) { inEntry = d.program.inEntry(); });
    QVERIFY(inEntry);
    // A command for it waits for the decision too.
    const Run get = run({"--port", "COM1", "--address", "2", "get", "P41"});
    QCOMPARE(get.status, 4);
    QVERIFY2(get.err.contains(QStringLiteral("in program entry")), qPrintable(get.err));
}

QTEST_GUILESS_MAIN(TestCliCut)
#include "test_clicut.moc"
