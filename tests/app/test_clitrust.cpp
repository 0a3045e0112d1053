// SPDX-License-Identifier: GPL-3.0-or-later
// What zynt-cli writes, and when it says "done": rows a drive does not list
// or values no value has are refused before anything goes out, a refused
// assignment is never made permanent, the drive's own refusal of a program
// is shown, a gap in a program file stops it, a program longer than a drive
// keeps makes an incomplete backup, a dry run writes nothing, a command on
// a noisy line still ends, and a closed output ends a command cleanly.
#include "clifixture.h"

#include "sim/driveanswers.h"

#include <QFile>
#include <QTimer>

class TestCliTrust : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void rowsOfAFileAreChecked();
    void refusedAssignmentIsNotSaved();
    void dryRunWritesNothing();
    void programFaultsAreShownOrRefused();
    void longProgramMakesAnIncompleteBackup();
    void noisyLineStillEnds();
    void noisyListGivesNoBackup();
    void closedOutputEndsCleanly();
};

void TestCliTrust::rowsOfAFileAreChecked()
{
    sim::SimLine &drive = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1000"; });
    });
    QByteArray odd = "ZYNT-Parameter\r\n"
                     "Referenz:P41=2500\r\n"
                     ":abc=def\r\n"
                     "x:run=1\r\n"
                     "Nie:P9999=5\r\n"
                     "Adresse:9=5\r\n"
                     "Fast:9X=5\r\n"
                     "Null:P42=1";
    odd += '\0';
    odd += "2\r\nHoch:P1020=4\xe4"
           "0\r\n";
    QVERIFY(writeAll(dir->filePath(QStringLiteral("odd.par")), odd));
    const Run r = run({"--port", "COM1", "restore", "odd.par"});
    QCOMPARE(r.status, 1);
    for (const char *named : {"abc", "run", "P9999", "9:", "9X"})
        QVERIFY2(r.err.contains(QStringLiteral("refused before sending: %1").arg(QLatin1String(named))), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("P42: its value holds a character no value has (byte 0)")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("P1020: its value holds a character no value has (byte 228)")),
             qPrintable(r.err));
    // Only the one good row went out, to the drive it was meant for.
    QCOMPARE(assignmentsTo(drive), (QList<QByteArray> {"#1P41=2500\r"}));
    for (const QByteArray &command : drive.receivedCommands())
        QVERIFY2(command.startsWith("#1"), command.constData());
}

void TestCliTrust::refusedAssignmentIsNotSaved()
{
    sim::SimLine &drive = line(1, 38400, {1});
    drive.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        return command.startsWith("P42=") ? std::optional<QByteArray>("\n** Wert zu gross\r") : std::nullopt;
    });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    drive.withDrive(1, [](sim::Drive &d) {
        d.values["P41"] = "1";
        d.values["P42"] = "2";
    });
    drive.clearReceived();
    const Run r = run({"--port", "COM1", "--no-backup", "restore", "saved/COM1-1"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("no psave")), qPrintable(r.err));
    QVERIFY(!drive.receivedCommands().contains("#1psave\r"));
}

void TestCliTrust::dryRunWritesNothing()
{
    sim::SimLine &drive = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["P41"] = "2500"; });
    });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    drive.withDrive(1, [](sim::Drive &d) {
        d.values["P41"] = "1000";
        d.program.setLines({"ref"});
    });
    drive.clearReceived();
    const Run dry = run({"--port", "COM1", "restore", "saved/COM1-1", "--dry-run"});
    QCOMPARE(dry.status, 1);
    QVERIFY2(dry.out.contains(QStringLiteral("would write P41=2500 drive 1000 backup 2500")), qPrintable(dry.out));
    QVERIFY2(dry.out.contains(QStringLiteral("would write program")), qPrintable(dry.out));
    QVERIFY(assignmentsTo(drive).isEmpty());
    QVERIFY(!drive.receivedCommands().contains("#1new\r"));
    QVERIFY(QDir(dir->filePath(QStringLiteral("data/zynt/backups"))).entryList(QDir::Files).isEmpty());
    QCOMPARE(run({"--port", "COM1", "restore", "saved/COM1-1"}).status, 0);
    QCOMPARE(run({"--port", "COM1", "restore", "saved/COM1-1", "--dry-run"}).status, 0);
}

void TestCliTrust::programFaultsAreShownOrRefused()
{
    sim::SimLine &drive = line(1, 38400, {1});
    const QByteArrayList before = storedProgram(drive);
    // The drive refuses a program whose jump leads nowhere: its words are shown.
    QVERIFY(writeAll(dir->filePath(QStringLiteral("label.prg")), "ref\r\nJMP nowhere\r\n"));
    const Run label = run({"--port", "COM1", "program", "write", "label.prg"});
    QCOMPARE(label.status, 1);
    QVERIFY2(label.err.contains(QStringLiteral("label nowhere fehlt")), qPrintable(label.err));
    QVERIFY2(label.err.contains(QStringLiteral("keeps the program it had")), qPrintable(label.err));
    QCOMPARE(storedProgram(drive), before);
    // A gap would end the write early: refused before anything is sent.
    QVERIFY(writeAll(dir->filePath(QStringLiteral("gap.prg")), "ref\r\nW=1\r\n\r\nW=2\r\ne\r\n"));
    drive.clearReceived();
    const Run gap = run({"--port", "COM1", "program", "write", "gap.prg"});
    QCOMPARE(gap.status, 3);
    QVERIFY2(gap.err.contains(QStringLiteral("line 3 is empty")), qPrintable(gap.err));
    QVERIFY(drive.receivedCommands().isEmpty());
    const Run cut = run({"--port", "COM1", "program", "write", "gap.prg", "--truncate"});
    QVERIFY2(cut.status == 0, qPrintable(cut.err));
    QCOMPARE(storedProgram(drive), (QByteArrayList {"ref", "W=1"}));
    // More lines than a drive keeps: refused too.
    QByteArray many;
    for (int i = 1; i <= 300; ++i)
        many += "W=" + QByteArray::number(i) + "\r\n";
    QVERIFY(writeAll(dir->filePath(QStringLiteral("many.prg")), many));
    drive.clearReceived();
    QCOMPARE(run({"--port", "COM1", "program", "write", "many.prg"}).status, 3);
    QVERIFY(drive.receivedCommands().isEmpty());
}

