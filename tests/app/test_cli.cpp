// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli run as a process, as a technician or a plant's automation runs
// it, against simulated drives on pseudo-terminals: a scan of two lines, a
// backup restored onto another drive, a restore refused for another
// version, a refused assignment, a drive that falls silent, wrong
// arguments, a diff, and Ctrl+C during a program write.
#include "link/drivecore.h"
#include "parameters/designations.h"
#include "parameters/parameterfile.h"
#include "clifixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

class TestCli : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void badArguments_data();
    void badArguments();
    void scanOfTwoLines();
    void backupThenRestoreOntoAnotherDrive();
    void restoreRefusedForAnotherVersion();
    void refusedAssignment();
    void silentDrive();
    void diffAgainstAFile();
    void interruptedProgramWrite();
    void interruptedRestore();
};


void TestCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << QStringList {};
    QTest::newRow("unknown command") << QStringList {"erase"};
    QTest::newRow("unknown option") << QStringList {"--speed", "9600", "scan"};
    QTest::newRow("rate no drive runs at") << QStringList {"--baud", "57600", "scan"};
    QTest::newRow("address out of range") << QStringList {"--address", "0", "get", "P41"};
    QTest::newRow("port that is neither COMn nor a device") << QStringList {"--port", "COM7", "scan"};
    QTest::newRow("backup without a folder") << QStringList {"backup"};
    QTest::newRow("set without a value") << QStringList {"set", "P41"};
    QTest::newRow("program without read or write") << QStringList {"program", "show", "a.prg"};
    QTest::newRow("option without its value") << QStringList {"get", "P41", "--port"};
}

void TestCli::badArguments()
{
    QFETCH(QStringList, arguments);
    const Run r = run(arguments);
    QCOMPARE(r.status, 64);
    QVERIFY2(r.err.contains(QStringLiteral("usage: zynt-cli")), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void TestCli::scanOfTwoLines()
{
    line(1, 9600, {3});
    line(2, 38400, {2, 5}, [](sim::SimLine &l) {
        l.withDrive(5, [](sim::Drive &d) { d.version = "Version 051300"; });
    });
    const Run r = run({"scan"});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList {"COM1 9600 3 Version 041200", "COM2 38400 2 Version 041200",
                           "COM2 38400 5 Version 051300"}));

    // The same as JSON, for automation.
    const Run j = run({"--json", "--port", "COM2", "--baud", "38400", "--address", "5", "scan"});
    QCOMPARE(j.status, 0);
    QCOMPARE(j.out.trimmed(),
             QStringLiteral("[{\"port\":\"COM2\",\"baud\":38400,\"address\":5,\"version\":\"Version 051300\"}]"));
}

