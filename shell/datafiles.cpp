// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString missingFileText(const QString &folder, const QString &name)
{
    const QString app = QCoreApplication::applicationDirPath();
    const QString shipped = shippedDirectory();
    const QString where = shipped.isEmpty()
        ? QCoreApplication::translate("datafiles", "%1 und keinem Ordner data oder share/zynt bei %2").arg(folder, app)
        : QCoreApplication::translate("datafiles", "%1 und %2").arg(folder, shipped);
    return QCoreApplication::translate("datafiles", "Mitgelieferte Datei %1 nicht gefunden (gesucht in %2). "
                                                    "Das Programm ist unvollständig installiert.")
        .arg(name, where);
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

QString prepareFolder(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString at;
    for (const QString &part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += QLatin1Char('/') + part;
        if (::mkdir(QFile::encodeName(at).constData(), 0777) != 0 && errno != EEXIST)
            return fileError(at, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!QFileInfo(absolute).isDir())
        return fileError(absolute, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    QByteArray probe = QFile::encodeName(absolute + QStringLiteral("/.zynt-probe-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return fileError(absolute, QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    ::unlink(probe.constData());
    return {};
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

namespace {

// Writes every byte or says why not: a short write is retried, an
// interrupted one too, and anything else (a full disk, a quota, a lost
// device) is the system's reason.
QString writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return qt_error_string(n < 0 ? errno : EIO);
        done += n;
    }
    return {};
}

// The mode a new file gets from the user's umask, as an ordinary open would give it.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

mode_t newFolderMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0777 & ~mask;
}

// Flushes a folder's entries: the rename is on the disk too.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString writeAside(const QString &path, const QByteArray &bytes, Placing placing)
{
    const QByteArray target = QFile::encodeName(path);
    // Renaming into place would replace a device or a FIFO by a file.
    struct stat info {};
    const bool exists = ::stat(target.constData(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return fileError(path, QStringLiteral("not a regular file"));
    if (exists && placing == Placing::Exclusive)
        return fileError(path, qt_error_string(EEXIST));
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    QByteArray aside = folder + "/." + QFile::encodeName(QFileInfo(path).fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(aside.data(), O_CLOEXEC);
    if (fd < 0)
        return fileError(path, qt_error_string(errno));
    // Each step is checked: a buffered write that fails only at its flush
    // or its sync must not be taken for a saved file.
    QString reason = writeAll(fd, bytes);
    if (reason.isEmpty() && ::fchmod(fd, exists ? (info.st_mode & 07777) : newFileMode()) != 0)
        reason = qt_error_string(errno);
    if (reason.isEmpty() && ::fsync(fd) != 0)
        reason = qt_error_string(errno);
    if (::close(fd) != 0 && reason.isEmpty())
        reason = qt_error_string(errno);
    if (reason.isEmpty()) {
        if (placing == Placing::Exclusive) {
            // A hard link fails where the name is taken: two writers never
            // both believe they made the file.
            if (::link(aside.constData(), target.constData()) != 0)
                reason = qt_error_string(errno);
        } else if (::rename(aside.constData(), target.constData()) != 0) {
            reason = qt_error_string(errno);
        }
    }
    if (!reason.isEmpty() || placing == Placing::Exclusive)
        ::unlink(aside.constData());
    if (!reason.isEmpty())
        return fileError(path, reason);
    syncFolder(folder);
    return {};
}

QString saveFile(const QString &path, const QByteArray &bytes)
{
    return writeAside(path, bytes, Placing::Replace);
}

QString saveFolder(const QString &path, const QList<NamedFile> &files)
{
    const QFileInfo target(path);
    const QString parent = target.absolutePath();
    if (!QDir().mkpath(parent))
        return fileError(parent, QStringLiteral("the folder cannot be made"));
    QByteArray aside = QFile::encodeName(parent + QStringLiteral("/.") + target.fileName()) + ".XXXXXX";
    if (!::mkdtemp(aside.data()))
        return fileError(path, qt_error_string(errno));
    const QString asidePath = QFile::decodeName(aside);
    const auto fail = [&asidePath](const QString &error) {
        QDir(asidePath).removeRecursively();
        return error;
    };
    for (const NamedFile &file : files) {
        const QString filePath = asidePath + QLatin1Char('/') + file.name;
        if (const QString error = saveFile(filePath, file.bytes); !error.isEmpty())
            return fail(fileError(path + QLatin1Char('/') + file.name, error.section(QLatin1Char('\n'), 1)));
        // What the disk gives back is what was meant, or nothing is put in place.
        const ReadResult back = readFile(filePath);
        if (!back.error.isEmpty() || back.bytes != file.bytes)
            return fail(fileError(path + QLatin1Char('/') + file.name,
                                  back.error.isEmpty() ? QStringLiteral("what was read back differs from what was written")
                                                       : back.error.section(QLatin1Char('\n'), 1)));
    }
    syncFolder(aside);
    ::chmod(aside.constData(), newFolderMode());
    const QByteArray final = QFile::encodeName(target.absoluteFilePath());
    struct stat info {};
    if (::lstat(final.constData(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            return fail(fileError(path, QStringLiteral("not a folder")));
        // The old folder and the new one change places at once; the old one,
        // now under the hidden name, goes.
        if (::renameat2(AT_FDCWD, aside.constData(), AT_FDCWD, final.constData(), RENAME_EXCHANGE) != 0) {
            // A file system without the exchange: the old folder steps aside first.
            QByteArray old = QFile::encodeName(parent + QStringLiteral("/.") + target.fileName()) + ".old.XXXXXX";
            if (!::mkdtemp(old.data()))
                return fail(fileError(path, qt_error_string(errno)));
            ::rmdir(old.constData());
            if (::rename(final.constData(), old.constData()) != 0)
                return fail(fileError(path, qt_error_string(errno)));
            if (::rename(aside.constData(), final.constData()) != 0) {
                const QString error = fileError(path, qt_error_string(errno));
                ::rename(old.constData(), final.constData());
                return fail(error);
            }
            QDir(QFile::decodeName(old)).removeRecursively();
        } else {
            QDir(asidePath).removeRecursively();
        }
    } else if (::rename(aside.constData(), final.constData()) != 0) {
        return fail(fileError(path, qt_error_string(errno)));
    }
    syncFolder(QFile::encodeName(parent));
    return {};
}

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString backupFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zynt/backups");
}

QString backupStem(const QDateTime &time, const QByteArray &address)
{
    return time.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-address") + QString::fromLatin1(address);
}

QString backupStem(const QDateTime &time, const QString &port, const QByteArray &address)
{
    QString label = QFileInfo(port).fileName();
    for (QChar &c : label) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return time.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') + label + QStringLiteral("-address")
         + QString::fromLatin1(address);
}

QByteArray sumFileText(const QByteArray &bytes)
{
    return "SHA256=" + sha256(bytes).toLatin1() + "\r\nSize=" + QByteArray::number(bytes.size()) + "\r\n";
}

QString checkAgainstSumFile(const QString &path, const QByteArray &bytes)
{
    const QString side = path + QStringLiteral(".sha256");
    if (!QFileInfo::exists(side))
        return {};
    const ReadResult read = readFile(side);
    if (!read.error.isEmpty())
        return read.error;
    if (read.bytes != sumFileText(bytes))
        return fileError(path, QStringLiteral("its size or SHA-256 is not the one %1 holds (the file was changed or "
                                              "damaged)")
                                   .arg(QFileInfo(side).fileName()));
    // A backup ends with its last line's end; one without was cut short.
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
        return fileError(path, QStringLiteral("its last line ends without its line end (the file was cut)"));
    return {};
}

QString saveBackupFile(const QString &stem, const QString &suffix, const QByteArray &bytes, QString *path)
{
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? stem + suffix : stem + QStringLiteral("-%1").arg(n) + suffix;
        if (QFileInfo::exists(name))
            continue;
        const QString error = writeAside(name, bytes, Placing::Exclusive);
        if (!error.isEmpty()) {
            if (QFileInfo::exists(name))
                continue; // another writer took it a moment ago
            return error;
        }
        // What is on the disk is what was meant, or it is no backup.
        const ReadResult back = readFile(name);
        if (!back.error.isEmpty() || back.bytes != bytes) {
            QFile::remove(name);
            return back.error.isEmpty()
                       ? fileError(name, QStringLiteral("what was read back differs from what was written"))
                       : back.error;
        }
        if (const QString sums = saveFile(name + QStringLiteral(".sha256"), sumFileText(bytes)); !sums.isEmpty()) {
            QFile::remove(name);
            return sums;
        }
        if (path)
            *path = name;
        return {};
    }
    return fileError(stem + suffix, QStringLiteral("no free name for the backup"));
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
