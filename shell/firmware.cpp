// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/firmware.h"

namespace firmware {

std::optional<Version> readVersion(const QByteArray &buffer)
{
    const qsizetype echoEnd = buffer.indexOf('\r');
    if (echoEnd < 0)
        return std::nullopt;
    const QByteArray rest = buffer.mid(echoEnd + 1);
    if (!rest.contains('\r') || !rest.contains('0') || rest.size() <= 14)
        return std::nullopt;
    const qsizetype at = rest.indexOf("Version");
    if (at < 0)
        return std::nullopt;
    QByteArray text = rest.mid(at, 15);
    const qsizetype cr = text.indexOf('\r');
    if (cr < 0)
        return std::nullopt;
    text.remove(cr, 1);

    // Characters 11-12, 9-10 and 13-14 (counted from 1), in that order.
    const QByteArray digits = text.mid(10, 2) + text.mid(8, 2) + text.mid(12, 2);
    Version version {text, 0};
    if (!digits.startsWith('9')) {
        bool ok = false;
        const int number = digits.toInt(&ok, 10);
        version.number = ok ? number : 0;
    }
    return version;
}

bool answerComplete(const QByteArray &buffer)
{
    const qsizetype echoEnd = buffer.indexOf('\r');
    if (echoEnd < 0)
        return false;
    const qsizetype lineEnd = buffer.indexOf('\r', echoEnd + 1);
    return lineEnd >= 0 && (buffer.indexOf("ok\r", echoEnd + 1) >= 0 || buffer.indexOf('\r', lineEnd + 1) >= 0);
}

} // namespace firmware
