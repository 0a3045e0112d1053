// SPDX-License-Identifier: GPL-3.0-or-later
// What a newcomer meets first: the three programs' --help and --version, the
// port listing as a user without the permission, the messages of a scan or a
// command that finds nothing, and the demo's simulated drive ending with the
// window.
#include "clifixture.h"

#include "shell/startoptions.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSignalSpy>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString binary(const char *name)
{
    return qEnvironmentVariable("ZYNT_BINARY_DIR") + QLatin1Char('/') + QLatin1String(name);
}

// A pseudo-terminal whose far end the test holds: what a program sends to
// the device arrives here, and nobody answers unless the test does.
struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            qFatal("no pseudo-terminal");
        slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { ::close(master); }
    QByteArray received() const
    {
        QByteArray bytes;
        char piece[256];
        for (ssize_t n; (n = ::read(master, piece, sizeof piece)) > 0;)
            bytes.append(piece, n);
        return bytes;
    }
};

bool processGone(qint64 pid)
{
    // A zombie still has its folder in /proc; its state says it ended.
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = status.readAll();
    return text.contains("State:\tZ") || text.contains("State:\tX");
}

// The zynt-sim whose command line names this folder.
qint64 simulatorIn(const QString &folder)
{
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = cmdline.readAll();
        if (line.contains("zynt-sim") && line.contains(QFile::encodeName(folder)) && !processGone(pid))
            return pid;
    }
    return 0;
}

QString demoFolder(const QString &runtime)
{
    const QStringList found = QDir(runtime).entryList({QStringLiteral("zynt-demo-*")}, QDir::Dirs);
    return found.isEmpty() ? QString() : QDir(runtime).filePath(found.first());
}

} // namespace

