// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's journal of writes in progress, and the way back from a
// write that did not end: the record before the first line, its progress,
// the check after the write, what the next contact finds, and the user's
// choice carried out.
#include "link/drivecore.h"

#include "parameters/compare.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QFileInfo>
#include <QTimer>

using line::Activity;

namespace {

// The journal's progress is written at most this often during a write.
constexpr int kProgressMs = 250;

} // namespace

QString DriveCore::journalDevice() const
{
    return serialports::stableDeviceName(Serial1->DevicePath());
}

std::optional<journal::Record> DriveCore::recordOf(const QByteArray &address) const
{
    if (address.isEmpty())
        return std::nullopt;
    return journal::find(journalDevice(), address);
}

bool DriveCore::beginJournal(journal::Kind kind, const QList<QByteArray> &written, const QString &backup, bool replace)
{
    journal::Record record;
    record.device = journalDevice();
    record.address = DriveAddress;
    record.kind = kind;
    record.total = int(written.size());
    record.written = written;
    record.time = QDateTime::currentDateTime();
    record.time.setOffsetFromUtc(record.time.offsetFromUtc()); // written with its offset
    if (replace && Journal && !Journal->backup.isEmpty()) {
        // A write that mends a cut one keeps the first backup: it is what
        // the drive held before any of it.
        record.backup = Journal->backup;
        record.backupSize = Journal->backupSize;
        record.backupSha256 = Journal->backupSha256;
    } else if (!backup.isEmpty()) {
        const datafiles::ReadResult read = datafiles::readFile(backup);
        if (!read.error.isEmpty()) {
            emit errorMessage(toCp1252(read.error + tr("\n\nEs wurde nichts geschrieben.")));
            return false;
        }
        record.backup = QFileInfo(backup).absoluteFilePath();
        record.backupSize = read.bytes.size();
        record.backupSha256 = datafiles::sha256(read.bytes);
    }
    const QString error = replace ? journal::update(record) : journal::create(record);
    if (!error.isEmpty()) {
        const bool taken = !replace && journal::find(record.device, record.address).has_value();
        emit errorMessage(toCp1252(
            taken ? tr("Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: es wurde nichts "
                       "geschrieben.\n\n%2")
                        .arg(QString::fromLatin1(record.address), error)
                  : error + tr("\n\nDas Journal der Übertragung kann nicht geschrieben werden: es wurde nichts "
                               "geschrieben.")));
        return false;
    }
    Journal = record;
    m_journalDirty = false;
    return true;
}

void DriveCore::noteJournalProgress(int acknowledged)
{
    if (!Journal || Journal->acknowledged == acknowledged)
        return;
    Journal->acknowledged = acknowledged;
    m_journalDirty = true;
    if (!m_journalTimer->isActive())
        m_journalTimer->start(kProgressMs);
}

void DriveCore::flushJournal()
{
    m_journalTimer->stop();
    if (!Journal || !m_journalDirty)
        return;
    // A progress that cannot be written leaves the older one: the record
    // still stops a silent commit, it only counts fewer lines.
    if (journal::update(*Journal).isEmpty())
        m_journalDirty = false;
}

void DriveCore::endJournal()
{
    m_journalTimer->stop();
    m_journalDirty = false;
    if (!Journal)
        return;
    const QString error = journal::remove(Journal->device, Journal->address);
    Journal.reset();
    if (!error.isEmpty())
        emit errorMessage(toCp1252(error));
}

bool DriveCore::recordAssignments(const QList<QByteArray> &assignments, const QString &backup)
{
    return beginJournal(journal::Kind::Parameters, assignments, backup, false);
}

void DriveCore::assignmentsAnswered(int count)
{
    noteJournalProgress(count);
    flushJournal();
}

void DriveCore::assignmentsDone()
{
    endJournal();
}

bool DriveCore::holdForCut(const QByteArray &address, bool inEntry, AfterCut after)
{
    QString damaged;
    std::optional<journal::Record> record = journal::find(journalDevice(), address, &damaged);
    if (!record && !inEntry)
        return false;
    CutWrite cut;
    cut.reason = record ? CutReason::Recorded : CutReason::InEntry;
    cut.inEntry = inEntry;
    if (record) {
        cut.record = *record;
        cut.backupHolds = journal::backupHolds(*record);
        Journal = record;
    } else {
        cut.record.device = journalDevice();
        cut.record.address = address;
        Journal.reset();
    }
    PendingCut = cut;
    m_afterCut = after;
    m_afterAddress = address;
    // Nothing more goes to the drive unasked: the connect sequence's "quit"
    // would make the fragment its program. A probe in flight stays, to be
    // let go by its answer.
    Queue.dropWaiting();
    Owner.pause(line::Pause::CutWrite);
    if (!damaged.isEmpty())
        emit errorMessage(toCp1252(damaged));
    emit cutWriteFound();
    return true;
}