void TestCli::backupThenRestoreOntoAnotherDrive()
{
    // The old drive on COM1, the replacement on COM2 with other values and
    // another program.
    const QByteArrayList program = {":loop", "ref", "V=800", "W=2500", "e", "T200", "JMP loop"};
    sim::SimLine &old = line(1, 38400, {1}, [&program](sim::SimLine &l) {
        l.withDrive(1, [&program](sim::Drive &d) {
            d.values["P41"] = "2500";
            d.values["P42"] = "750";
            d.values["P1020"] = "4200";
            d.program.setLines(program);
        });
    });
    sim::SimLine &spare = line(2, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.program.setLines({"ref", "e"}); });
    });

    const Run b = run({"--port", "COM1", "--address", "1", "backup", "saved"});
    QVERIFY2(b.status == 0, qPrintable(b.err));
    const QDir folder(dir->filePath(QStringLiteral("saved/COM1-1")));
    for (const char *name : {"parameters.par", "program.prg", "drive.ini"})
        QVERIFY2(folder.exists(QString::fromLatin1(name)), name);
    QFile info(folder.filePath(QStringLiteral("drive.ini")));
    QVERIFY(info.open(QIODevice::ReadOnly));
    const QByteArray ini = info.readAll();
    QVERIFY2(ini.startsWith("[ZYNT]\r\nPort=COM1\r\nBaudrate=38400\r\nAddress=1\r\nVersion=041200\r\nType="), ini.constData());
    QVERIFY(ini.contains("\r\nProgramLines=7\r\n"));
    QFile prg(folder.filePath(QStringLiteral("program.prg")));
    QVERIFY(prg.open(QIODevice::ReadOnly));
    QCOMPARE(prg.readAll(), program.join("\r\n") + "\r\n");

    // The file loads into the grid as the drive's list: the same rows.
    QFile par(folder.filePath(QStringLiteral("parameters.par")));
    QVERIFY(par.open(QIODevice::ReadOnly));
    const std::optional<params::LoadedParameterFile> file = params::parseParameterFile(par.readAll());
    QVERIFY(file);
    DriveCore core;
    qputenv("ZYNT_COM1", environment.value(QStringLiteral("ZYNT_COM1")).toLocal8Bit());
    serialports::reinitialisePortTable();
    core.Serial1->setCOMPort(1);
    core.Serial1->setBaudrate(br_038400);
    core.openPort();
    QVERIFY(core.Serial1->Active());
    QSignalSpy listed(&core, &DriveCore::listingCompleted);
    core.connectTo("1");
    core.Owner.pause(line::Pause::UserStopped);
    QVERIFY(core.ZYNT_Parameter_Neu_Lesen());
    QVERIFY(listed.wait(kWait));
    QCOMPARE(file->rows.size(), qsizetype(core.Parameters.ParameterRowCount - 1));
    for (qsizetype i = 0; i < file->rows.size(); ++i) {
        const params::GridRow &listedRow = core.Parameters.Grid[size_t(i + 1)];
        QCOMPARE(file->rows[i][params::ColDesignation], listedRow[params::ColDesignation]);
        QCOMPARE(file->rows[i][params::ColValue].trimmed(), listedRow[params::ColValue]);
        QCOMPARE(file->rows[i][params::ColUnit], listedRow[params::ColUnit]);
    }
    core.Serial1->setActive(false);

    // Restored onto the spare: what may be written and the program are equal after.
    const Run r = run({"--port", "COM2", "--address", "1", "restore", "saved/COM1-1"});
    QVERIFY2(r.status == 0, qPrintable(r.err + r.out));
    QVERIFY2(r.out.contains(QStringLiteral("written P41=2500")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("written program, 7 lines")), qPrintable(r.out));
    QVERIFY(!r.out.contains(QStringLiteral("differs")));
    for (const QByteArray &name : {QByteArray("P41"), QByteArray("P42"), QByteArray("P1020")})
        QCOMPARE(valueOf(spare, name), valueOf(old, name));
    QCOMPARE(storedProgram(spare), program);
    QByteArray stored;
    spare.withDrive(1, [&stored](sim::Drive &d) { stored = d.stored["P41"]; });
    QCOMPARE(stored, QByteArray("2500")); // saved permanently
    // What it overwrote was saved first and named.
    QVERIFY2(r.err.contains(QStringLiteral(".par")) && r.err.contains(QStringLiteral(".prg")), qPrintable(r.err));
    QDir backups(dir->filePath(QStringLiteral("data/zynt/backups")));
    QCOMPARE(backups.entryList({QStringLiteral("*-address1.par")}).size(), 1);
    QCOMPARE(backups.entryList({QStringLiteral("*-address1.prg")}).size(), 1);

    // A second restore finds nothing to do.
    const Run again = run({"--port", "COM2", "--address", "1", "--no-backup", "restore", "saved/COM1-1"});
    QCOMPARE(again.status, 0);
    QVERIFY2(!again.out.contains(QStringLiteral("written")), qPrintable(again.out));
}

