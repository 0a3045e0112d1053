// SPDX-License-Identifier: GPL-3.0-or-later
// A port that cannot be opened stays closed without a dialog, and the status
// bar says why; for a device the user has no permission for, it names the
// group to join. The permission case runs in a child process that has given
// up root, on a device file of a group it is not in.
#include "serial/tserial.h"
#include "shell/porthint.h"
#include "shell/window/tform1.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char kChildMode[] = "--open-as-user";

// In the child: opens COM1 as the program does and writes the status bar's
// text, a line end, and a picture of the window to standard output.
int childOpens()
{
    // The program's own start: no settings file, so COM1 at 38400 baud; the
    // splash picture is ended as its timer would end it.
    serialports::reinitialisePortTable();
    TForm1 form;
    form.FormCreate();
    form.Timer12->stop();
    form.Timer6Timer();
    form.show();
    QTest::qWait(50);
    QByteArray picture;
    QBuffer buffer(&picture);
    buffer.open(QIODevice::WriteOnly);
    form.grab().save(&buffer, "PNG");
    const QByteArray status = form.statusBar()->currentMessage().toUtf8();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    out.write(status + '\n' + picture);
    return form.Serial1->Active() ? 3 : 0;
}

// Runs this program in child mode as an unprivileged user (when we are root)
// and returns what it wrote; empty on failure.
QByteArray runChildAsUser(const QByteArray &self)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(4);
        char *const args[] = {const_cast<char *>(self.constData()), const_cast<char *>(kChildMode), nullptr};
        ::execv(self.constData(), args);
        ::_exit(5);
    }
    ::close(pipeFds[1]);
    QByteArray got;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;)
        got.append(chunk, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? got : QByteArray();
}

} // namespace

class TestPortHint : public QObject {
    Q_OBJECT
private slots:
    void missingDeviceGivesTheReasonOnly();
    void permissionNamesTheGroup();
    void onlySerialGroupsAreOfferedToJoin();
};

void TestPortHint::missingDeviceGivesTheReasonOnly()
{
    const QString text = porthint::text(QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB7"), ENOENT,
                                        QStringLiteral("No such file or directory"));
    QCOMPARE(text, QStringLiteral("COM2 (/dev/ttyUSB7): No such file or directory"));
    QCOMPARE(porthint::text(QStringLiteral("COM1"), QString(), 0, QStringLiteral("COM1 has no device")),
             QStringLiteral("COM1: COM1 has no device"));
    QVERIFY(porthint::text(QStringLiteral("COM1"), QStringLiteral("/dev/ttyUSB0"), EBUSY,
                           QStringLiteral("Device or resource busy"))
                .endsWith(QStringLiteral("Ein anderes Programm hält die Schnittstelle (zynt-cli, ein zweites Fenster, "
                                         "ein Terminalprogramm).")));

    // In the program: the window's status bar, and the port stays closed.
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyUSB9"));
    qputenv("ZYNT_COM1", QFile::encodeName(missing));
    serialports::reinitialisePortTable();
    TForm1 form;
    form.Serial1->setCOMPort(1);
    form.openPort();
    QVERIFY(!form.Serial1->Active());
    const QString shown = form.statusBar()->currentMessage();
    QVERIFY2(shown.contains(missing) && shown.contains(QStringLiteral("COM1")), qPrintable(shown));
    QVERIFY(!shown.contains(QStringLiteral("adduser")));
}

void TestPortHint::onlySerialGroupsAreOfferedToJoin()
{
    QVERIFY(porthint::groupGivesSerialAccess(QStringLiteral("dialout")));
    QVERIFY(porthint::groupGivesSerialAccess(QStringLiteral("uucp")));
    for (const char *group : {"tty", "root", "plugdev", ""})
        QVERIFY2(!porthint::groupGivesSerialAccess(QString::fromLatin1(group)), group);

    // A pseudo-terminal's group: joining tty would open every terminal.
    if (::geteuid() != 0 || !::getgrnam("tty"))
        QSKIP("needs root to hand a file to the group tty");
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("pts7"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(::chown(QFile::encodeName(device).constData(), 0, ::getgrnam("tty")->gr_gid) == 0);
    const QString text = porthint::text(QStringLiteral("COM1"), device, EACCES, QStringLiteral("Permission denied"));
    QCOMPARE(text, QStringLiteral("COM1 (%1): Permission denied").arg(device));
}

void TestPortHint::permissionNamesTheGroup()
{
    // A device file of a group the user is not in, as /dev/ttyUSB0 belongs
    // to "dialout" (a plain file serves: the open fails before it matters).
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const group *dialout = ::getgrnam("dialout");
    if (::geteuid() == 0 && dialout)
        QVERIFY(::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0);
    QVERIFY(::chmod(QFile::encodeName(device).constData(), ::geteuid() == 0 ? 0660 : 0000) == 0);
    const QString group = porthint::owningGroup(device);
    QVERIFY(!group.isEmpty());

    qputenv("ZYNT_COM1", QFile::encodeName(device));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QByteArray got = runChildAsUser(QFile::encodeName(QCoreApplication::applicationFilePath()));
    QVERIFY2(!got.isEmpty(), "the child could not run");
    const qsizetype lineEnd = got.indexOf('\n');
    const QString shown = QString::fromUtf8(got.left(lineEnd));
    QVERIFY2(shown.contains(device), qPrintable(shown));
    // Without root the file keeps the user's own group, which is no group
    // to join for a port.
    if (porthint::groupGivesSerialAccess(group)) {
        QVERIFY2(shown.contains(QStringLiteral("\"%1\"").arg(group)), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("sudo adduser $USER %1").arg(group)), qPrintable(shown));
    } else {
        QVERIFY2(!shown.contains(QStringLiteral("adduser")), qPrintable(shown));
    }
    QVERIFY2(shown.contains(QStringLiteral("Permission denied")), qPrintable(shown));

    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/port-permission.png");
    QFile picture(path);
    QVERIFY2(picture.open(QIODevice::WriteOnly), qPrintable(path));
    picture.write(got.mid(lineEnd + 1));
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], kChildMode) == 0) {
        QApplication app(argc, argv);
        return childOpens();
    }
    QApplication app(argc, argv);
    TestPortHint test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_porthint.moc"
