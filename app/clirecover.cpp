// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's way back from a write that was cut.
#include "app/clicommands.h"

#include "app/clisteps.h"

#include "link/answerrules.h"
#include "link/journal.h"
#include "link/searchplan.h"
#include "parameters/compare.h"
#include "parameters/descriptions.h"
#include "parameters/designations.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

namespace cli::commands {

using namespace steps;

namespace {

// ---- recover ----------------------------------------------------------------------

// What the drive holds after a cut write was resolved, in words.
QString holdsText(const DriveCore::CutWrite &cut, const QByteArrayList &holds)
{
    if (cut.reason == DriveCore::CutReason::Recorded && cut.record.kind == journal::Kind::Parameters) {
        QStringList values;
        for (const QByteArray &value : holds)
            values << fromCp1252(value);
        return values.join(QStringLiteral(", "));
    }
    std::optional<QByteArrayList> backup;
    if (const std::optional<QByteArray> bytes = journal::readBackup(cut.record))
        backup = listedLines(program::parseProgramFile(*bytes));
    if (holds.isEmpty())
        return QStringLiteral("no program");
    if (backup && holds == *backup)
        return QStringLiteral("the backed-up program (%1 lines)").arg(holds.size());
    if (!cut.record.written.isEmpty() && holds == sentLines(program::linesOf(cut.record.written)))
        return QStringLiteral("the new program (%1 lines)").arg(holds.size());
    return QStringLiteral("a program of %1 lines that is neither the backed-up one nor the new one").arg(holds.size());
}

// Whether the drive now holds what the backup held (the program, or the
// values of exactly the parameters the write changed).
bool holdsBackup(const DriveCore::CutWrite &cut, const QByteArrayList &holds)
{
    const std::optional<QByteArray> bytes = journal::readBackup(cut.record);
    if (!bytes)
        return false;
    if (cut.record.kind == journal::Kind::Parameters) {
        const QList<QByteArray> wanted = params::restoreAssignments(*bytes, journal::changedNames(cut.record));
        if (wanted.size() != holds.size())
            return false;
        for (qsizetype i = 0; i < wanted.size(); ++i) {
            const QByteArray &a = wanted[i], &b = holds[i];
            if (a.left(a.indexOf('=')) != b.left(b.indexOf('='))
                || !params::sameValue(a.mid(a.indexOf('=') + 1), b.mid(b.indexOf('=') + 1)))
                return false;
        }
        return true;
    }
    return holds == listedLines(program::parseProgramFile(*bytes));
}

} // namespace

int recover(Session &s)
{
    const Target t = target(s.options);
    if (!s.openLine(t.port, t.baud)) {
        s.say(QStringLiteral("cannot open %1").arg(s.lastError));
        return kNoDrive;
    }
    // The records of this line's device; with several, the address decides.
    const QString device = s.core.journalDevice();
    QList<journal::Record> records;
    for (const journal::Record &record : journal::all()) {
        if (record.device == device
            && (s.options.addresses.isEmpty() || s.options.addresses.contains(record.address.toInt())))
            records << record;
    }
    if (records.size() > 1) {
        QStringList addresses;
        for (const journal::Record &record : records)
            addresses << QString::fromLatin1(record.address);
        s.say(QStringLiteral("%1: cut writes wait for addresses %2; choose one with --address")
                  .arg(t.port, addresses.join(QStringLiteral(", "))));
        return kUsage;
    }
    Target one = t;
    const int address = records.isEmpty() ? t.addresses.first() : records.first().address.toInt();
    one.addresses = {address};
    if (const int status = connectTo(s, one, address, nullptr); status != kDone)
        return status;
    if (!s.core.PendingCut) {
        s.say(QStringLiteral("%1 address %2: no cut write is recorded and the drive is not in program entry: "
                             "nothing to recover").arg(t.port).arg(address));
        return kDone;
    }
    const DriveCore::CutWrite cut = *s.core.PendingCut;
    s.note(QStringLiteral("%1 address %2: %3").arg(t.port).arg(address).arg(describeCut(cut)));
    const bool keep = s.options.keep;
    if (!keep && !cut.backupHolds) {
        s.say(cut.record.backup.isEmpty()
                  ? QStringLiteral("no backup is recorded for it: nothing was written; with --keep the drive keeps "
                                   "what it holds")
                  : QStringLiteral("the backup %1 is missing or does not match its size and SHA-256: nothing was "
                                   "written; with --keep the drive keeps what it holds").arg(cut.record.backup));
        return cut.record.backup.isEmpty() ? kCutWrite : kFileError;
    }
    bool readBack = false;
    const Outcome outcome =
        s.resolveCut(keep ? DriveCore::CutChoice::Keep : DriveCore::CutChoice::RestoreBackup, &readBack);
    if (outcome != Outcome::Ok)
        return failed(s, outcome, keep ? QStringLiteral("ending the entry") : QStringLiteral("writing the backup back"));
    Report report(s);
    const QString holds = holdsText(cut, s.holds);
    report.add(QStringLiteral("address %1 now holds %2").arg(address).arg(holds),
               {{"address", json(address)}, {"holds", json(holds)}});
    if (keep)
        return kDone;
    return holdsBackup(cut, s.holds) ? kDone : kDiffers;
}

} // namespace cli::commands
