#include "parameters/compare.h"

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

QList<Difference> differences(const GridCells &drive, int driveRows, const QList<GridRow> &file)
{
    const int lastRow = std::min(driveRows, int(drive.size()) - 1);
    QList<Difference> found;
    for (const GridRow &row : file) {
        if (!mayWrite(row[ColDesignation], row[ColValue]))
            continue;
        QByteArray wanted = row[ColDesignation].trimmed();
        Parameter_wert_check(wanted);
        QByteArray driveValue;
        for (int r = 1; r <= lastRow; ++r) {
            QByteArray d = drive[size_t(r)][ColDesignation].trimmed();
            Parameter_wert_check(d);
            if (d == wanted) {
                driveValue = drive[size_t(r)][ColValue];
                break;
            }
        }
        if (!sameValue(driveValue, row[ColValue]))
            found.append({row[ColDesignation], plainValue(driveValue), plainValue(row[ColValue])});
    }
    return found;
}

} // namespace params
