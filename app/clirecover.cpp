// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's way back from a write that was cut: the cut write in
// words, its resolution on the line, and the recover command.
#include "app/clirecover.h"

#include "app/clicommands.h"
#include "app/cliprogram.h"
#include "parameters/compare.h"
#include "program/programfile.h"
#include "program/programtransfer.h"
#include "shell/cp1252.h"

namespace cli {

Outcome Session::resolveCut(DriveCore::CutChoice choice, bool *readBack)
{
    refusals.clear();
    refusedCommands.clear();
    holds.clear();
    bool resolved = false, known = false;
    const QMetaObject::Connection heard = connect(
        &core, &DriveCore::cutWriteResolved, this, [&](bool read, const QByteArrayList &lines) {
            resolved = true;
            known = read;
            holds = lines;
        });
    Outcome outcome = Outcome::Failed;
    if (core.resolveCutWrite(choice)) {
        // The connection the cut write held back follows its resolution.
        outcome = waitUntil([&] { return resolved && !core.Queue.head() && !core.PendingCut; });
    } else {
        lastError = m_coreError.isEmpty() ? QStringLiteral("the cut write cannot be resolved now") : m_coreError;
        m_coreError.clear();
    }
    disconnect(heard);
    if (readBack)
        *readBack = known;
    if (outcome == Outcome::Ok && !known) {
        lastError = QStringLiteral("what the drive holds could not be read back");
        outcome = Outcome::TimedOut;
    }
    return outcome;
}

namespace steps {

QString describeRecord(const journal::Record &record)
{
    const QString time = record.time.isValid() ? record.time.toString(Qt::ISODate) : QStringLiteral("time unknown");
    QString text;
    if (record.kind == journal::Kind::Parameters) {
        QStringList taken;
        for (int i = 0; i < record.acknowledged && i < record.written.size(); ++i)
            taken << fromCp1252(record.written[i]);
        text = QStringLiteral("the parameter write to address %1 was cut after %2 of %3 assignments (%4)")
                   .arg(QString::fromLatin1(record.address))
                   .arg(record.acknowledged)
                   .arg(record.total)
                   .arg(time);
        if (!taken.isEmpty())
            text += QStringLiteral("; the drive acknowledged %1").arg(taken.join(QStringLiteral(", ")));
        if (!record.backup.isEmpty())
            text += QStringLiteral("; the values before it are in %1").arg(record.backup);
        return text;
    }
    text = QStringLiteral("the program write to address %1 was cut at line %2 of %3 (%4): the drive acknowledged %5 "
                          "lines and holds a partial program")
               .arg(QString::fromLatin1(record.address))
               .arg(std::min(record.acknowledged + 1, std::max(record.total, 1)))
               .arg(record.total)
               .arg(time)
               .arg(record.acknowledged);
    if (!record.backup.isEmpty())
        text += QStringLiteral("; its program before the write is in %1").arg(record.backup);
    return text;
}

QString describeCut(const DriveCore::CutWrite &cut)
{
    QString text = cut.reason == DriveCore::CutReason::InEntry
                       ? QStringLiteral("address %1 is in program entry and no write to it is recorded: what it "
                                        "received becomes its program when the entry ends")
                             .arg(QString::fromLatin1(cut.record.address))
                       : describeRecord(cut.record);
    if (cut.inEntry && cut.reason != DriveCore::CutReason::InEntry)
        text += QStringLiteral("; the drive is still in program entry");
    if (!cut.record.backup.isEmpty() && !cut.backupHolds)
        text += QStringLiteral("; the backup is missing or does not match its size and SHA-256");
    return text;
}

QString recoverLine(Session &s)
{
    const QByteArray address = s.core.PendingCut ? s.core.PendingCut->record.address
                             : s.core.Journal     ? s.core.Journal->address
                                                  : s.core.DriveAddress;
    return recoverCommand(s.port(), s.baud(), address);
}

} // namespace steps

namespace commands {

using namespace steps;

namespace {

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

} // namespace commands

} // namespace cli
