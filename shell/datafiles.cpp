#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
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

} // namespace datafiles
