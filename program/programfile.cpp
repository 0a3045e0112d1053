// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/programfile.h"

namespace program {

QByteArray formatProgramFile(const ProgramLines &lines)
{
    QByteArray bytes;
    for (int row = 1; row <= kRows; ++row) {
        if (!lines[row].isEmpty())
            bytes += lines[row] + "\r\n";
    }
    return bytes;
}

ProgramLines parseProgramFile(const QByteArray &bytes)
{
    ProgramLines lines;
    qsizetype start = 0;
    for (int row = 1; row <= kRows && start < bytes.size(); ++row) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines[row] = bytes.mid(start, end - start);
        // "\r\n" is one line end; "\n\r" are two.
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

QString fileNameCaption(const QString &fileName)
{
    if (fileName.size() <= kCaptionNameLength)
        return fileName;
    return QStringLiteral("\\...") + fileName.right(kCaptionNameLength);
}

} // namespace program
