// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/compare.h"

#include "parameters/parameterfile.h"

#include "parameters/designations.h"
#include "parameters/writeback.h"

#include <QCoreApplication>

#include <cmath>
#include <optional>

namespace params {

namespace {

// The machine's live state and identity, by plain designation.
struct LiveEntry {
    const char *plain;
    Live live;
};
const LiveEntry kLive[] = {
    {"P51", Live::State},    {"P336", Live::State},   {"P11", Live::State},    {"P12", Live::State},
    {"P134", Live::State},   {"P1300", Live::State},  {"P1046", Live::State},  {"P1101", Live::Flag},
    {"P1102", Live::Flag},   {"P1103", Live::Flag},   {"P1034", Live::DriveType},
};

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

Live liveState(const QByteArray &designation)
{
    const QByteArray d = designation.trimmed();
    if (d.isEmpty() || d.contains("ADC"))
        return d.isEmpty() ? Live::None : Live::State;
    // The outputs, as the drive lists them ("O1") and as the grid shows
    // them ("P1201 (O1)"): the number rules would keep only some of them.
    const qsizetype open = d.indexOf('(');
    const QByteArray shortName = open >= 0 ? d.mid(open + 1).chopped(d.endsWith(')') ? 1 : 0).trimmed() : d;
    for (const QByteArray &name : {d, shortName}) {
        bool digits = name.size() > 1;
        for (qsizetype i = 1; i < name.size(); ++i)
            digits = digits && name[i] >= '0' && name[i] <= '9';
        if (digits && name.startsWith('O'))
            return Live::Output;
    }
    QByteArray plain = d;
    Parameter_wert_check(plain);
    const int number = plain.startsWith('P') ? plain.mid(1).toInt() : 0;
    if (number >= 1201 && number <= 1216)
        return Live::Output;
    for (const LiveEntry &entry : kLive) {
        if (plain == entry.plain)
            return entry.live;
    }
    return Live::None;
}

QString liveReason(Live live)
{
    switch (live) {
    case Live::None: return {};
    case Live::State: return QCoreApplication::translate("compare", "Zustand der ZYNT");
    case Live::Output: return QCoreApplication::translate("compare", "Ausgang der Maschine");
    case Live::Flag: return QCoreApplication::translate("compare", "Merker der Maschine");
    case Live::DriveType:
        return QCoreApplication::translate("compare", "Antriebstyp: nur auf ausdrücklichen Wunsch");
    }
    return {};
}

bool mayWrite(const QByteArray &designation, const QByteArray &value)
{
    if (liveState(designation) != Live::None)
        return false;
    QByteArray d = designation.trimmed();
    Parameter_wert_check(d);
    return !skippedOnWriteBack(d, plainValue(value));
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
std::optional<QByteArray> driveCellOf(const GridCells &drive, int driveRows, const QByteArray &plain, int column)
{
    const int lastRow = std::min(driveRows, int(drive.size()) - 1);
    for (int r = 1; r <= lastRow; ++r) {
        if (plainDesignation(drive[size_t(r)][ColDesignation]) == plain)
            return drive[size_t(r)][size_t(column)];
    }
    return std::nullopt;
}

std::optional<QByteArray> driveValueOf(const GridCells &drive, int driveRows, const QByteArray &plain)
{
    return driveCellOf(drive, driveRows, plain, ColValue);
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
        const QByteArray plain = plainDesignation(row[ColDesignation]);
        // The file keeps the description in the language it was saved in;
        // the drive's list has it in the interface's.
        c.description = driveCellOf(drive, driveRows, plain, ColDescription).value_or(row[ColDescription]);
        if (c.description.trimmed().isEmpty())
            c.description = row[ColDescription];
        c.driveValue = plainValue(driveValueOf(drive, driveRows, plain).value_or(QByteArray()));
        c.fileValue = plainValue(row[ColValue]);
        c.live = liveState(row[ColDesignation]);
        // The drive type may be ticked by hand; nothing else of the machine's state.
        c.writable = c.live == Live::DriveType ? !skippedOnWriteBack(plain, c.fileValue)
                                               : mayWrite(row[ColDesignation], row[ColValue]);
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

std::optional<QString> rowFault(const QByteArray &designation, const QByteArray &value, const GridCells &drive,
                                int driveRows)
{
    const QByteArray d = designation.trimmed();
    bool listed = false;
    const int lastRow = std::min(driveRows, int(drive.size()) - 1);
    // "P" and digits names the plain number of a listed row; anything else
    // must be a designation exactly as the drive listed it.
    bool plainForm = d.size() > 1 && d.startsWith('P');
    for (qsizetype i = 1; i < d.size(); ++i)
        plainForm = plainForm && d[i] >= '0' && d[i] <= '9';
    for (int r = 1; r <= lastRow && !listed; ++r) {
        const QByteArray &shown = drive[size_t(r)][ColDesignation];
        // "P47 (W)" is named as such, as "P47", or by its short name "W".
        const qsizetype open = shown.indexOf(" (");
        const QByteArray shortName = open > 0 && shown.endsWith(')') ? shown.mid(open + 2).chopped(1) : QByteArray();
        listed = !shown.isEmpty()
              && (shown == d || (plainForm && plainDesignation(shown) == d) || (!shortName.isEmpty() && shortName == d));
    }
    if (!listed)
        return QStringLiteral("%1: not a parameter the drive lists").arg(QString::fromLatin1(d.toPercentEncoding(" ()")));
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f || c == '#' || c == '=' || c == '?')
            return QStringLiteral("%1: its value holds a character no value has (byte %2)")
                .arg(QString::fromLatin1(d))
                .arg(u);
    }
    return std::nullopt;
}

FileValueFault fileValueFault(const QByteArray &designation, const QByteArray &value, const GridCells &drive,
                              int driveRows)
{
    if (liveState(designation) != Live::None)
        return FileValueFault::Live;
    if (!mayWrite(designation, value))
        return FileValueFault::NotWritten;
    // The designation alone first: an empty value holds no character.
    if (rowFault(designation, {}, drive, driveRows))
        return FileValueFault::NotListed;
    if (rowFault(designation, value, drive, driveRows))
        return FileValueFault::BadCharacter;
    return FileValueFault::None;
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
