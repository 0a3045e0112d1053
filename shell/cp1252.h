// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252, the code page of the drive's texts, of every file the program
// reads and writes, and of what goes over the line.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

QString fromCp1252(const QByteArray &bytes);
// Characters outside the code page become "?".
QByteArray toCp1252(const QString &text);
// The code page's byte for one character; nothing where it has none.
std::optional<char> cp1252Byte(QChar ch);
