// SPDX-License-Identifier: GPL-3.0-or-later
// How close the status poll comes to the pace the line and its timer allow,
// and what polling costs the program in CPU time.
#include "bench/bench_manual.h"

#include "bench/benchline.h"

#include "manual/statusrules.h"
#include "serial/tserial.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <set>
#include <vector>

namespace bench {

namespace {

constexpr int kBaud = 38400;
constexpr int kPollIntervalMs = 100; // what the connection set-up gives Timer3 at 38400 baud

qint64 commandBytes(const QList<QByteArray> &commands, qsizetype from)
{
    qint64 bytes = 0;
    for (qsizetype i = from; i < commands.size(); ++i)
        bytes += commands[i].size();
    return bytes;
}

} // namespace

PollFigures statusPoll38400(int latencyUs, int seconds, bool withPlot)
{
    PollFigures figures;
    figures.cyclesPerSecond = -1;

    BenchLine line;
    if (!line.open(kBaud, latencyUs))
        return figures;
    sim::SimLine &drive = line.drive;
    const std::set<pid_t> &simThreads = line.simThreads;
    TForm1 &form = *line.form;
    form.Core->Timer1->stop(); // no search: the drive is known
    form.Core->FirmwareNumber = 120400; // what the drive's version line gives: the analogue value is polled
    form.Core->DriveConnected = 1;
    form.setEnabled(true);
    form.Core->Timer9->setInterval(2000);
    form.Core->Timer3->setInterval(kPollIntervalMs);
    if (withPlot)
        form.showPlot();

    // A tick that stops Timer3 started a cycle.
    std::vector<qint64> cycleStarts;
    QElapsedTimer clock;
    QObject::connect(form.Core->Timer3, &QTimer::timeout, &form, [&] {
        if (!form.Core->Timer3->isActive())
            cycleStarts.push_back(clock.nsecsElapsed());
    });

    // A few cycles to settle, then the measured period. The event loop
    // sleeps between events, as the program's does.
    QEventLoop loop;
    QTimer settled;
    QObject::connect(&settled, &QTimer::timeout, &loop, [&] {
        if (cycleStarts.size() >= 3 || clock.elapsed() > 10000)
            loop.quit();
    });
    clock.start();
    form.Core->Timer3->start();
    settled.start(20);
    loop.exec();
    settled.stop();
    if (cycleStarts.size() < 3)
        return figures;
    const size_t firstCycle = cycleStarts.size() - 1;
    const qsizetype firstCommand = drive.receivedCommands().size();
    const qint64 firstSent = drive.bytesSent();
    const double cpu0 = processCpuSeconds();
    const double sim0 = threadsCpuSeconds(simThreads);
    const qint64 t0 = clock.nsecsElapsed();

    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();

    const double wall = double(clock.nsecsElapsed() - t0) / 1e9;
    const double cpu = processCpuSeconds() - cpu0 - (threadsCpuSeconds(simThreads) - sim0);
    const size_t lastCycle = cycleStarts.size() - 1;
    const size_t cycles = lastCycle - firstCycle;
    if (cycles < 2)
        return figures;
    // Bytes both ways from the first measured cycle's start to the last one's.
    const QList<QByteArray> commands = drive.receivedCommands();
    const qint64 queryBytes = commandBytes(commands, firstCommand);
    const qint64 answerBytes = drive.bytesSent() - firstSent;
    const double queriesPerCycle = double(status::cycleQueries(form.Core->DriveAddress, form.Core->FirmwareNumber).size());
    const double queriesSent = double(commands.size() - firstCommand);
    const double perCycleLine = double(queryBytes + answerBytes) * 10.0 / kBaud * queriesPerCycle / queriesSent;
    const double idealCycle = perCycleLine + queriesPerCycle * latencyUs / 1e6 + kPollIntervalMs / 1e3;

    figures.cyclesPerSecond = double(cycles) / (double(cycleStarts[lastCycle] - cycleStarts[firstCycle]) / 1e9);
    figures.idealPerSecond = 1.0 / idealCycle;
    figures.ratio = figures.cyclesPerSecond / figures.idealPerSecond;
    figures.cpuPercent = 100.0 * cpu / wall;
    return figures;
}

} // namespace bench
