// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's part of the program: reading it from the drive's EEPROM,
// writing it back, and the trace answers.
#include "link/drivecore.h"

#include "link/answerrules.h"
#include "shell/cp1252.h"

#include <QTimer>

#include <algorithm>

using line::Activity;

namespace {

// No program listing comes near this; past it the drive is talking nonsense.
constexpr qint64 kListingByteLimit = 128 * 1024;


bool queueHolds(const CommandQueue &queue, uint8_t kind)
{
    for (const CommandNode *node = queue.head(); node; node = node->Next) {
        if (node->Kind == kind)
            return true;
    }
    return false;
}

} // namespace

bool DriveCore::ZYNTffnen1Click()
{
    return beginProgramRead(false);
}

bool DriveCore::readDriveProgram()
{
    return beginProgramRead(true);
}

bool DriveCore::beginProgramRead(bool quiet)
{
    if (DriveConnected != 1 || refused(Activity::ProgramRead, line::Request::ProgramRead))
        return false;
    Owner.begin(Activity::ProgramRead);
    m_quietProgram = quiet;
    LinkState = 0;
    if (!quiet) {
        // The editor is emptied for the listing; a read that does not get to
        // its end gives back what it showed. A quiet read leaves it alone.
        m_programBeforeRead = Program;
        program::clearLines(Program);
        emit programChanged();
    }
    if (!Serial1->Active())
        openPort();
    m_listingBase = Released + quint64(Queue.size());
    m_listingAnswered = 0;
    queueCommands(program::programReadCommands(DriveAddress, TraceMode));
    TraceMode = false;
    m_listingStart = m_listingReceived = Serial1->ReceivedTotal();
    ProgramListingTimer->start();
    if (!quiet)
        emit programReadStarted();
    return true;
}

void DriveCore::Programmliste_Antwort()
{
    // The listing is complete with its final "ok" line, not with the first
    // "ok" anywhere: a program line may well contain one.
    const std::optional<program::ProgramListing> listing = program::parseListing(ReceiveBuffer);
    if (!listing)
        return;
    Snapshot.programAddress = DriveAddress;
    Snapshot.program = listing->lines;
    Snapshot.programFresh = true;
    if (!m_quietProgram) {
        Program = listing->lines;
        emit programChanged();
    }
    ReceiveBuffer.clear();
    ProgramListedLines = int(program::listedLines(listing->lines).size()) + listing->droppedLines;
    const bool shown = !m_quietProgram;
    endProgramListing(true);
    Liste_aktualisieren();

    if (listing->droppedLines > 0 && shown) {
        // Said after the receive handler is done; the lines past row 300
        // have no place in the editor, and a write would not restore them.
        const int total = ProgramListedLines;
        QTimer::singleShot(0, this, [this, total] { emit programTooLong(total); });
    }
}

QByteArray DriveCore::programTooLongText(int total) const
{
    return toCp1252(tr("Das Programm in der ZYNT ist länger als 300 Zeilen. Nicht übernommen wurden Zeilen: "))
        + "301 - " + QByteArray::number(total);
}

void DriveCore::endProgramListing(bool complete)
{
    ProgramListingTimer->stop();
    Owner.end(Activity::ProgramRead);
    if (m_quietProgram) {
        m_quietProgram = false;
        // A read after a write, or for a cut one, is the core's own.
        if (m_checkingWrite)
            programReadForCheck(complete);
        else
            emit driveProgramRead(complete);
        return;
    }
    emit programReadEnded(complete);
}

