// How close the status poll comes to the pace the line and its timer allow,
// and what polling costs the program in CPU time.
#include "bench/bench_manual.h"

#include "manual/statusrules.h"
#include "serial/tserial.h"
#include "shell/tform1.h"
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

double processCpuSeconds()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

std::set<pid_t> threadIds()
{
    std::set<pid_t> ids;
    for (const QString &entry : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        ids.insert(pid_t(entry.toInt()));
    return ids;
}

// The CPU time of one thread of this process. Linux gives every thread a
// CPU clock; its id is made from the thread id as pthread_getcpuclockid does.
double threadCpuSeconds(pid_t tid)
{
    const clockid_t clock = clockid_t((~unsigned(tid) << 3) | 6);
    timespec ts {};
    if (clock_gettime(clock, &ts) != 0)
        return 0; // the thread has ended
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double threadsCpuSeconds(const std::set<pid_t> &tids)
{
    double total = 0;
    for (pid_t tid : tids)
        total += threadCpuSeconds(tid);
    return total;
}

qint64 commandBytes(const QList<QByteArray> &commands, qsizetype from)
{
    qint64 bytes = 0;
    for (qsizetype i = from; i < commands.size(); ++i)
        bytes += commands[i].size();
    return bytes;
}

} // namespace

PollFigures statusPoll38400(int latencyUs, int seconds)
{
    PollFigures figures;
    figures.cyclesPerSecond = -1;

    QTemporaryDir dir;
    sim::SimLine drive;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    if (drive.openPty().isEmpty() || !drive.makeLink(link))
        return figures;
    qputenv("ZYNT_COM1", link.toLocal8Bit());
    serialports::reinitialisePortTable();
    drive.setBaud(kBaud);
    drive.addDrive(1);
    drive.setLineEmulation(true, latencyUs);
    // The simulated drive's own threads are not the program's.
    const std::set<pid_t> before = threadIds();
    if (!drive.start())
        return figures;
    std::set<pid_t> simThreads;
    for (pid_t tid : threadIds()) {
        if (!before.count(tid))
            simThreads.insert(tid);
    }

    TForm1 form;
    form.Timer1->stop(); // no search: the drive is known
    form.Serial1->setCOMPort(1);
    form.Serial1->setBaudrate(br_038400);
    form.Serial1->setActive(true);
    if (!form.Serial1->Active())
        return figures;
    form.FirmwareNumber = 120400; // what the drive's version line gives: the analogue value is polled
    form.DriveConnected = 1;
    form.setEnabled(true);
    form.Timer9->setInterval(2000);
    form.Timer3->setInterval(kPollIntervalMs);

    // A tick that stops Timer3 started a cycle.
    std::vector<qint64> cycleStarts;
    QElapsedTimer clock;
    QObject::connect(form.Timer3, &QTimer::timeout, &form, [&] {
        if (!form.Timer3->isActive())
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
    form.Timer3->start();
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
    const double queriesPerCycle = double(status::cycleQueries(form.DriveAddress, form.FirmwareNumber).size());
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