void TestCli::restoreRefusedForAnotherVersion()
{
    line(1, 38400, {1});
    line(2, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.version = "Version 051300";
            d.values["P41"] = "1234";
        });
    });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    const Run r = run({"--port", "COM2", "restore", "saved/COM1-1"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Version 051300")) && r.err.contains(QStringLiteral("--force")),
             qPrintable(r.err));
    QCOMPARE(valueOf(*lines.back(), "P41"), QByteArray("1234")); // nothing written
    QVERIFY(!lines.back()->receivedCommands().contains("#1psave\r"));
}

void TestCli::refusedAssignment()
{
    line(1, 38400, {1}, [](sim::SimLine &l) {
        l.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            if (command.startsWith("P41="))
                return QByteArray("\n** Wert ausserhalb des Bereichs\r");
            return std::nullopt;
        });
    });
    const Run r = run({"--port", "COM1", "--no-backup", "set", "P42=900", "P41=99999", "--save"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("P41=99999: refused")), qPrintable(r.err));
    QVERIFY(r.out.contains(QStringLiteral("written P42=900")));
    QCOMPARE(valueOf(*lines.back(), "P42"), QByteArray("900"));
    QVERIFY(!lines.back()->receivedCommands().contains("#1psave\r")); // nothing permanent after a refusal
}

void TestCli::silentDrive()
{
    line(1, 38400, {1}, [](sim::SimLine &l) { l.setSilent(true); });
    QElapsedTimer clock;
    clock.start();
    const Run r = run({"--port", "COM1", "get", "P41"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("no answer")), qPrintable(r.err));
    QVERIFY(clock.elapsed() < 30000);
}

void TestCli::diffAgainstAFile()
{
    line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["W"] = "100"; });
    });
    QVERIFY(run({"--port", "COM1", "backup", "saved"}).status == 0);
    QFile par(dir->filePath(QStringLiteral("saved/COM1-1/parameters.par")));
    QVERIFY(par.open(QIODevice::ReadOnly));
    QByteArray text = par.readAll();
    par.close();
    // Three values changed; the position written as 100.000 is still 100.
    const auto change = [&text](const QByteArray &from, const QByteArray &to) {
        QVERIFY2(text.contains(from), from.constData());
        text.replace(from, to);
    };
    change(":P41=3000 ", ":P41=3100 ");
    change(":P42=1000 ", ":P42=900 ");
    change(":P1020=2000 ", ":P1020=4000 ");
    change(":P47 (W)=100 ", ":P47 (W)=100.000 ");
    QFile changed(dir->filePath(QStringLiteral("changed.par")));
    QVERIFY(changed.open(QIODevice::WriteOnly));
    changed.write(text);
    changed.close();
    const Run r = run({"--port", "COM1", "diff", "changed.par"});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList {"P41\t3000\t3100", "P42\t1000\t900", "P1020\t2000\t4000"}));
    // Against its own backup: nothing.
    const Run same = run({"--port", "COM1", "diff", "saved/COM1-1/parameters.par"});
    QCOMPARE(same.status, 0);
    QVERIFY(same.out.isEmpty());
}

