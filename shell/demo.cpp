// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/demo.h"

#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <sys/prctl.h>

namespace demo {

QString simulatorProgram(const QString &applicationDir)
{
    const QString beside = QDir(applicationDir).filePath(QStringLiteral("zynt-sim"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("zynt-sim"));
}

QString workingRoot()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime;
    return QDir::tempPath();
}

QByteArray settingsFile()
{
    return QByteArrayLiteral("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=1\r\nBaudrate=38400\r\n"
                             "Hardwarehandshake=0\r\nAnzahl ZYNT=1\r\nZYNTNr=1\r\n");
}

namespace {
int g_signalPipe[2] = {-1, -1};
}

void quitOnSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[0], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

QString Demo::link() const
{
    return m_dir ? QDir(m_dir->path()).filePath(QStringLiteral("COM1")) : QString();
}

QString Demo::start(const QString &simulator)
{
    if (simulator.isEmpty())
        return QCoreApplication::translate("demo", "Die simulierte ZYNT (zynt-sim) wurde weder neben diesem Programm "
                                                   "noch im Suchpfad gefunden.");
    m_dir = std::make_unique<QTemporaryDir>(QDir(workingRoot()).filePath(QStringLiteral("zynt-demo-XXXXXX")));
    if (!m_dir->isValid())
        return QCoreApplication::translate("demo", "Kein Arbeitsordner für die Demo in %1: %2")
            .arg(workingRoot(), m_dir->errorString());
    const QString error = datafiles::writeAside(QDir(m_dir->path()).filePath(QStringLiteral("ZYNT.ini")),
                                                settingsFile(), datafiles::Placing::Exclusive);
    if (!error.isEmpty())
        return error;

    // The drive ends with this process, also when it is killed.
    m_sim.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim.setStandardOutputFile(QProcess::nullDevice());
    m_sim.start(simulator, {QStringLiteral("--link"), link(), QStringLiteral("--baud"), QStringLiteral("38400"),
                            QStringLiteral("--address"), QStringLiteral("1")});
    if (!m_sim.waitForStarted(5000))
        return QCoreApplication::translate("demo", "Die simulierte ZYNT (%1) startet nicht: %2")
            .arg(simulator, m_sim.errorString());
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(link())) {
        if (m_sim.state() != QProcess::Running || clock.elapsed() > 5000)
            return QCoreApplication::translate("demo", "Die simulierte ZYNT (%1) hat ihre Leitung nicht angelegt.")
                .arg(simulator);
        QThread::msleep(20);
    }
    qputenv("ZYNT_COM1", QFile::encodeName(link()));
    // A journal of writes names this line, which ends with the demo.
    qputenv("XDG_STATE_HOME", QFile::encodeName(QDir(m_dir->path()).filePath(QStringLiteral("state"))));
    QDir::setCurrent(m_dir->path());
    return {};
}

Demo::~Demo()
{
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.terminate();
        if (!m_sim.waitForFinished(3000)) {
            m_sim.kill();
            m_sim.waitForFinished(3000);
        }
    }
    // Leave the folder before it goes.
    if (m_dir && QDir::currentPath() == QDir(m_dir->path()).canonicalPath())
        QDir::setCurrent(QDir::tempPath());
}

} // namespace demo
