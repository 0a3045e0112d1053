// SPDX-License-Identifier: GPL-3.0-or-later
// Backups that can be trusted, through the real zynt-cli on the wire: a
// backup folder lists its files with their sizes and SHA-256 and takes its
// name only when whole; a damaged one is refused before anything goes to
// a drive; a full disk stops a write; two commands at once keep their
// backups apart.
#include "clifixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include <csignal>
#include <sys/resource.h>

class TestCliBackup : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void damagedBackupIsRefused_data();
    void damagedBackupIsRefused();
    void olderBackupIsReadWithAWarning();
    void fullDiskStopsTheWrite();
    void backupReplacesAFolderWhole();
    void twoCommandsAtOnceKeepTheirBackups();
    void liveStateAndTypeAreNotWritten();

private:
    // A drive on COM1 with a program and some values of its own, backed up
    // into saved/COM1-1; the folder's path.
    QString backedUp(sim::SimLine **drive = nullptr);
};

QString TestCliBackup::backedUp(sim::SimLine **drive)
{
    sim::SimLine &sim = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.values["P41"] = "2500";
            d.program.setLines({"ref", "V=800", "W=2500", "e", "end"});
        });
    });
    if (drive)
        *drive = &sim;
    const Run b = run({"--port", "COM1", "backup", "saved"});
    if (b.status != 0)
        qWarning("%s", qPrintable(b.err));
    return dir->filePath(QStringLiteral("saved/COM1-1"));
}

void TestCliBackup::damagedBackupIsRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("said");
    QTest::newRow("program emptied") << "program.prg" << "empty" << "program.prg: 0 bytes, drive.ini says";
    QTest::newRow("parameters cut after 400 bytes") << "parameters.par" << "cut" << "parameters.par: its last line ends";
    QTest::newRow("a byte changed") << "parameters.par" << "byte" << "parameters.par: its SHA-256 is not the one";
}

void TestCliBackup::damagedBackupIsRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, damage);
    QFETCH(QString, said);
    sim::SimLine *drive = nullptr;
    const QString folder = backedUp(&drive);
    const QString path = folder + QLatin1Char('/') + file;
    QByteArray bytes = readAll(path);
    QVERIFY(bytes.size() > (file == QLatin1String("parameters.par") ? 400 : 10));
    if (damage == "empty")
        bytes.clear();
    else if (damage == "cut")
        bytes.truncate(400);
    else
        bytes[bytes.indexOf("P41=") + 4] = '9';
    QVERIFY(writeAll(path, bytes));

    drive->clearReceived();
    const Run r = run({"--port", "COM1", "restore", "saved/COM1-1"});
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.contains(said), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("nothing was used from it")), qPrintable(r.err));
    QVERIFY(drive->receivedCommands().isEmpty()); // checked before the line is even opened
    if (file == QLatin1String("parameters.par")) {
        const Run d = run({"--port", "COM1", "diff", "saved/COM1-1/parameters.par"});
        QCOMPARE(d.status, 3);
        QVERIFY(drive->receivedCommands().isEmpty());
    }
}

void TestCliBackup::olderBackupIsReadWithAWarning()
{
    sim::SimLine *drive = nullptr;
    const QString folder = backedUp(&drive);
    // drive.ini as backups were written before they kept sums.
    QByteArray ini = readAll(folder + QStringLiteral("/drive.ini"));
    ini = ini.left(ini.indexOf("[Files]"));
    ini.replace("Version=041200", "Version=Version 041200");
    QVERIFY(writeAll(folder + QStringLiteral("/drive.ini"), ini));
    drive->withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1000"; });
    const Run r = run({"--port", "COM1", "restore", "saved/COM1-1"});
    QVERIFY2(r.status == 0, qPrintable(r.err + r.out));
    QVERIFY2(r.err.contains(QStringLiteral("it cannot be checked")), qPrintable(r.err));
    QCOMPARE(valueOf(*drive, "P41"), QByteArray("2500"));
}

