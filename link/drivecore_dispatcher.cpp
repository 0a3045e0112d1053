// SPDX-License-Identifier: GPL-3.0-or-later
// The receive dispatcher: collects the drive's answers, recognises the answer
// to the command in flight, hands data answers to the feature that owns
// their kind and releases the command so that the next one goes out.
#include "link/drivecore.h"

#include "link/answerrules.h"
#include "parameters/writeback.h"

#include <QTimer>

#include <algorithm>
#include <utility>

using answer::Ack;
using answer::Route;
using line::Activity;

void DriveCore::Serial1EventChar(TSerial *sender)
{
    QByteArray chunk;
    sender->ReadString(chunk);
    dispatchChunk(std::move(chunk));
}

void DriveCore::dispatchChunk(QByteArray chunk)
{
    if (Owner.holds(Activity::Master)) {
        relayMaster(std::move(chunk));
        return;
    }

    // A drive error is on its way to the user or in front of him: what comes
    // now waits behind his confirmation, which empties the buffer anyway.
    // Without this each further piece would run the error step again and
    // the message would grow while it is shown.
    if (Owner.paused(line::Pause::DriveError))
        return;

    // The terminal's log keeps every byte; the buffer goes without line feeds.
    const QByteArray asReceived = chunk;
    if (LinkState == 0) {
        // The piece loses its line feeds before it joins the buffer: it is
        // ours alone, so that is done in place, and an empty buffer takes
        // it over without a copy.
        answer::removeLineFeeds(chunk);
        ReceiveBuffer += chunk;
        answer::removeLineFeeds(ReceiveBuffer); // any a search left behind
    } else {
        searchAnswer(chunk);
    }

    if (LinkState == 0 && !answer::holdsUnresolvedError(ReceiveBuffer))
        emit terminalEcho(asReceived, Queue.head() != nullptr,
                          Queue.head() && Queue.head()->Kind == CommandKind::Status);

    if (LinkState != 0)
        return;
    chunk = QByteArray(); // the buffer alone holds the piece now: edited in place

    if (ReceiveBuffer.size() > answer::kReceiveBufferLimit && bufferOverflow())
        return;

    answer::removeStatusDigit(ReceiveBuffer);
    const int errorPos = answer::errorPosition(ReceiveBuffer);

    if (CommandNode *head = Queue.head())
        answerHead(*head);

    settleBuffer(errorPos);
}

void DriveCore::relayMaster(QByteArray chunk)
{
    // The PC only relays between the drives and shows their traffic.
    if (chunk != "#0R")
        writeLine(chunk, false);
    const qsizetype lf = chunk.indexOf('\n');
    if (lf >= 0)
        chunk.remove(lf, 1);
    emit masterEcho(chunk);
}

void DriveCore::searchAnswer(QByteArray &chunk)
{
    // The search reads the buffer with its line feeds; the piece loses
    // them only for the terminal.
    ReceiveBuffer += chunk;
    if (LinkState == 1)
        Port_Baudrate_Antwort_pruefen();
    if (LinkState == 2 || LinkState == 4)
        Adresse_Antwort_pruefen();
    if (LinkState == 0)
        answer::removeLineFeeds(ReceiveBuffer);
    answer::removeLineFeeds(chunk);
}

void DriveCore::answerHead(CommandNode &head)
{
    const QByteArray command = head.Text;
    const uint8_t kind = head.Kind;
    switch (answer::acknowledgement(ReceiveBuffer, command)) {
    case Ack::Exact:
        acknowledged(head);
        completeAcknowledged(kind);
        ReceiveBuffer.clear();
        Liste_aktualisieren();
        break;
    case Ack::Contained:
        acknowledged(head);
        ReceiveBuffer.clear();
        Liste_aktualisieren();
        break;
    case Ack::None:
        switch (answer::routeByKind(ReceiveBuffer, kind)) {
        case Route::ParameterListing: Parameterliste_Antwort(); break;
        case Route::ProgramListing: Programmliste_Antwort(); break;
        case Route::ProgramLineDone:
            ReceiveBuffer.clear();
            ++m_programAnswers;
            noteJournalProgress(programLinesAnswered());
            Owner.programLineEnded();
            emit programLineAcknowledged();
            Liste_aktualisieren();
            break;
        case Route::Language: Sprache_Antwort(); break;
        case Route::Version: Version_Antwort(); break;
        case Route::Status: Status_Antwort(); break;
        case Route::Output: Ausgang_Antwort(); break;
        case Route::Trace: Trace_Antwort(); break;
        case Route::QuitDone:
            ReceiveBuffer.clear();
            Liste_aktualisieren();
            break;
        case Route::Query: Query_Antwort(); break;
        case Route::InEntry:
            // Nothing queued behind the probe may go out: in entry it
            // would become a line of the drive's program.
            ReceiveBuffer.clear();
            Queue.dropWaiting();
            Liste_aktualisieren();
            probeAnswered(kind, true);
            break;
        case Route::None: break;
        }
        break;
    }
}

