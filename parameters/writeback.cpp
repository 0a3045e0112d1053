// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/writeback.h"

#include "parameters/designations.h"

namespace params {

namespace {

// Designations never written: the status rows, read-only values and the
// hidden parameters.
const char *const kNotWritten[] = {"P0",  "Z",     "P2",    "P11", "P12", "P1031", "WR",
                                   "WA",  "P1043", "P1119", "P1120", "WP", "P1004"};

// Values that are states the drive reports, not settings.
const char *const kStatusValues[] = {"POS0", "ON", "OFF"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool skippedOnWriteBack(const QByteArray &plainDesignation, const QByteArray &value)
{
    const QByteArray &d = plainDesignation;
    if (d.isEmpty() || value.isEmpty() || d.contains('O'))
        return true;
    for (const char *designation : kNotWritten) {
        if (d == designation)
            return true;
    }
    // The type "ZYNT 06 / ZYNT 12" is left as the drive has it.
    if (d.contains("P1034") && value == "6")
        return true;
    for (const char *status : kStatusValues) {
        if (value.contains(status))
            return true;
    }
    return false;
}

QList<QByteArray> writeBackAssignments(const GridCells &cells, int ParameterRowCount)
{
    QList<QByteArray> assignments;
    const int lastRow = int(cells.size()) - 1;
    for (int r = 1; r <= lastRow; ++r) {
        QByteArray d = cells[size_t(r)][ColDesignation];
        Parameter_wert_check(d);
        const QByteArray &v = cells[size_t(r)][ColValue];
        if (!skippedOnWriteBack(d, v))
            assignments << d + '=' + v;
        if (r == ParameterRowCount || r == lastRow || cells[size_t(r + 1)][ColDescription].isEmpty())
            break;
    }
    return assignments;
}

std::optional<FailedAssignment> failedAssignment(const QByteArray &command)
{
    QByteArray text = command;
    while (text.endsWith('\r') || text.endsWith('\n'))
        text.chop(1);
    // "#", the address (digits or "*"), then the assignment.
    if (text.startsWith('#')) {
        qsizetype start = 1;
        if (start < text.size() && text[start] == '*') {
            ++start;
        } else {
            while (start < text.size() && isDigit(text[start]))
                ++start;
        }
        text.remove(0, start);
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 2 || (text[0] != 'P' && text[0] != 'p'))
        return std::nullopt;
    const QByteArray parameter = text.left(equals);
    bool ok = false;
    const int number = parameter.mid(1).toInt(&ok, 10);
    if (!ok || !isDigit(parameter[1]))
        return std::nullopt;
    return FailedAssignment {parameter, number, text.mid(equals + 1)};
}

} // namespace params
