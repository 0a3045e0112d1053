#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace datafiles
