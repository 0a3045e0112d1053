// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/porthint.h"

#include "serial/tserial.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace porthint {

QString owningGroup(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const group *owner = ::getgrgid(info.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
}

bool groupGivesSerialAccess(const QString &group)
{
    // Debian's and Ubuntu's group, and the one of Arch and the BSDs.
    static const QStringList groups = {QStringLiteral("dialout"), QStringLiteral("uucp")};
    return groups.contains(group);
}

PortRow portRow(const QString &name, const QString &path, const QString &stableFolder)
{
    PortRow row;
    row.name = name;
    row.path = path;
    if (path.isEmpty())
        return row;
    row.device = QFileInfo(path).canonicalFilePath();
    row.exists = !row.device.isEmpty();
    if (!row.exists) {
        row.device = path;
        row.reason = QString::fromLocal8Bit(std::strerror(ENOENT));
        return row;
    }
    const QString stable = serialports::stableDeviceName(path, stableFolder);
    if (QFileInfo(stable).absolutePath() == QDir(stableFolder).absolutePath())
        row.byId = stable;
    row.mayOpen = ::access(QFile::encodeName(row.device).constData(), R_OK | W_OK) == 0;
    if (!row.mayOpen) {
        row.reason = QString::fromLocal8Bit(std::strerror(errno));
        row.group = owningGroup(row.device);
    }
    return row;
}

QString text(const QString &portName, const QString &device, int errorCode, const QString &reason)
{
    const QString where = device.isEmpty() ? portName : portName + QStringLiteral(" (") + device + QLatin1Char(')');
    QString hint = where + QStringLiteral(": ") + reason;
    if (errorCode == EBUSY)
        hint += QCoreApplication::translate("porthint", ". Ein anderes Programm hält die Schnittstelle (zynt-cli, "
                                                        "ein zweites Fenster, ein Terminalprogramm).");
    if (errorCode == EACCES || errorCode == EPERM) {
        const QString group = owningGroup(device);
        if (groupGivesSerialAccess(group)) {
            hint += QCoreApplication::translate("porthint", ". Abhilfe: Gruppe \"%1\" beitreten (sudo adduser $USER %1), "
                                                            "neu anmelden.")
                        .arg(group);
        }
    }
    return hint;
}

} // namespace porthint
