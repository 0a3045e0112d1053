// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_cli.h"

#include "sim/simdrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

namespace bench {

namespace {

QByteArrayList fullProgram()
{
    QByteArrayList lines;
    for (int i = 1; i <= 299; ++i)
        lines << "W=100000 V=5000 A=" + QByteArray::number(i);
    return lines;
}

qint64 receivedBytes(const sim::SimLine &line)
{
    qint64 bytes = 0;
    for (const QByteArray &command : line.receivedCommands())
        bytes += command.size();
    return bytes;
}

// Runs zynt-cli against the line; the seconds it took, < 0 when it failed.
double runCli(const QTemporaryDir &dir, const QString &link, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZYNT_COM1"), link);
    for (const char *name : {"ZYNT_COM2", "ZYNT_COM3", "ZYNT_COM4"})
        environment.insert(QString::fromLatin1(name), dir.filePath(QStringLiteral("absent")));
    environment.insert(QStringLiteral("HOME"), dir.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zynt-cli"), arguments);
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

BackupFigures cliBackup38400()
{
    BackupFigures figures;
    {
        QTemporaryDir dir;
        sim::SimLine line;
        const QString link = dir.filePath(QStringLiteral("COM1"));
        if (line.openPty().isEmpty() || !line.makeLink(link))
            return figures;
        line.setBaud(38400);
        line.addDrive(1).program.setLines(fullProgram());
        line.setLineEmulation(true);
        if (!line.start())
            return figures;
        figures.achieved = runCli(dir, link, {"--port", "COM1", "--baud", "38400", "--address", "1", "--quiet",
                                              "backup", "saved"});
        figures.ideal = double(line.bytesSent() + receivedBytes(line)) * 10.0 / 38400;
    }
    {
        QTemporaryDir dir;
        sim::SimLine line;
        const QString link = dir.filePath(QStringLiteral("COM1"));
        if (line.openPty().isEmpty() || !line.makeLink(link))
            return figures;
        line.setBaud(38400);
        for (int address = 1; address <= 10; ++address)
            line.addDrive(address).program.setLines(fullProgram());
        line.setLineEmulation(true);
        if (!line.start())
            return figures;
        figures.tenDrives = runCli(dir, link, {"--port", "COM1", "--baud", "38400", "--address",
                                               "1,2,3,4,5,6,7,8,9,10", "--all", "--quiet", "backup", "saved"});
    }
    return figures;
}

} // namespace bench
