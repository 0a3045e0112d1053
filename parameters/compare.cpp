// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/compare.h"

#include "parameters/parameterfile.h"

#include "parameters/designations.h"
#include "parameters/writeback.h"

#include <cmath>
#include <optional>

namespace params {

namespace {

// The drive's own state: reading it back never equals what was written.
const char *const kDriveState[] = {"P51", "P336", "P11", "P12", "P134", "P1300", "P1046"};

// The number a value begins with: optional "-", digits, optional "." and
// digits; nothing when it does not begin with one.
std::optional<double> leadingNumber(const QByteArray &text)
{
    qsizetype end = 0;
    if (end < text.size() && text[end] == '-')
        ++end;
    const qsizetype digitsFrom = end;
    while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.'))
        ++end;
    if (end == digitsFrom)
        return std::nullopt;
    bool ok = false;
    const double value = text.left(end).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

QByteArray plainValue(const QByteArray &value)
{
    return value.trimmed();
}

bool mayWrite(const QByteArray &designation, const QByteArray &value)
{
    QByteArray d = designation.trimmed();
    if (d.contains("ADC"))
        return false;
    Parameter_wert_check(d);
    const QByteArray v = plainValue(value);
    if (skippedOnWriteBack(d, v))
        return false;
    for (const char *state : kDriveState) {
        if (d == state)
            return false;
    }
    return true;
}

bool sameValue(const QByteArray &a, const QByteArray &b)
{
    const QByteArray x = a.trimmed(), y = b.trimmed();
    const std::optional<double> nx = leadingNumber(x), ny = leadingNumber(y);
    if (nx && ny)
        return *nx == *ny;
    return x == y;
}

namespace {

QByteArray plainDesignation(const QByteArray &designation)
{
    QByteArray d = designation.trimmed();
    Parameter_wert_check(d);
    return d;
}

// The drive's value of a parameter (by its plain designation); nothing when
// its list lacks it.
std::optional<QByteArray> driveValueOf(const GridCells &drive, int driveRows, const QByteArray &plain)
{
    const int lastRow = std::min(driveRows, int(drive.size()) - 1);
    for (int r = 1; r <= lastRow; ++r) {
        if (plainDesignation(drive[size_t(r)][ColDesignation]) == plain)
            return drive[size_t(r)][ColValue];
    }
    return std::nullopt;
}

} // namespace

QList<Difference> differences(const GridCells &drive, int driveRows, const QList<GridRow> &file)
{
    QList<Difference> found;
    for (const GridRow &row : file) {
        if (!mayWrite(row[ColDesignation], row[ColValue]))
            continue;
        const QByteArray driveValue =
            driveValueOf(drive, driveRows, plainDesignation(row[ColDesignation])).value_or(QByteArray());
        if (!sameValue(driveValue, row[ColValue]))
            found.append({row[ColDesignation], plainValue(driveValue), plainValue(row[ColValue])});
    }
    return found;
}

QList<CompareRow> compareRows(const QList<GridRow> &file, const GridCells &drive, int driveRows)
{
    QList<CompareRow> rows;
    for (qsizetype i = 0; i < file.size(); ++i) {
        const GridRow &row = file[i];
        if (row[ColDesignation].trimmed().isEmpty())
            continue;
        CompareRow c;
        c.gridRow = int(i + 1);
        c.designation = row[ColDesignation];
        c.description = row[ColDescription];
        const QByteArray plain = plainDesignation(row[ColDesignation]);
        c.driveValue = plainValue(driveValueOf(drive, driveRows, plain).value_or(QByteArray()));
        c.fileValue = plainValue(row[ColValue]);
        c.writable = mayWrite(row[ColDesignation], row[ColValue]);
        c.differs = !sameValue(c.driveValue, c.fileValue);
        // As the write-back sends it: the value cell as it stands.
        c.assignment = plain + '=' + row[ColValue];
        rows.append(c);
    }
    return rows;
}

QList<Difference> verify(const QList<QByteArray> &sent, const GridCells &drive, int driveRows)
{
    QList<Difference> found;
    for (const QByteArray &assignment : sent) {
        const qsizetype equals = assignment.indexOf('=');
        const QByteArray plain = plainDesignation(assignment.left(equals));
        const QByteArray value = assignment.mid(equals + 1);
        const QByteArray driveValue = plainValue(driveValueOf(drive, driveRows, plain).value_or(QByteArray()));
        if (!sameValue(driveValue, value))
            found.append({plain, driveValue, plainValue(value)});
    }
    return found;
}

QByteArray valueOf(const GridCells &drive, int driveRows, const QByteArray &name)
{
    return plainValue(driveValueOf(drive, driveRows, plainDesignation(name)).value_or(QByteArray()));
}

QList<QByteArray> restoreAssignments(const QByteArray &backup, const QList<QByteArray> &names)
{
    const std::optional<LoadedParameterFile> file = parseParameterFile(backup);
    if (!file)
        return {};
    GridCells rows {};
    const int count = std::min(int(file->rows.size()), int(rows.size()) - 1);
    for (int r = 0; r < count; ++r)
        rows[size_t(r + 1)] = file->rows[r];
    QList<QByteArray> assignments;
    for (const QByteArray &name : names) {
        const std::optional<QByteArray> value = driveValueOf(rows, count, plainDesignation(name));
        if (!value)
            return {}; // a backup without one of them cannot undo the write
        assignments << plainDesignation(name) + '=' + plainValue(*value);
    }
    return assignments;
}

} // namespace params
