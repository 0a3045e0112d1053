// SPDX-License-Identifier: GPL-3.0-or-later
// Backups that can be trusted, through the real zynt-cli on the wire: a
// backup folder lists its files with their sizes and SHA-256 and takes its
// name only when whole; a damaged one is refused before anything goes to
// a drive; a full disk stops a write; a backup killed while it writes
// leaves the old folder; two commands at once keep their backups apart.
#include "clifixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>

#include <csignal>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

class TestCliBackup : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void damagedBackupIsRefused_data();
    void damagedBackupIsRefused();
    void olderBackupIsReadWithAWarning();
    void fullDiskStopsTheWrite();
    void fullFileSystemStopsTheWrite();
    void backupReplacesAFolderWhole();
    void backupKilledWhileWritingLeavesTheOldFolder();
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

void TestCliBackup::fullFileSystemStopsTheWrite()
{
    // A real full file system: a small tmpfs in a mount namespace of the
    // command line's own, filled up to its last page, where the backups go
    // (root's reserved blocks do not count on a tmpfs).
    if (QProcess::execute(QStringLiteral("unshare"), {"-m", "true"}) != 0)
        QSKIP("no mount namespace for this user; the file size limit stands for a full disk in fullDiskStopsTheWrite");
    sim::SimLine *drive = nullptr;
    backedUp(&drive);
    drive->withDrive(1, [](sim::Drive &d) { d.values["P41"] = "1000"; });
    drive->clearReceived();
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("data")) && QDir(dir->path()).mkpath(QStringLiteral("full")));
    const QString cli = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/zynt-cli");
    // $1: the folder to fill; the rest: the command line's arguments. What
    // is left in the folder afterwards is listed after "left:".
    const QString script = QStringLiteral(
        "set -u; folder=$1; shift; mount -t tmpfs -o size=64k tmpfs \"$folder\" || exit 99; "
        "head -c 61440 /dev/zero >\"$folder/filler\"; \"$0\" \"$@\"; status=$?; "
        "echo left: >&2; find \"$folder\" -mindepth 1 ! -name filler -printf '%P %s\\n' >&2; exit $status");
    const auto inFullFolder = [&](const QString &folder, const QStringList &arguments) {
        return run(QStringList {"-m", "sh", "-c", script, cli, dir->filePath(folder)} + arguments, kWait,
                   QStringLiteral("unshare"));
    };

    const Run r = inFullFolder(QStringLiteral("data"), {"--port", "COM1", "restore", "saved/COM1-1"});
    QVERIFY2(r.status != 99, "the tmpfs could not be mounted");
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.contains(QStringLiteral("No space left on device")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("nothing was written to the drive")), qPrintable(r.err));
    QVERIFY(assignmentsTo(*drive).isEmpty());
    QVERIFY(!drive->receivedCommands().contains("#1psave\r"));
    QCOMPARE(valueOf(*drive, "P41"), QByteArray("1000"));
    // Nothing under a backup's name: no empty or cut .par or .prg.
    const QString left = r.err.section(QStringLiteral("left:\n"), 1);
    QVERIFY2(!left.contains(QStringLiteral(".par")) && !left.contains(QStringLiteral(".prg")), qPrintable(left));

    // A backup folder onto it: exit 3, nothing under the folder's name.
    const Run b = inFullFolder(QStringLiteral("full"), {"--port", "COM1", "backup", "full"});
    QCOMPARE(b.status, 3);
    QVERIFY2(b.err.contains(QStringLiteral("No space left on device")), qPrintable(b.err));
    QCOMPARE(b.err.section(QStringLiteral("left:\n"), 1), QString());
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