void TestCliBackup::fullDiskStopsTheWrite()
{
    sim::SimLine *drive = nullptr;
    backedUp(&drive);
    drive->withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1000"; });
    drive->clearReceived();
    // Files of the command line cannot grow past 2 KiB, as on a full disk:
    // the backup of the drive's list fails, and so nothing is written.
    childSetUp = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {2048, 2048};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const Run r = run({"--port", "COM1", "restore", "saved/COM1-1"});
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.contains(QStringLiteral("nothing was written to the drive")), qPrintable(r.err));
    QVERIFY(assignmentsTo(*drive).isEmpty());
    QVERIFY(!drive->receivedCommands().contains("#1psave\r"));
    QCOMPARE(valueOf(*drive, "P41"), QByteArray("1000"));
    QDir backups(dir->filePath(QStringLiteral("data/zynt/backups")));
    QVERIFY(backups.entryList({QStringLiteral("*.par")}, QDir::Files | QDir::Hidden).isEmpty());

    // A backup onto that disk gives no folder under its name, and none beside.
    const Run b = run({"--port", "COM1", "backup", "full"});
    QCOMPARE(b.status, 3);
    QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("full/COM1-1"))));
    QVERIFY(QDir(dir->filePath(QStringLiteral("full"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

void TestCliBackup::backupReplacesAFolderWhole()
{
    sim::SimLine *drive = nullptr;
    const QString folder = backedUp(&drive);
    const QByteArray ini = readAll(folder + QStringLiteral("/drive.ini"));
    // Each file with its size and SHA-256.
    for (const char *name : {"parameters.par", "program.prg"}) {
        const QByteArray bytes = readAll(folder + QLatin1Char('/') + QLatin1String(name));
        const QByteArray line = QByteArray(name) + '=' + QByteArray::number(bytes.size()) + ' '
                              + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + "\r\n";
        QVERIFY2(ini.contains("[Files]\r\n") && ini.contains(line), ini.constData());
    }
    QVERIFY(ini.contains("\r\nProgramLines=5\r\n"));
    // The same folder again, after a change: the new one whole in its place.
    drive->withDrive(1, [](sim::Drive &d) { d.program.setLines({"ref", "e"}); });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    QCOMPARE(readAll(folder + QStringLiteral("/program.prg")), QByteArray("ref\r\ne\r\n"));
    QVERIFY(readAll(folder + QStringLiteral("/drive.ini")).contains("\r\nProgramLines=2\r\n"));
    QCOMPARE(QDir(dir->filePath(QStringLiteral("saved"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList {"COM1-1"});
}

void TestCliBackup::twoCommandsAtOnceKeepTheirBackups()
{
    sim::SimLine &one = line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1111"; });
    });
    sim::SimLine &two = line(2, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["P41"] = "2222"; });
    });
    QProcess *first = start({"--port", "COM1", "set", "P41=5"});
    QProcess *second = start({"--port", "COM2", "set", "P41=6"});
    QElapsedTimer clock;
    clock.start();
    while ((first->state() != QProcess::NotRunning || second->state() != QProcess::NotRunning) && clock.elapsed() < kWait)
        QTest::qWait(20);
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
    delete first;
    delete second;
    QCOMPARE(valueOf(one, "P41"), QByteArray("5"));
    QCOMPARE(valueOf(two, "P41"), QByteArray("6"));
    const QDir backups(dir->filePath(QStringLiteral("data/zynt/backups")));
    const QStringList com1 = backups.entryList({QStringLiteral("*-COM1-address1*.par")}, QDir::Files);
    const QStringList com2 = backups.entryList({QStringLiteral("*-COM2-address1*.par")}, QDir::Files);
    QCOMPARE(com1.size(), 1);
    QCOMPARE(com2.size(), 1);
    QVERIFY(readAll(backups.filePath(com1[0])).contains("=1111"));
    QVERIFY(readAll(backups.filePath(com2[0])).contains("=2222"));
    // Each with its size and SHA-256 beside it.
    QVERIFY(QFileInfo::exists(backups.filePath(com1[0] + QStringLiteral(".sha256"))));
}

void TestCliBackup::liveStateAndTypeAreNotWritten()
{
    // Drive A has its output O1 on and is of type 2; drive B, of type 6,
    // gets A's backup.
    line(1, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.values["O1"] = "1";
            d.values["P1034"] = "2";
            d.values["P41"] = "2500";
        });
    });
    sim::SimLine &b = line(2, 38400, {1}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1000"; });
    });
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    QVERIFY(readAll(dir->filePath(QStringLiteral("saved/COM1-1/drive.ini"))).contains("\r\nType=2\r\n"));

    // Another type is refused, as another version is.
    const Run refused = run({"--port", "COM2", "restore", "saved/COM1-1"});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("type 6")), qPrintable(refused.err));
    QVERIFY(assignmentsTo(b).isEmpty());

    // Forced: the settings go, the output and the type do not.
    const Run forced = run({"--port", "COM2", "--force", "restore", "saved/COM1-1"});
    QVERIFY2(forced.status == 0, qPrintable(forced.err + forced.out));
    QVERIFY2(forced.out.contains(QStringLiteral("written P41=2500")), qPrintable(forced.out));
    QVERIFY2(!forced.out.contains(QStringLiteral("P1201")) && !forced.out.contains(QStringLiteral("P1034")),
             qPrintable(forced.out));
    QCOMPARE(valueOf(b, "O1"), QByteArray("0"));
    QCOMPARE(valueOf(b, "P1034"), QByteArray("6"));
    // The type only when asked for in so many words.
    const Run typed = run({"--port", "COM2", "--force", "--write-type", "restore", "saved/COM1-1"});
    QVERIFY2(typed.out.contains(QStringLiteral("written P1034=2")), qPrintable(typed.out + typed.err));
    QCOMPARE(valueOf(b, "P1034"), QByteArray("2"));
    QCOMPARE(valueOf(b, "O1"), QByteArray("0"));
}

QTEST_GUILESS_MAIN(TestCliBackup)
#include "test_clibackup.moc"
