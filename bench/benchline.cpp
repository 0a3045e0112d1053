// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/benchline.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <time.h>

namespace bench {

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

double threadCpuSeconds(pid_t tid)
{
    // Linux gives every thread a CPU clock; its id is made from the thread
    // id as pthread_getcpuclockid makes it.
    const clockid_t clock = clockid_t((~unsigned(tid) << 3) | 6u);
    timespec ts {};
    if (clock_gettime(clock, &ts) != 0)
        return 0;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double threadsCpuSeconds(const std::set<pid_t> &tids)
{
    double total = 0;
    for (pid_t tid : tids)
        total += threadCpuSeconds(tid);
    return total;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

TBaudrate rateOf(int baud)
{
    switch (baud) {
    case 9600: return br_009600;
    case 19200: return br_019200;
    default: return br_038400;
    }
}

bool BenchLine::open(int baud, int latencyUs, int adapterMs)
{
    const QString link = dir.filePath(QStringLiteral("COM1"));
    if (!dir.isValid() || drive.openPty().isEmpty() || !drive.makeLink(link))
        return false;
    qputenv("ZYNT_COM1", link.toLocal8Bit());
    // Backups, recordings and window sizes stay in the bench's folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    serialports::reinitialisePortTable();
    drive.setBaud(baud);
    drive.addDrive(1);
    drive.setLineEmulation(latencyUs >= 0, std::max(latencyUs, 0));
    drive.setAdapterLatency(adapterMs);
    const std::set<pid_t> before = threadIds();
    if (!drive.start())
        return false;
    for (pid_t tid : threadIds()) {
        if (!before.count(tid))
            simThreads.insert(tid);
    }
    form = std::make_unique<TForm1>();
    form->Serial1->setCOMPort(1);
    form->Serial1->setBaudrate(rateOf(baud));
    form->Serial1->setActive(true);
    return form->Serial1->Active();
}

} // namespace bench