void TestCli::interruptedProgramWrite()
{
    // A slow line, so that Ctrl+C comes in the middle of the program.
    sim::SimLine &sim = line(1, 1200, {1}, [](sim::SimLine &l) { l.setLineEmulation(true); });
    const QByteArrayList before = storedProgram(sim);
    QByteArrayList program;
    for (int i = 1; i <= 60; ++i)
        program << "W=" + QByteArray::number(i * 10);
    QFile prg(dir->filePath(QStringLiteral("long.prg")));
    QVERIFY(prg.open(QIODevice::WriteOnly));
    prg.write(program.join("\r\n") + "\r\n");
    prg.close();

    QProcess *process = start({"--port", "COM1", "--baud", "1200", "program", "write", "long.prg"});
    QElapsedTimer clock;
    clock.start();
    while (!sim.receivedCommands().contains("#1W=30\r") && clock.elapsed() < kWait)
        QTest::qWait(20);
    QVERIFY(sim.receivedCommands().contains("#1W=30\r"));
    ::kill(pid_t(process->processId()), SIGINT);
    while (process->state() != QProcess::NotRunning && clock.elapsed() < kWait)
        QTest::qWait(20);
    QCOMPARE(process->exitCode(), 130);
    const QString err = QString::fromUtf8(process->readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("quit")) && err.contains(QStringLiteral("lines")), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral(".prg")), qPrintable(err)); // the backup of the old program
    // "quit" ends the entry at once, and nothing of the program follows it.
    QTRY_COMPARE_WITH_TIMEOUT(sim.receivedCommands().last(), QByteArray("#1quit\r"), kWait);
    const QList<QByteArray> received = sim.receivedCommands();
    QVERIFY(received.indexOf("#1quit\r", received.indexOf("#1new\r")) > 0);
    QVERIFY(!received.contains("#1W=600\r"));
    // The drive kept the lines it acknowledged, and perhaps the one on its way.
    const QRegularExpression said(QStringLiteral("after (\\d+) lines the drive acknowledged"));
    const QRegularExpressionMatch match = said.match(err);
    QVERIFY2(match.hasMatch(), qPrintable(err));
    const int acknowledged = match.captured(1).toInt();
    const QByteArrayList kept = storedProgram(sim);
    QVERIFY(acknowledged >= 1 && kept.size() >= acknowledged && kept.size() <= acknowledged + 1);
    QCOMPARE(kept, program.mid(0, kept.size()));
    // Where the old program is, and the exact way back.
    QVERIFY2(err.contains(QStringLiteral("its program before the write is in")), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("zynt-cli recover --port COM1 --baud 1200 --address 1")), qPrintable(err));
    delete process;

    // The partial program is kept as it is: "recover --keep" says what the
    // drive holds and ends the record; then the drive is free again.
    const Run keep = run({"--port", "COM1", "--baud", "1200", "recover", "--keep"});
    QVERIFY2(keep.status == 0, qPrintable(keep.err));
    QVERIFY2(keep.out.contains(QStringLiteral("neither the backed-up one nor the new one")), qPrintable(keep.out));
    QCOMPARE(storedProgram(sim), kept);
    const Run after = run({"--port", "COM1", "--baud", "1200", "get", "P41"});
    QVERIFY2(after.status == 0, qPrintable(after.err));
    Q_UNUSED(before);
}

void TestCli::interruptedRestore()
{
    // Twenty values to restore onto a slow line, and Ctrl+C after a few.
    line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            for (const char *name : {"P41", "P42", "P1003", "P1018", "P1019", "P1020", "V", "A"})
                d.values[name] = "77";
        });
    });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    sim::SimLine &spare = line(2, 1200, {1}, [](sim::SimLine &l) { l.setLineEmulation(true); });
    QProcess *process = start({"--port", "COM2", "--baud", "1200", "restore", "saved/COM1-1"});
    const auto assignments = [&spare] {
        int n = 0;
        for (const QByteArray &command : spare.receivedCommands())
            n += command.contains("=77\r") ? 1 : 0;
        return n;
    };
    QElapsedTimer clock;
    clock.start();
    while (assignments() < 2 && clock.elapsed() < kWait)
        QTest::qWait(20);
    QCOMPARE(assignments(), 2);
    ::kill(pid_t(process->processId()), SIGINT);
    while (process->state() != QProcess::NotRunning && clock.elapsed() < kWait)
        QTest::qWait(20);
    QCOMPARE(process->exitCode(), 130);
    const QString err = QString::fromUtf8(process->readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("none saved permanently")), qPrintable(err));
    // It stopped before the next assignment, and nothing was made permanent.
    QTest::qWait(300);
    QVERIFY(assignments() <= 3);
    QVERIFY(!spare.receivedCommands().contains("#1psave\r"));
    const QString out = QString::fromUtf8(process->readAllStandardOutput());
    // What it says it wrote is what the drive received.
    QCOMPARE(int(out.count(QStringLiteral("written "))), assignments());
    QVERIFY(err.contains(QStringLiteral("interrupted: %1 of 8 parameters written").arg(assignments())));
    delete process;
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