std::optional<program::ProgramLines> DriveCore::backupProgram(const journal::Record &record) const
{
    const std::optional<QByteArray> bytes = journal::readBackup(record);
    if (!bytes)
        return std::nullopt;
    return program::parseProgramFile(*bytes);
}

bool DriveCore::resolveCutWrite(CutChoice choice)
{
    if (!PendingCut || m_cutStep != CutStep::None) {
        emit errorMessage(toCp1252(tr("Es wartet keine unterbrochene Übertragung auf eine Entscheidung.")));
        return false;
    }
    const CutWrite &cut = *PendingCut;
    const bool program = cut.reason != CutReason::Recorded || cut.record.kind == journal::Kind::Program;
    if ((choice == CutChoice::RestoreBackup && !cut.backupHolds)
        || (choice == CutChoice::WriteAgain && (cut.reason != CutReason::Recorded || !program))) {
        emit errorMessage(toCp1252(choice == CutChoice::RestoreBackup
                                       ? tr("Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein: sie "
                                            "wird nicht zurückgeschrieben.")
                                       : tr("Es gibt kein neues Programm, das erneut geschrieben werden kann.")));
        return false;
    }
    if (refused(Activity::Recovery, line::Request::Recovery))
        return false;
    DriveAddress = cut.record.address;
    m_cutChoice = choice;
    m_refusedRows.clear();
    LinkState = 0;
    if (!program) {
        // A write-back left values, not an entry: the backed-up values of
        // exactly the parameters it changed go back, or the list is read.
        m_cutStep = CutStep::EndEntry;
        cutStepDone(true);
        return true;
    }
    if (choice == CutChoice::Keep && cut.holdsKnown && !cut.inEntry) {
        // The drive left its entry and was read a moment ago: keeping it
        // needs no word to it.
        PendingCut->quiet = true;
        m_cutStep = CutStep::ReadBack;
        m_resolving = true;
        finishResolution(true);
        return true;
    }
    Owner.begin(Activity::Recovery);
    m_cutStep = CutStep::EndEntry;
    // "quit" ends an entry the cut write left; outside entry it does nothing.
    queueCommand("quit", CommandKind::EntryEnd);
    Owner.watchTransfer();
    return true;
}

void DriveCore::leaveCutPending()
{
    PendingCut.reset();
    Journal.reset();
    m_afterCut = AfterCut::None;
    Owner.resume(line::Pause::CutWrite);
}

void DriveCore::cutStepDone(bool ok)
{
    if (!PendingCut)
        return;
    const journal::Record record = PendingCut->record;
    const bool program = PendingCut->reason != CutReason::Recorded || record.kind == journal::Kind::Program;
    switch (m_cutStep) {
    case CutStep::None:
        return;
    case CutStep::EndEntry:
        Owner.end(Activity::Recovery); // the poll stays paused for the cut write
        if (!ok) {
            finishResolution(false);
            return;
        }
        if (!program) {
            if (m_cutChoice == CutChoice::RestoreBackup) {
                const std::optional<QByteArray> bytes = journal::readBackup(record);
                QList<QByteArray> assignments;
                if (bytes)
                    assignments = params::restoreAssignments(*bytes, journal::changedNames(record));
                m_cutStep = CutStep::Write;
                m_resolving = true;
                if (assignments.isEmpty() || !writeParameters(assignments, QString()))
                    finishResolution(false);
                return;
            }
            m_cutStep = CutStep::ReadBack;
            m_resolving = true;
            if (!beginListing(true))
                finishResolution(false);
            return;
        }
        if (m_cutChoice == CutChoice::Keep) {
            m_cutStep = CutStep::ReadBack;
            m_resolving = true;
            m_checkingWrite = true;
            if (!beginProgramRead(true)) {
                m_checkingWrite = false;
                finishResolution(false);
            }
            return;
        }
        {
            const std::optional<program::ProgramLines> lines =
                m_cutChoice == CutChoice::RestoreBackup ? backupProgram(record)
                                                        : std::optional(program::linesOf(record.written));
            m_cutStep = CutStep::Write;
            m_resolving = true;
            if (!lines || !beginProgramWrite(*lines, QString(), false))
                finishResolution(false);
        }
        return;
    case CutStep::Write:
        // The write's own check reads the drive back (checkProgramWrite).
        if (!ok)
            finishResolution(false);
        return;
    case CutStep::ReadBack:
        finishResolution(ok);
        return;
    }
}