void DriveCore::settleBuffer(int errorPos)
{
    if (!Queue.head() && errorPos == 0)
        ReceiveBuffer.clear(); // nothing was asked: the text is not for us

    if (CommandNode *head = Queue.head();
        head && head->Kind == CommandKind::Keystroke && answer::keystrokeAnswered(ReceiveBuffer, head->Text)) {
        ReceiveBuffer.clear();
        Liste_aktualisieren();
    }

    if (errorPos > 0)
        showDriveError();
}

bool DriveCore::bufferOverflow()
{
    // No answer is anywhere near this long: the line is talking nonsense.
    const CommandNode *head = Queue.head();
    if (head && head->Kind == CommandKind::ProgramListing) {
        // A program of 300 lines is nowhere near this long either: the read
        // ends as its watchdog ends it.
        abandonProgramListing(true);
        return true;
    }
    if (head && answer::isListingKind(head->Kind)) {
        // A listing would restart its watchdog with every piece for ever and
        // keep the window locked: it ends here as its watchdog would end it,
        // and nothing queued behind it is sent into the noise.
        ReceiveBuffer.clear();
        clearQueue();
        Timer11Timer();
        return true;
    }
    // Whatever matched no rule so far never will; an answer that is just
    // arriving fits in what is kept.
    ReceiveBuffer.remove(0, ReceiveBuffer.size() - answer::kReceiveBufferKeep);
    return false;
}

void DriveCore::showDriveError()
{
    // Everything before the error line is of no interest. The buffer may have
    // been shortened by the rules above; removing past its end leaves it empty.
    const int errorPos = answer::errorPosition(ReceiveBuffer);
    ReceiveBuffer.remove(0, qMin<qsizetype>(qMax(errorPos - 1, 0), ReceiveBuffer.size()));
    if (!ReceiveBuffer.contains('\r'))
        return; // the error line is not complete yet

    ReceiveBuffer.chop(1);

    const CommandNode *head = Queue.head();
    const std::optional<params::FailedAssignment> failed =
        head && Owner.holds(Activity::WriteBack) ? params::failedAssignment(head->Text) : std::nullopt;
    if (failed) {
        // A write-back names the assignment the drive refused: no program
        // row can say which parameter it was.
        ReceiveBuffer += "\r\r\rParameter " + failed->parameter + " = " + failed->value;
    } else if (head && (head->Kind == CommandKind::ProgramLine || head->Kind == CommandKind::WriteBackLast)) {
        // A line of a program write is found by its index among the lines
        // sent ("new" is answered first), so that the second of two equal
        // lines is named as itself; otherwise by its text.
        int row = 0;
        if (head->Kind == CommandKind::ProgramLine && Owner.holds(Activity::ProgramWrite) && m_programAnswers > 0)
            row = std::min(m_programAnswers, 299);
        const QByteArray body = answer::commandBody(head->Text, DriveAddress);
        for (int r = 1; row == 0 && r <= 299; ++r) {
            if (Program[size_t(r)] == body)
                row = r;
        }
        if (row == 0)
            row = 299;
        if (head->Kind == CommandKind::ProgramLine) {
            RefusedProgramRow = row;
            if (Owner.holds(Activity::ProgramWrite))
                m_refusedRows << row;
            emit programLineRefused(row);
        }
        if (!ReceiveBuffer.contains("label"))
            ReceiveBuffer = answer::programLineErrorMessage(ReceiveBuffer, text(73), row, Program[size_t(row)]);
    }

    // The user confirms first; the poll, its watchdog and the transfer's
    // and the reads' watchdogs wait for him.
    Owner.driveErrorRaised();
    holdWatchdogs();
    m_errorReleased = Released;
    m_errorClears = m_queueClears;

    if (ReceiveBuffer.contains("label") && Owner.holds(Activity::ProgramWrite)) {
        // The drive refused the program: the write ends here, and the read
        // after the user's confirmation shows that it kept its own.
        ProgramRefused = true;
        Owner.end(Activity::ProgramWrite);
        flushJournal();
        emit programWriteEnded();
        m_checkAfterConfirm = true;
    }

    Timer13->setInterval(10);
    Timer13->start();
}

void DriveCore::Timer13Timer()
{
    // Shown a moment after the error line was complete, from the main loop
    // rather than from inside the receive handler.
    Timer13->stop();
    emit driveErrorShown(ReceiveBuffer);
}