void DriveCore::ProgramListingTimeout()
{
    if (!Owner.holds(Activity::ProgramRead)) {
        ProgramListingTimer->stop();
        return;
    }
    if (!queueHolds(Queue, CommandKind::ProgramListing)) {
        // The read is gone without its listing: the queue was cleared under it.
        abandonProgramListing(true);
        return;
    }
    // As long as the drive keeps talking (and not endlessly) the read goes
    // on: a command of the read answered, or the listing on its way. Bytes
    // that answer none of them (the rest of an answer from before the read,
    // noise) say nothing of the read, whose first command may be lost.
    const qint64 received = Serial1->ReceivedTotal();
    const qint64 sinceStart = received - m_listingStart;
    const quint64 answered = Released > m_listingBase ? Released - m_listingBase : 0;
    const bool listing = Queue.head() && Queue.head()->Kind == CommandKind::ProgramListing;
    const bool moved = answered != m_listingAnswered || (listing && received != m_listingReceived);
    if (moved && sinceStart <= kListingByteLimit) {
        m_listingReceived = received;
        m_listingAnswered = answered;
        return;
    }
    abandonProgramListing(true);
}

void DriveCore::abandonProgramListing(bool sayWhy)
{
    clearQueue();
    ReceiveBuffer.clear();
    if (m_quietProgram) {
        // The editor was never touched; whoever asked says what failed.
        endProgramListing(false);
        return;
    }
    Program = m_programBeforeRead;
    emit programChanged();
    endProgramListing(false);
    if (sayWhy)
        emit programReadFailed(); // the window says so, and reads again when the link is back
}

bool DriveCore::ZYNT_Programm_Speichern(const QString &backup)
{
    return beginProgramWrite(Program, backup, true);
}

bool DriveCore::beginProgramWrite(program::ProgramLines rows, const QString &backup, bool editorLines)
{
    if (refused(Activity::ProgramWrite, line::Request::ProgramWrite))
        return false;
    // The lines that carried an address of their own lose it (in the
    // editor too, when it is the editor's program that goes).
    const QList<program::QueuedCommand> commands = program::programWriteCommands(rows, DriveAddress, TraceMode);
    QList<QByteArray> written;
    for (const QByteArray &line : program::programLineCommands(rows, DriveAddress))
        written << answer::commandBody(line, DriveAddress);
    // The journal first: without its record nothing goes out.
    if (!beginJournal(journal::Kind::Program, written, backup, m_resolving))
        return false;
    Owner.begin(Activity::ProgramWrite);
    m_programAnswers = 0;
    m_entryBegun = false;
    RefusedProgramRow = 0;
    ProgramRefused = false;
    m_refusedRows.clear();
    TraceMode = false;
    if (editorLines) {
        Program = rows;
        emit programChanged();
    }
    LinkState = 0;
    queueCommands(commands);
    // Timer7 watches the program lines; the commands before them ("TROFF",
    // "S") are watched too, or a lost answer would hold the write for good.
    Owner.watchTransfer();
    emit programWriteStarted();
    return true;
}

void DriveCore::abortProgramWrite()
{
    if (!Owner.holds(Activity::ProgramWrite))
        return;
    Owner.programLineEnded();
    writeDirect('#' + DriveAddress + "quit\r");
    clearQueue();
    ReceiveBuffer.clear();
    Owner.end(Activity::ProgramWrite);
    // Where "new" never went out, the drive's program was not touched.
    if (Journal && !m_entryBegun && !m_resolving)
        endJournal();
    // Otherwise the record stays: the drive holds a part of the program, and
    // the next contact offers the way back. Until then nothing goes to the
    // drive unasked: where the "quit" was lost, it is still in program entry.
    if (Journal) {
        Owner.pause(line::Pause::CutWrite);
        Journal->acknowledged = programLinesAnswered();
        m_journalDirty = true;
        flushJournal();
        emit programWriteCut(*Journal);
    }
    m_resolving = false;
    m_cutStep = CutStep::None;
    emit transferEnded();
}

int DriveCore::programLinesAnswered() const
{
    return std::max(m_programAnswers - 1, 0); // "new" is answered with "pgm" too
}

void DriveCore::Trace_Antwort()
{
    const std::optional<program::TraceLine> line = program::traceAnswer(ReceiveBuffer);
    if (!line)
        return; // the command line or the final "ok" is still on its way
    emit traceAnswered(line->target, line->text);
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}