void TestCliBackup::backupKilledWhileWritingLeavesTheOldFolder()
{
    sim::SimLine *drive = nullptr;
    const QString folder = backedUp(&drive);
    const QStringList names {"parameters.par", "program.prg", "drive.ini"};
    QHash<QString, QByteArray> old;
    for (const QString &name : names)
        old[name] = readAll(folder + QLatin1Char('/') + name);
    drive->withDrive(1, [](sim::Drive &d) { d.program.setLines({"ref", "e"}); });

    // The backup is killed as its hidden folder appears, or as the first,
    // second or third of its files is closed: the folder under the final
    // name is always whole, the old one or the new one, never a mixture.
    // The backup shares this process's processor at the lowest priority, so
    // that the news of its file wakes this process before it goes on.
    cpu_set_t all;
    QVERIFY(::sched_getaffinity(0, sizeof all, &all) == 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    QVERIFY(::sched_setaffinity(0, sizeof one, &one) == 0);
    const auto restoreAffinity = qScopeGuard([&all] { ::sched_setaffinity(0, sizeof all, &all); });
    childSetUp = [] { (void)::nice(19); };
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
    const QByteArray parent = QFile::encodeName(dir->filePath(QStringLiteral("saved")));
    QVERIFY(::inotify_add_watch(watch, parent.constData(), IN_CREATE) >= 0);
    int killedBefore = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int stage = attempt % 4;
        int closed = 0;
        QProcess *backup = start({"--port", "COM1", "backup", "saved"});
        const pid_t pid = pid_t(backup->processId());
        const auto readEvents = [&] {
            alignas(inotify_event) char buffer[4096];
            ssize_t n;
            while ((n = ::read(watch, buffer, sizeof buffer)) > 0) {
                for (char *at = buffer; at < buffer + n;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(at);
                    at += sizeof(inotify_event) + event->len;
                    const QByteArray name = event->len ? QByteArray(event->name) : QByteArray();
                    if ((event->mask & IN_CREATE) && name.startsWith(".COM1-1.") && !name.contains(".old.")) {
                        if (stage == 0)
                            ::kill(pid, SIGKILL);
                        else
                            ::inotify_add_watch(watch, parent + '/' + name, IN_CLOSE_WRITE);
                    } else if ((event->mask & IN_CLOSE_WRITE) && ++closed == stage) {
                        ::kill(pid, SIGKILL);
                    }
                }
            }
        };
        // Waiting on the watch itself, not on the event loop's sleep; the
        // drive's answers come from the event loop in between.
        QElapsedTimer clock;
        clock.start();
        while (backup->state() != QProcess::NotRunning && clock.elapsed() < kWait) {
            pollfd ready {watch, POLLIN, 0};
            if (::poll(&ready, 1, 1) > 0)
                readEvents();
            QCoreApplication::processEvents();
            backup->waitForFinished(0);
        }
        const bool killed = backup->exitStatus() == QProcess::CrashExit;
        delete backup;
        const QByteArray program = readAll(folder + QStringLiteral("/program.prg"));
        const QByteArray ini = readAll(folder + QStringLiteral("/drive.ini"));
        if (program == old["program.prg"]) {
            QVERIFY2(killed, "the new backup ended without putting its folder in place");
            for (const QString &name : names)
                QCOMPARE(readAll(folder + QLatin1Char('/') + name), old[name]);
            ++killedBefore;
        } else {
            QCOMPARE(program, QByteArray("ref\r\ne\r\n"));
            QVERIFY(ini.contains("\r\nProgramLines=2\r\n"));
            QVERIFY(ini.contains("program.prg=8 " + QCryptographicHash::hash(program, QCryptographicHash::Sha256).toHex()));
            // Back to the old folder for the next attempt.
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(QDir().mkpath(folder));
            for (const QString &name : names)
                QVERIFY(writeAll(folder + QLatin1Char('/') + name, old[name]));
        }
    }
    // At least one kill must have landed before the rename, or nothing was shown.
    QVERIFY2(killedBefore > 0, "no kill landed before the folder was put in place");
    qInfo("%d of 16 kills landed before the rename", killedBefore);
    childSetUp = nullptr;
    // What a killed backup leaves beside it is hidden, and the next backup works.
    for (const QString &name : QDir(dir->filePath(QStringLiteral("saved"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        QVERIFY2(name == QLatin1String("COM1-1") || name.startsWith(QLatin1String(".COM1-1.")), qPrintable(name));
    QCOMPARE(run({"--port", "COM1", "backup", "saved"}).status, 0);
    QCOMPARE(readAll(folder + QStringLiteral("/program.prg")), QByteArray("ref\r\ne\r\n"));
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