void DriveCore::confirmDriveError()
{
    ReceiveBuffer.clear();
    // Only the command the error stopped is let go: whatever ended or
    // cleared the queue meanwhile (a lost link, a new connection) left
    // another command at its head, which waits for its own answer.
    const CommandNode *head = Queue.head();
    const bool stopped = head && Released == m_errorReleased && m_queueClears == m_errorClears;
    const uint8_t kind = stopped ? head->Kind : CommandKind::Plain;
    // The refused last assignment of a write-back ends the batch all the
    // same; otherwise the window would wait for an answer that never comes.
    const bool lastOfWriteBack = stopped && Owner.holds(Activity::WriteBack) && kind == CommandKind::WriteBackLast;
    const bool readRefused = stopped && Owner.holds(Activity::ProgramRead) && kind == CommandKind::ProgramListing;
    const bool listingRefused = stopped && Owner.holds(Activity::Listing) && answer::isListingKind(kind);
    Owner.driveErrorConfirmed();
    // A refused program line is answered too: the next line's index follows it.
    if (stopped && Owner.holds(Activity::ProgramWrite) && kind == CommandKind::ProgramLine)
        ++m_programAnswers;
    const bool checkWrite = std::exchange(m_checkAfterConfirm, false);
    const bool entryEndRefused = stopped && Owner.holds(Activity::Recovery) && kind == CommandKind::EntryEnd;
    if (listingRefused) {
        // The drive will not list its parameters: the listing ends here, and
        // the user has read why.
        abandonListing(false);
        resumeWatchdogs();
        return;
    }
    if (stopped)
        Liste_aktualisieren();
    resumeWatchdogs();
    if (entryEndRefused)
        cutStepDone(true); // the drive left its entry and kept its program: the read shows which
    if (checkWrite)
        checkProgramWrite();
    if (lastOfWriteBack)
        endWriteBack();
    if (readRefused) {
        // The drive refused to list its program and the user has read why:
        // the editor shows what it showed before.
        if (!m_quietProgram) {
            Program = m_programBeforeRead;
            emit programChanged();
        }
        endProgramListing(false);
    }
}

void DriveCore::holdWatchdogs()
{
    m_held.listing = Timer11->isActive();
    m_held.programRead = ProgramListingTimer->isActive();
    m_held.address = Timer8->isActive();
    for (QTimer *t : {Timer11, ProgramListingTimer, Timer8})
        t->stop();
}

void DriveCore::resumeWatchdogs()
{
    if (m_held.listing && Owner.holds(Activity::Listing))
        Timer11->start();
    if (m_held.programRead && Owner.holds(Activity::ProgramRead)) {
        // The silence is measured from now: the user's reading was none.
        m_listingReceived = Serial1->ReceivedTotal();
        ProgramListingTimer->start();
    }
    if (m_held.address)
        Timer8->start();
    m_held = {};
}

void DriveCore::acknowledged(const CommandNode &head)
{
    if (head.Text.endsWith("psave\r"))
        emit permanentSaveConfirmed();
}

void DriveCore::completeAcknowledged(uint8_t kind)
{
    switch (kind) {
    case CommandKind::WriteBackLast:
        if (Owner.holds(Activity::WriteBack))
            endWriteBack();
        break;
    case CommandKind::ProgramEnd:
        if (Owner.holds(Activity::ProgramWrite)) {
            Owner.end(Activity::ProgramWrite);
            flushJournal();
            emit programWriteEnded();
            // What the drive now holds is read back before the record goes.
            checkProgramWrite();
        }
        break;
    case CommandKind::AddressProbe: // a newly chosen address answered
    case CommandKind::ReProbe: // the previous address answers again after a link loss
        probeAnswered(kind, false);
        break;
    case CommandKind::EntryEnd:
        if (Owner.holds(Activity::Recovery))
            cutStepDone(true);
        break;
    default:
        break;
    }
}

void DriveCore::probeAnswered(uint8_t kind, bool inEntry)
{
    switch (kind) {
    case CommandKind::AddressProbe:
        DriveConnected = 1;
        Queue.setWaitingCount(0);
        Timer8->stop();
        Owner.resume(line::Pause::AddressPrompt);
        emit addressAnswered();
        if (holdForCut(DriveAddress, inEntry, AfterCut::AddressChosen))
            Queue.dropWaiting();
        break;
    case CommandKind::ReProbe: {
        DriveConnected = 1;
        Timer10->stop();
        FoundAddresses[0] = 1;
        DriveAddress = PreviousAddress;
        Owner.restoreLink();
        emit linkRestored();
        const bool held = holdForCut(DriveAddress, inEntry, AfterCut::RestoreLink);
        // A Stop the user pressed while the link was lost goes first, a cut
        // write's decision notwithstanding. A drive in program entry would
        // take it for a line of its program: its entry is ended before.
        if (stopPending()) {
            if (inEntry) {
                queueCommand("quit", CommandKind::Plain);
                if (PendingCut)
                    PendingCut->inEntry = false;
            }
            sendPendingStop();
        }
        if (held)
            break;
        // Nothing (any more) to decide: a pause a cut write left ends here.
        if (!PendingCut)
            Owner.resume(line::Pause::CutWrite);
        Senden_Zeichensatz('#' + PreviousAddress + "p1035=0\r");
        break;
    }
    case CommandKind::ContactProbe:
        if (inEntry)
            holdForCut(DriveAddress, true, AfterCut::Connect);
        break;
    default:
        break;
    }
}
