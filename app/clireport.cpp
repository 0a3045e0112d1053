// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli report: the commissioning report of a backup's drive folders,
// made offline from the folders alone. A folder that fails its check is
// named and left out, and the exit status says so.
#include "app/clicommands.h"
#include "app/report.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFileInfo>

namespace cli::commands {

namespace {

// Reads a backup's drive folders and says on standard error what is wrong
// with any; false when the folder holds none or cannot be read.
bool readFolders(Session &s, const QString &dir, QList<report::DriveFolder> &drives)
{
    if (!QFileInfo(dir).isDir()) {
        s.say(datafiles::fileError(dir, QStringLiteral("not a folder")));
        return false;
    }
    drives = report::readBackup(dir);
    if (drives.isEmpty()) {
        s.say(QStringLiteral("%1: no drive folder (one with a drive.ini) in it").arg(dir));
        return false;
    }
    for (const report::DriveFolder &drive : drives) {
        const QString path = QDir(dir).filePath(drive.name);
        if (drive.check == report::Check::Failed) {
            for (const QString &fault : drive.faults)
                s.say(QStringLiteral("%1: %2").arg(path, fault));
            s.say(QStringLiteral("%1: the backup does not match its drive.ini: it is listed as failed and left out")
                      .arg(path));
        } else if (drive.check == report::Check::Unchecked) {
            s.say(QStringLiteral("%1: made before backups kept their sizes and SHA-256: shown as unchecked").arg(path));
        }
    }
    return true;
}

} // namespace

int report(Session &s)
{
    const QString dir = s.options.arguments.value(0);
    report::Request request;
    if (!readFolders(s, dir, request.drives))
        return kFileError;
    int status = report::anyFailed(request.drives) ? kFileError : kDone;
    if (!s.options.against.isEmpty()) {
        QList<report::DriveFolder> before;
        if (!readFolders(s, s.options.against, before))
            return kFileError;
        if (report::anyFailed(before))
            status = kFileError;
        request.against = before;
    }
    request.title = !s.options.title.isEmpty() ? s.options.title : QDir(QFileInfo(dir).absoluteFilePath()).dirName();
    request.by = !s.options.by.isEmpty() ? s.options.by : report::loginName();
    request.made = QDateTime::currentDateTime();
    const QByteArray html = report::html(request).toUtf8();
    if (s.options.output.isEmpty()) {
        s.print(QString::fromUtf8(html));
        return s.interrupted() ? kFileError : status;
    }
    // Written aside and renamed: a failure never leaves half a report.
    if (const QString error = datafiles::writeAside(s.options.output, html, datafiles::Placing::Replace);
        !error.isEmpty()) {
        s.say(error);
        return kFileError;
    }
    s.note(QStringLiteral("the report was saved to %1").arg(s.options.output));
    return status;
}

} // namespace cli::commands