void TestCliTrust::longProgramMakesAnIncompleteBackup()
{
    QByteArrayList program;
    for (int i = 1; i <= 305; ++i)
        program << "W=" + QByteArray::number(i);
    line(1, 38400, {1}, [&program](sim::SimLine &l) {
        l.withDrive(1, [&program](sim::Drive &d) {
            d.program.setLines(program);
            d.values["P41"] = "2500";
        });
    });
    sim::SimLine &spare = line(2, 38400, {1});
    const QByteArrayList spareProgram = storedProgram(spare);
    const Run b = run({"--port", "COM1", "backup", "saved"});
    QCOMPARE(b.status, 1);
    QVERIFY2(b.err.contains(QStringLiteral("the drive holds 305 program lines; 299 can be kept: the backup is incomplete")),
             qPrintable(b.err));
    QFile ini(dir->filePath(QStringLiteral("saved/COM1-1/drive.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray info = ini.readAll();
    QVERIFY(info.contains("\r\nProgramLines=299\r\n") && info.contains("\r\nComplete=0\r\n"));
    // Restored elsewhere: its parameters go, its program does not.
    const Run r = run({"--port", "COM2", "restore", "saved/COM1-1"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QStringLiteral("the backup's program is incomplete")), qPrintable(r.err));
    QCOMPARE(valueOf(spare, "P41"), QByteArray("2500"));
    QCOMPARE(storedProgram(spare), spareProgram);
}

void TestCliTrust::noisyLineStillEnds()
{
    sim::SimLine &drive = line(1, 38400, {1}, [](sim::SimLine &l) { l.setSilent(true); });
    QTimer noise;
    QObject::connect(&noise, &QTimer::timeout, [&drive] { drive.sendRaw("x.d6n"); });
    noise.start(100);
    QElapsedTimer clock;
    clock.start();
    const Run r = run({"--port", "COM1", "get", "P41"}, 40000);
    noise.stop();
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("no answer")), qPrintable(r.err));
    QVERIFY(clock.elapsed() < 30000);
}

void TestCliTrust::noisyListGivesNoBackup()
{
    // Noise on the line lands inside the list's answer: the list is read
    // again, and a backup is never written from one that holds noise.
    int noisy = 2; // the first listings that get noise
    sim::SimLine &drive = line(1, 38400, {1}, [&noisy](sim::SimLine &l) {
        l.addCommand([&noisy](sim::Drive &d, const QByteArray &command) -> std::optional<QByteArray> {
            if (command != "listp" || noisy <= 0)
                return std::nullopt;
            --noisy;
            QByteArray answer = sim::driveAnswer(d, command, std::chrono::steady_clock::now());
            const qsizetype entry = answer.indexOf("P1023=");
            answer.insert(entry + 6, "x.d6ncf1");
            return answer;
        });
    });
    const Run r = run({"--port", "COM1", "backup", "saved"});
    QCOMPARE(r.status, 2);
    QVERIFY2(r.err.contains(QStringLiteral("noise on the line")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("P1023")), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("saved/COM1-1"))));
    QCOMPARE(drive.receivedCommands().count("#1listp\r"), 2);
    // Noise once only: the list read again is whole, and the backup is made.
    noisy = 1;
    const Run again = run({"--port", "COM1", "backup", "saved"});
    QVERIFY2(again.status == 0, qPrintable(again.err));
    QVERIFY2(again.err.contains(QStringLiteral("read again")), qPrintable(again.err));
    QFile saved(dir->filePath(QStringLiteral("saved/COM1-1/parameters.par")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(!saved.readAll().contains("x.d6"));
}

void TestCliTrust::closedOutputEndsCleanly()
{
    sim::SimLine &drive = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.values["P41"] = "1";
            d.values["P42"] = "2";
        });
    });
    // Nobody reads the results (a pipe into a reader that ended): the
    // command ends at its next step instead of dying in the middle.
    const QString cli = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/zynt-cli");
    const Run r = run({QStringLiteral("-c"),
                       QStringLiteral("\"%1\" --port COM1 --no-backup set P41=11 P42=22 --save | true; "
                                      "echo \"status=${PIPESTATUS[0]}\" >&2")
                           .arg(cli)},
                      kWait, QStringLiteral("/bin/bash"));
    const QString err = r.err;
    QVERIFY2(err.contains(QStringLiteral("status=130")), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("standard output was closed")), qPrintable(err));
    QCOMPARE(valueOf(drive, "P41"), QByteArray("11"));
    QCOMPARE(valueOf(drive, "P42"), QByteArray("2"));
    QVERIFY(!drive.receivedCommands().contains("#1psave\r"));
}

QTEST_GUILESS_MAIN(TestCliTrust)
#include "test_clitrust.moc"