void DriveCore::finishResolution(bool readBack)
{
    if (!PendingCut)
        return;
    CutWrite cut = *PendingCut;
    const bool program = cut.reason != CutReason::Recorded || cut.record.kind == journal::Kind::Program;
    cut.holdsKnown = readBack;
    cut.holds.clear();
    if (readBack && program) {
        cut.holds = program::listedLines(Snapshot.program);
    } else if (readBack) {
        for (const QByteArray &name : journal::changedNames(cut.record))
            cut.holds << name + '=' + params::valueOf(Snapshot.list, Snapshot.listRows, name);
    }
    m_cutStep = CutStep::None;
    m_resolving = false;
    m_checkingWrite = false;
    if (!readBack) {
        // What the drive holds is not known: the record stays, and the
        // drive is looked for until it answers; then the choice comes again.
        PendingCut = cut;
        emit cutWriteResolved(false, cut.holds);
        PendingCut.reset();
        if (!Owner.paused(line::Pause::LinkLost))
            Timer9Timer();
        return;
    }
    if (Journal)
        endJournal();
    else
        journal::remove(cut.record.device, cut.record.address);
    PendingCut = cut;
    emit cutWriteResolved(true, cut.holds);
    PendingCut.reset();
    Owner.resume(line::Pause::CutWrite);
    continueAfterCut();
}

void DriveCore::continueAfterCut()
{
    const AfterCut after = std::exchange(m_afterCut, AfterCut::None);
    switch (after) {
    case AfterCut::None:
        return;
    case AfterCut::Connect:
    case AfterCut::AddressChosen:
        connectTo(m_afterAddress);
        return;
    case AfterCut::RestoreLink:
        Senden_Zeichensatz('#' + DriveAddress + "p1035=0\r");
        return;
    case AfterCut::SearchEnd:
        endSearchConnect();
        return;
    }
}

QString DriveCore::linesText(int count)
{
    return count == 1 ? tr("eine Zeile") : tr("%1 Zeilen").arg(count);
}

QString DriveCore::cutSummary(const journal::Record &record, bool atContact) const
{
    const QString time = record.time.isValid()
                           ? record.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                           : tr("Zeit unbekannt");
    QString text;
    if (record.kind == journal::Kind::Parameters) {
        QStringList taken;
        for (int i = 0; i < record.acknowledged && i < record.written.size(); ++i)
            taken << fromCp1252(record.written[i]);
        text = tr("Das Übertragen der Parameter an ZYNT %1 wurde nach %2 von %3 Zuweisungen unterbrochen (%4).")
                   .arg(QString::fromLatin1(record.address))
                   .arg(record.acknowledged)
                   .arg(record.total)
                   .arg(time);
        if (!taken.isEmpty())
            text += QLatin1Char(' ') + tr("Bestätigt hat die ZYNT: %1.").arg(taken.join(QStringLiteral(", ")));
    } else {
        const int line = std::min(record.acknowledged + 1, std::max(record.total, 1));
        text = tr("Die Übertragung des Programms an ZYNT %1 wurde bei Zeile %2 von %3 unterbrochen (%4).")
                   .arg(QString::fromLatin1(record.address))
                   .arg(line)
                   .arg(record.total)
                   .arg(time);
        text += QLatin1Char(' ')
              + tr("Die ZYNT hat %1 bestätigt und hält jetzt ein unvollständiges Programm.")
                    .arg(linesText(record.acknowledged));
    }
    if (!record.backup.isEmpty())
        text += QLatin1Char(' ') + tr("Sicherung: %1").arg(record.backup);
    if (!atContact)
        text += QLatin1Char(' ') + tr("Sobald die ZYNT antwortet, wird angeboten, die Sicherung zurückzuschreiben.");
    return text;
}

void DriveCore::checkProgramWrite()
{
    if (!Journal && !m_resolving)
        return;
    m_checkingWrite = true;
    if (!beginProgramRead(true)) {
        m_checkingWrite = false;
        if (m_resolving)
            finishResolution(false);
        else
            emit programWriteChecked(WriteCheck::Unread, {});
    }
}

void DriveCore::programReadForCheck(bool ok)
{
    m_checkingWrite = false;
    if (m_resolving) {
        finishResolution(ok);
        return;
    }
    if (!ok || !Journal) {
        // Not read: the record stays for the next contact.
        emit programWriteChecked(WriteCheck::Unread, {});
        return;
    }
    const QByteArrayList holds = program::listedLines(Snapshot.program);
    const QByteArrayList written = program::sentLines(program::linesOf(Journal->written));
    const std::optional<program::ProgramLines> before = backupProgram(*Journal);
    if (holds == written || (before && holds == program::listedLines(*before))) {
        const WriteCheck result = holds == written ? WriteCheck::Equal : WriteCheck::KeptOld;
        endJournal();
        emit programWriteChecked(result, holds);
        return;
    }
    // Neither what was written nor what it overwrote: the record stays and
    // the user decides, with what the drive holds in front of him.
    CutWrite cut;
    cut.reason = m_refusedRows.isEmpty() ? CutReason::Recorded : CutReason::Refused;
    cut.record = *Journal;
    cut.backupHolds = before.has_value();
    cut.refusedRows = m_refusedRows;
    cut.holds = holds;
    cut.holdsKnown = true;
    PendingCut = cut;
    m_afterCut = AfterCut::None;
    m_afterAddress = Journal->address;
    Owner.pause(line::Pause::CutWrite);
    emit programWriteChecked(WriteCheck::Differs, holds);
}
