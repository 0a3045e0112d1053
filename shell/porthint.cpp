// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/porthint.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>

namespace porthint {

QString owningGroup(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const group *owner = ::getgrgid(info.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
}

QString text(const QString &portName, const QString &device, int errorCode, const QString &reason)
{
    const QString where = device.isEmpty() ? portName : portName + QStringLiteral(" (") + device + QLatin1Char(')');
    QString hint = where + QStringLiteral(": ") + reason;
    if (errorCode == EACCES || errorCode == EPERM) {
        const QString group = owningGroup(device);
        if (!group.isEmpty()) {
            hint += QCoreApplication::translate("porthint", ". Abhilfe: Gruppe \"%1\" beitreten (sudo adduser $USER %1), "
                                                            "neu anmelden.")
                        .arg(group);
        }
    }
    return hint;
}

} // namespace porthint
