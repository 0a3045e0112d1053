// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace datafiles {

QString shippedDirectory()
{
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {app + QStringLiteral("/data"), app + QStringLiteral("/../data"),
                                     app + QStringLiteral("/../share/zynt")}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return {};
}

QString locate(const QString &folder, const QString &name)
{
    const QString own = QDir(folder).filePath(name);
    if (QFileInfo(own).isFile())
        return own;
    const QString shipped = shippedDirectory();
    if (!shipped.isEmpty() && QFileInfo(QDir(shipped).filePath(name)).isFile())
        return QDir(shipped).filePath(name);
    return {};
}

ReadResult readFile(QIODevice &device)
{
    // In pieces, so that what came before a read error is kept.
    ReadResult result;
    char piece[16384];
    for (;;) {
        const qint64 n = device.read(piece, sizeof piece);
        if (n < 0) {
            result.error = device.errorString();
            break;
        }
        if (n == 0)
            break;
        result.bytes.append(piece, qsizetype(n));
    }
    return result;
}

ReadResult readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QByteArray(), fileError(path, file.errorString())};
    ReadResult result = readFile(static_cast<QIODevice &>(file));
    if (!result.error.isEmpty())
        result.error = fileError(path, result.error);
    return result;
}

QString fileError(const QString &path, const QString &reason)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + QStringLiteral(":\n") + reason;
}

ReadResult readUserFile(const QString &path, qint64 maxBytes, int maxLineLength)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {QByteArray(), fileError(path, QString::fromLocal8Bit(std::strerror(errno)))};
    // A FIFO would wait for ever, a device would never end.
    if (!S_ISREG(info.st_mode))
        return {QByteArray(), fileError(path, QStringLiteral("not a regular file"))};
    if (info.st_size > maxBytes)
        return {QByteArray(), fileError(path, QStringLiteral("%1 bytes, more than any such file holds (%2 at most)")
                                                  .arg(qint64(info.st_size))
                                                  .arg(maxBytes))};
    ReadResult read = readFile(path);
    if (!read.error.isEmpty())
        return read;
    qsizetype start = 0;
    int line = 1;
    const QByteArray &bytes = read.bytes;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        if (i - start > maxLineLength)
            return {QByteArray(), fileError(path, QStringLiteral("line %1 is %2 characters long, more than a line "
                                                                 "holds (%3 at most)")
                                                      .arg(line)
                                                      .arg(i - start)
                                                      .arg(maxLineLength))};
        if (i < bytes.size() && bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
        ++line;
    }
    return read;
}

QString saveFile(const QString &path, const QByteArray &bytes)
{
    // Renaming into place would replace a device or a FIFO by a file.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return fileError(path, QStringLiteral("not a regular file"));
    QSaveFile file(path);
    errno = 0;
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    // Where Qt knows no reason the system's is named.
    QString reason = file.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        reason = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("the file could not be written");
    return fileError(path, reason);
}

QString backupFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zynt/backups");
}

QString backupStem(const QDateTime &time, const QByteArray &address)
{
    return time.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-address") + QString::fromLatin1(address);
}

QString uniqueBackupStem(const QString &folder, const QDateTime &time, const QByteArray &address)
{
    const QString first = QDir(folder).filePath(backupStem(time, address));
    QString stem = first;
    for (int n = 2; QFileInfo::exists(stem + QStringLiteral(".par")) || QFileInfo::exists(stem + QStringLiteral(".prg"));
         ++n)
        stem = first + QStringLiteral("-%1").arg(n);
    return stem;
}

} // namespace datafiles
