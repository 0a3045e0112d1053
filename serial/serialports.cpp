// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports a user can choose: which devices stand for COM1 to COM4,
// found once and on request, apart from the port component itself.
#include "serial/tserial.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <optional>

namespace {

// Opens a device the way the port probe does: without becoming its
// controlling terminal and without waiting for carrier.
int openProbe(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool isUsableTty(const QString &path)
{
    const int fd = openProbe(path);
    // A device the user may not open is offered all the same: opening it
    // then says why it fails, and the user learns what to do about it.
    if (fd < 0)
        return errno == EACCES || errno == EPERM;
    termios tio;
    const bool ok = tcgetattr(fd, &tio) == 0;
    ::close(fd);
    return ok;
}

// ttyS devices exist for every possible UART; only those with hardware behind
// them report a known port type.
bool hasUart(const QString &path)
{
    const int fd = openProbe(path);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool ok = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return ok;
}

// The links of the by-id folder with the devices they point to; a link whose
// device is gone is left out.
QString stableFolder()
{
    return QDir(qEnvironmentVariable("ZYNT_SERIAL_BY_ID", QStringLiteral("/dev/serial/by-id"))).absolutePath();
}

QList<std::pair<QString, QString>> stableNames(const QString &folderPath)
{
    const QDir folder(folderPath);
    QList<std::pair<QString, QString>> names;
    for (const QFileInfo &entry : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString device = entry.canonicalFilePath();
        if (entry.isSymLink() && !device.isEmpty())
            names.append({entry.absoluteFilePath(), device});
    }
    return names;
}

serialports::PortTable buildTable()
{
    const QStringList entries = QDir(QStringLiteral("/dev")).entryList(QDir::System | QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    QStringList found;
    for (const QString &path : serialports::serialDeviceCandidates(entries)) {
        if (path.startsWith(QLatin1String("/dev/ttyS")) && !hasUart(path))
            continue;
        found << path;
    }
    const QStringList candidates = serialports::withStableNames(found, stableNames(stableFolder()));
    serialports::PortTable table;
    table.paths = serialports::resolvePortPaths(
        [](int n) { return qEnvironmentVariable(qPrintable(QStringLiteral("ZYNT_COM%1").arg(n))); }, candidates);
    for (int i = 0; i < 4; ++i)
        table.available[i] = !table.paths[i].isEmpty() && isUsableTty(table.paths[i]);
    return table;
}

std::mutex g_tableMutex;
std::optional<serialports::PortTable> g_table;

} // namespace

namespace serialports {

std::array<QString, 4> resolvePortPaths(const std::function<QString(int)> &env, const QStringList &candidates)
{
    std::array<QString, 4> paths;
    for (int n = 1; n <= 4; ++n)
        paths[n - 1] = env(n);
    // The unset slots take the devices found, in order; a device already
    // named by a variable is not handed out a second time.
    qsizetype next = 0;
    for (auto &path : paths) {
        if (!path.isEmpty())
            continue;
        while (next < candidates.size() && std::find(paths.begin(), paths.end(), candidates[next]) != paths.end())
            ++next;
        if (next < candidates.size())
            path = candidates[next++];
    }
    return paths;
}

QStringList serialDeviceCandidates(const QStringList &devEntries)
{
    QStringList result;
    for (const char *prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        const QRegularExpression re(QStringLiteral("^%1(\\d+)$").arg(QLatin1String(prefix)));
        QList<std::pair<qulonglong, QString>> group;
        for (const QString &name : devEntries) {
            const auto m = re.match(name);
            if (m.hasMatch())
                group.append({m.captured(1).toULongLong(), name});
        }
        std::sort(group.begin(), group.end());
        for (const auto &entry : group)
            result << QStringLiteral("/dev/") + entry.second;
    }
    return result;
}

QStringList withStableNames(const QStringList &candidates, const QList<std::pair<QString, QString>> &stableNames)
{
    QStringList result;
    QStringList named; // the devices that got their stable name
    qsizetype builtIn = -1;
    for (const QString &device : candidates) {
        const auto stable = std::find_if(stableNames.begin(), stableNames.end(),
                                         [&device](const auto &name) { return name.second == device; });
        if (builtIn < 0 && device.startsWith(QLatin1String("/dev/ttyS")))
            builtIn = result.size();
        if (stable != stableNames.end()) {
            named << device;
            result << stable->first;
        } else {
            result << device;
        }
    }
    QStringList others;
    for (const auto &[link, device] : stableNames) {
        if (!named.contains(device) && !others.contains(link))
            others << link;
    }
    for (qsizetype i = 0; i < others.size(); ++i)
        result.insert((builtIn < 0 ? result.size() : builtIn + i), others[i]);
    return result;
}

const PortTable &portTable()
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (!g_table)
        g_table = buildTable();
    return *g_table;
}

QStringList availablePortNames()
{
    const PortTable &table = portTable();
    QStringList names;
    for (int i = 0; i < 4; ++i)
        if (table.available[i])
            names << QStringLiteral("COM%1").arg(i + 1);
    return names;
}

void reinitialisePortTable()
{
    PortTable table = buildTable();
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_table = table;
}

QString replugPath(const QString &old, const QString &fresh, const std::function<bool(const QString &)> &exists,
                   const QString &stableFolder)
{
    const auto stable = [&stableFolder](const QString &path) {
        return !path.isEmpty() && QFileInfo(path).absolutePath() == stableFolder;
    };
    if (!old.isEmpty() && (exists(old) || stable(old)))
        return old;
    static const QRegularExpression removable(QStringLiteral("^/dev/tty(USB|ACM)\\d+$"));
    if (stable(fresh) || removable.match(fresh).hasMatch())
        return fresh;
    return old;
}

void reresolvePort(int n)
{
    if (n < 1 || n > 4)
        return;
    const PortTable fresh = buildTable();
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (!g_table)
        g_table = fresh;
    const size_t i = size_t(n - 1);
    const QString path = replugPath(g_table->paths[i], fresh.paths[i],
                                    [](const QString &p) { return QFileInfo::exists(p); }, stableFolder());
    if (path == fresh.paths[i])
        g_table->available[i] = fresh.available[i];
    g_table->paths[i] = path;
}

QString stableNameFolder()
{
    return stableFolder();
}

QString stableDeviceName(const QString &path)
{
    return stableDeviceName(path, stableFolder());
}

QString stableDeviceName(const QString &path, const QString &stableFolder)
{
    if (path.isEmpty())
        return path;
    const QString folder = QDir(stableFolder).absolutePath();
    // A stable name stands as it is: it survives the adapter coming back
    // under another ttyUSBn.
    if (QFileInfo(path).absolutePath() == folder)
        return QFileInfo(path).absoluteFilePath();
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        return QFileInfo(path).absoluteFilePath();
    for (const auto &[name, target] : stableNames(folder)) {
        if (target == device)
            return name;
    }
    return device;
}

} // namespace serialports
