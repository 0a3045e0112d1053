// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli run as a process against simulated drives on pseudo-terminals:
// each test in a folder of its own, with its own home, data and state.
#pragma once

#include "sim/simdrive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

constexpr int kWait = 60000;

struct Run {
    int status = -1;
    QString out, err;
};

inline QByteArrayList storedProgram(sim::SimLine &line, int address = 1)
{
    QByteArrayList lines;
    line.withDrive(address, [&lines](sim::Drive &d) { lines = d.program.lines(); });
    return lines;
}

inline QByteArray valueOf(sim::SimLine &line, const QByteArray &name, int address = 1)
{
    QByteArray value;
    line.withDrive(address, [&](sim::Drive &d) { value = d.values[name]; });
    return value;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The assignments a drive received, the connection's own settings left out.
inline QList<QByteArray> assignmentsTo(sim::SimLine &line)
{
    QList<QByteArray> found;
    for (const QByteArray &command : line.receivedCommands()) {
        if (command.contains('=') && !command.contains("1028=") && !command.contains("p1035=")
            && !command.contains("p1716="))
            found << command;
    }
    return found;
}

struct CliFixture {
    std::unique_ptr<QTemporaryDir> dir;
    std::vector<std::unique_ptr<sim::SimLine>> lines;
    QProcessEnvironment environment;
    // Runs in the command line's process before it starts (a limit, a signal).
    std::function<void()> childSetUp;

    void setUp()
    {
        dir = std::make_unique<QTemporaryDir>();
        if (!dir->isValid())
            qFatal("no temporary folder");
        environment = QProcessEnvironment::systemEnvironment();
        // Only the simulated lines: COM3 and COM4 name nothing that exists, no
        // adapter is looked for, and backups go to the test's own home.
        for (const char *name : {"ZYNT_COM1", "ZYNT_COM2", "ZYNT_COM3", "ZYNT_COM4"})
            environment.insert(QString::fromLatin1(name), dir->filePath(QStringLiteral("absent")));
        environment.insert(QStringLiteral("ZYNT_SERIAL_BY_ID"), dir->filePath(QStringLiteral("by-id")));
        environment.insert(QStringLiteral("HOME"), dir->path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir->filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), dir->filePath(QStringLiteral("state")));
    }

    void tearDown()
    {
        lines.clear();
        childSetUp = {};
        dir.reset();
    }

    // A simulated line on COMn (n 1 or 2) at a rate, with drives.
    sim::SimLine &line(int n, int baud, const QList<int> &addresses,
                       const std::function<void(sim::SimLine &)> &prepare = {})
    {
        auto sim = std::make_unique<sim::SimLine>();
        const QString link = dir->filePath(QStringLiteral("COM%1").arg(n));
        if (sim->openPty().isEmpty() || !sim->makeLink(link))
            qFatal("no pseudo-terminal");
        sim->setBaud(baud);
        for (const int address : addresses)
            sim->addDrive(address);
        if (prepare)
            prepare(*sim);
        if (!sim->start())
            qFatal("the simulated line does not start");
        environment.insert(QStringLiteral("ZYNT_COM%1").arg(n), link);
        lines.push_back(std::move(sim));
        return *lines.back();
    }

    QProcess *start(const QStringList &arguments, const QString &program = QString())
    {
        auto *process = new QProcess;
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(dir->path());
        if (childSetUp)
            process->setChildProcessModifier(childSetUp);
        process->start(program.isEmpty() ? qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/zynt-cli") : program,
                       arguments);
        return process;
    }

    // program: another program than zynt-cli (a shell around it).
    Run run(const QStringList &arguments, int timeoutMs = kWait, const QString &program = QString())
    {
        QProcess *process = start(arguments, program);
        Run result;
        // The simulated drives answer from this process: its event loop turns.
        QElapsedTimer clock;
        clock.start();
        while (process->state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
            QTest::qWait(20);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
            result.err = QStringLiteral("(still running after %1 ms) ").arg(timeoutMs);
        } else {
            result.status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -2;
        }
        result.out = QString::fromUtf8(process->readAllStandardOutput());
        result.err += QString::fromUtf8(process->readAllStandardError());
        delete process;
        return result;
    }
};
