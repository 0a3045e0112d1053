// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the windows the tests drive, saved under build/tests for a
// person to look at.
#pragma once

#include <QDir>
#include <QPixmap>
#include <QWidget>

inline QString pictureFolder()
{
    const QString folder = qEnvironmentVariable("ZYNT_BINARY_DIR", QDir::currentPath()) + QStringLiteral("/tests");
    QDir().mkpath(folder);
    return folder;
}

// Renders the widget as it stands and saves it; false when it could not be saved.
inline bool savePicture(QWidget *widget, const char *name)
{
    const QPixmap picture = widget->grab();
    return !picture.isNull() && picture.save(pictureFolder() + QLatin1Char('/') + QLatin1String(name));
}