class TestFirstContact : public QObject {
    Q_OBJECT
    CliFixture f;

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    // --help and --version answer on standard output with exit 0, without a
    // display (a window would fail without one) and without a byte on COM1.
    void helpAndVersionOpenNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        for (const char *program : {"zynt", "zynt-cli", "zynt-sim"}) {
            const QString name = QString::fromLatin1(program);
            QTest::addRow("%s --help", program) << name << "--help" << "usage: " + name;
            QTest::addRow("%s --version", program) << name << "--version" << name + " 1.";
        }
    }
    void helpAndVersionOpenNothing()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, expected);
        Pty line;
        f.environment.insert(QStringLiteral("ZYNT_COM1"), line.slave);
        f.environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        f.environment.remove(QStringLiteral("DISPLAY"));
        f.environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        const Run run = f.run({option}, 20000, binary(qPrintable(program)));
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith(expected), qPrintable(run.out));
        QCOMPARE(run.err, QString());
        QCOMPARE(line.received(), QByteArray());
        if (option == QLatin1String("--help") && program == QLatin1String("zynt-sim")) {
            // Every option is explained, not only named.
            for (const char *name : {"--pty", "--device", "--link", "--baud", "--address", "--status-digit",
                                     "--line-rate", "--latency-us"})
                QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("\\n  %1 .*\\w").arg(QLatin1String(name)))), name);
        }
    }

    // The window's own options are read before Qt; Qt's pass through.
    void windowOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << QStringList {} << false << "";
        QTest::newRow("demo") << QStringList {"--demo"} << true << "";
        QTest::newRow("Qt's value taken along") << QStringList {"-platform", "offscreen", "--demo"} << true << "";
        QTest::newRow("Qt's joined value") << QStringList {"--style=fusion", "-reverse"} << false << "";
        QTest::newRow("unknown") << QStringList {"--demo", "--bogus"} << true << "unknown option --bogus";
        QTest::newRow("a file") << QStringList {"machine.par"} << false << "unexpected argument machine.par";
    }
    void windowOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, demo);
        QFETCH(QString, error);
        const startoptions::Options options = startoptions::parse(arguments);
        QCOMPARE(options.demo, demo);
        QCOMPARE(options.error, error);
        QVERIFY(!options.help && !options.version);
        QVERIFY(startoptions::parse({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-h")}).help);
    }

    void wrongOptionsAreUsageErrors()
    {
        const Run window = f.run({QStringLiteral("--bogus")}, 20000, binary("zynt"));
        QCOMPARE(window.status, 64);
        QVERIFY(window.err.contains(QLatin1String("unknown option --bogus")));
        const Run sim = f.run({QStringLiteral("--bogus")}, 20000, binary("zynt-sim"));
        QCOMPARE(sim.status, 2);
        QVERIFY(sim.err.startsWith(QLatin1String("usage: zynt-sim")));
    }

    // Root passes every permission check, so the listing runs as nobody:
    // COM1 belongs to dialout (the fix is to join it), COM2 to tty (never
    // to be joined), COM3 names nothing.
    void portsAsAUserWithoutPermission()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to hand the devices to other groups and run as nobody");
        const group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout);
        Pty com1, com2;
        QCOMPARE(::chown(QFile::encodeName(com1.slave).constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(com1.slave).constData(), 0660), 0);
        const group *tty = ::getgrnam("tty");
        QVERIFY(tty);
        QCOMPARE(::chown(QFile::encodeName(com2.slave).constData(), 0, tty->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(com2.slave).constData(), 0620), 0);
        f.environment.insert(QStringLiteral("ZYNT_COM1"), com1.slave);
        f.environment.insert(QStringLiteral("ZYNT_COM2"), com2.slave);
        f.environment.insert(QStringLiteral("ZYNT_COM3"), QStringLiteral("/dev/zynt-no-such-port"));
        const Run run = f.run({QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                               QStringLiteral("--clear-groups"), binary("zynt-cli"), QStringLiteral("ports")},
                              20000, QStringLiteral("/usr/bin/setpriv"));
        const QStringList rows = run.out.split(QLatin1Char('\n'));
        QVERIFY2(rows.size() >= 4, qPrintable(run.out + run.err));
        QVERIFY2(rows[0].startsWith(QLatin1String("COM1  ") + com1.slave), qPrintable(rows[0]));
        QVERIFY2(rows[0].contains(QLatin1String("may not open it: Permission denied; join the group dialout "
                                                "(sudo adduser $USER dialout), then log in again")),
                 qPrintable(rows[0]));
        QVERIFY2(rows[1].contains(QLatin1String("may not open it: Permission denied (the device belongs to the group tty)")),
                 qPrintable(rows[1]));
        QVERIFY(!rows[1].contains(QLatin1String("adduser")));
        QVERIFY2(rows[2].contains(QLatin1String("/dev/zynt-no-such-port does not exist")), qPrintable(rows[2]));
        // Nothing this user may open: the listing does not end as a success.
        QCOMPARE(run.status, 2);
        QCOMPARE(com1.received() + com2.received(), QByteArray());
    }

    void portsWithTheirStableNames()
    {
        Pty com1;
        QVERIFY(QDir().mkpath(f.dir->filePath(QStringLiteral("by-id"))));
        const QString stable = f.dir->filePath(QStringLiteral("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
        QVERIFY(QFile::link(com1.slave, stable));
        f.environment.insert(QStringLiteral("ZYNT_COM1"), stable);
        const Run run = f.run({QStringLiteral("--json"), QStringLiteral("ports")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QStringLiteral("{\"port\":\"COM1\",\"device\":\"%1\",\"byId\":\"%2\",\"exists\":true,"
                                                 "\"mayOpen\":true,\"group\":null}")
                                      .arg(com1.slave, stable)),
                 qPrintable(run.out));
        QVERIFY(run.out.contains(QLatin1String("{\"port\":\"COM2\",\"device\":\"") + f.dir->filePath(QStringLiteral("absent"))
                                 + QLatin1String("\",\"byId\":null,\"exists\":false")));

        // No port at all is said as such, also by the scan.
        f.environment.insert(QStringLiteral("ZYNT_COM1"), f.dir->filePath(QStringLiteral("absent")));
        const Run none = f.run({QStringLiteral("ports")});
        QCOMPARE(none.status, 2);
        QVERIFY2(none.err.contains(QLatin1String("no serial port exists on this system")), qPrintable(none.err));
        const Run scan = f.run({QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("scan")});
        QCOMPARE(scan.status, 2);
        QVERIFY2(scan.err.contains(QLatin1String("no drive answered; COM1 skipped: COM1 (")), qPrintable(scan.err));
    }

    // The window holds the port: the scan says so instead of "no drive".
    void scanNamesAPortAnotherProgramHolds()
    {
        f.line(1, 38400, {1});
        const QString link = f.environment.value(QStringLiteral("ZYNT_COM1"));
        const int held = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        const Run run = f.run({QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--baud"),
                               QStringLiteral("38400"), QStringLiteral("scan")});
        ::close(held);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QLatin1String("another program holds the port")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QLatin1String("no drive answered; COM1 skipped")), qPrintable(run.err));
        QVERIFY(f.lines.back()->receivedCommands().isEmpty());
    }

    // Silence and garbled bytes get different hints.
    void aSilentOrGarbledAddressGetsAHint()
    {
        Pty line;
        f.environment.insert(QStringLiteral("ZYNT_COM1"), line.slave);
        const QStringList get = {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--baud"),
                                 QStringLiteral("38400"), QStringLiteral("--address"), QStringLiteral("1"),
                                 QStringLiteral("get"), QStringLiteral("P41")};
        const Run silent = f.run(get);
        QCOMPARE(silent.status, 2);
        QVERIFY2(silent.err.contains(QLatin1String("no answer at 38400 baud from address 1: `zynt-cli scan` finds drives "
                                                   "at every rate")),
                 qPrintable(silent.err));

        // Two drives answering at once: bytes come, none makes an answer.
        line.received();
        QProcess *process = f.start(get);
        QElapsedTimer clock;
        clock.start();
        while (process->state() != QProcess::NotRunning && clock.elapsed() < kWait) {
            if (!line.received().isEmpty()) {
                const char noise[] = "\xa3\x11#\x01o\x8fk\x10\r";
                QCOMPARE(::write(line.master, noise, sizeof noise - 1), ssize_t(sizeof noise - 1));
            }
            QTest::qWait(20);
        }
        QCOMPARE(process->exitCode(), 2);
        const QString err = QString::fromUtf8(process->readAllStandardError());
        delete process;
        QVERIFY2(err.contains(QLatin1String("from address 1 at 38400 baud, but no answer could be read: two drives may "
                                            "share this address")),
                 qPrintable(err));
    }

    // A backup target that cannot be made is named before the drive is read.
    void backupTargetRefusedBeforeTheDriveIsRead()
    {
        sim::SimLine &line = f.line(1, 38400, {1});
        QVERIFY(writeAll(f.dir->filePath(QStringLiteral("plain-file")), "x"));
        const Run run = f.run({QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--baud"),
                               QStringLiteral("38400"), QStringLiteral("--address"), QStringLiteral("1"),
                               QStringLiteral("backup"), QStringLiteral("plain-file/machine")});
        QCOMPARE(run.status, 3);
        QVERIFY2(run.err.contains(QLatin1String("plain-file")) && run.err.contains(QLatin1String("Not a directory"))
                     && run.err.contains(QLatin1String("nothing was read from the drive")),
                 qPrintable(run.err));
        QVERIFY(line.receivedCommands().isEmpty());
    }

    // Ctrl+C in the middle of a scan keeps what was found and says so.
    void interruptedScanSaysWhatItFound()
    {
        f.line(1, 38400, {1});
        QProcess *process = f.start({QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("scan")});
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (!out.contains('\n') && process->state() != QProcess::NotRunning && clock.elapsed() < kWait) {
            QTest::qWait(20);
            out += process->readAllStandardOutput();
        }
        QVERIFY2(out.startsWith("COM1 38400 1 "), out.constData());
        ::kill(pid_t(process->processId()), SIGINT);
        while (process->state() != QProcess::NotRunning && clock.elapsed() < kWait)
            QTest::qWait(20);
        QCOMPARE(process->exitCode(), 130);
        const QString err = QString::fromUtf8(process->readAllStandardError());
        delete process;
        QVERIFY2(err.contains(QRegularExpression(QStringLiteral("scan interrupted at COM1, \\d+ baud; found so far: "
                                                                "COM1 38400 1"))),
                 qPrintable(err));
    }

    // The demo's drive and folder end with the window: closed by a signal,
    // or killed outright.
    void demoEndsItsDriveWithTheWindow()
    {
        const QString runtime = f.dir->filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime));
        f.environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        f.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const int signal : {SIGTERM, SIGKILL}) {
            QProcess *window = f.start({QStringLiteral("--demo")}, binary("zynt"));
            QElapsedTimer clock;
            clock.start();
            QString folder;
            qint64 sim = 0;
            while ((folder.isEmpty() || !sim) && clock.elapsed() < kWait && window->state() != QProcess::NotRunning) {
                QTest::qWait(50);
                folder = demoFolder(runtime);
                // Connected once the line's link is there.
                sim = folder.isEmpty() || !QFileInfo(folder + QStringLiteral("/COM1")).isSymLink() ? 0 : simulatorIn(folder);
            }
            QVERIFY2(sim, qPrintable(window->readAllStandardError()));
            QVERIFY(QFileInfo(folder + QStringLiteral("/COM1")).isSymLink());
            QCOMPARE(readAll(folder + QStringLiteral("/ZYNT.ini")).left(26), QByteArray("ZYNT Schnittstellendaten:\r"));
            ::kill(pid_t(window->processId()), signal);
            while ((window->state() != QProcess::NotRunning || !processGone(sim)) && clock.elapsed() < kWait)
                QTest::qWait(50);
            QVERIFY2(processGone(sim), "the simulated drive outlived the window");
            if (signal == SIGTERM) {
                QCOMPARE(window->exitStatus(), QProcess::NormalExit);
                QVERIFY2(!QFileInfo::exists(folder), "the demo's folder was left behind");
            }
            delete window;
            QDir(folder).removeRecursively();
        }
    }

    // An installed program without its shipped files names what it missed.
    void missingShippedFileIsNamed()
    {
        const QString bin = f.dir->filePath(QStringLiteral("install/bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::copy(binary("zynt"), bin + QStringLiteral("/zynt")));
        f.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess *window = f.start({}, bin + QStringLiteral("/zynt"));
        QElapsedTimer clock;
        clock.start();
        QByteArray err;
        while (!err.contains("ZYNT-Texte.ini") && clock.elapsed() < kWait && window->state() != QProcess::NotRunning) {
            QTest::qWait(50);
            err += window->readAllStandardError();
        }
        window->kill();
        window->waitForFinished();
        delete window;
        QVERIFY2(err.contains("ZYNT-Texte.ini nicht gefunden") && err.contains(QFile::encodeName(bin)), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestFirstContact)
#include "test_firstcontact.moc"
