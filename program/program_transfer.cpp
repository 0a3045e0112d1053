// The program's transfer: reading it from the drive's EEPROM into the grid,
// writing the grid back, and the watchdogs of both.
#include "shell/tform1.h"

#include "program/programqueue.h"
#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

// No program listing comes near this; past it the drive is talking nonsense.
constexpr qint64 kListingByteLimit = 128 * 1024;

const char kWriteFailed[] = "Fehler beim Übertragen des Programm in die ZYNT";

// The messages of the read.
const char kReadFailedDe[] = "Fehler beim Lesen des Programms aus der ZYNT";
const char kReadFailedEn[] = "Error reading the program from the ZYNT";
const char kListingTooLongDe[] = "Das Programm in der ZYNT ist länger als 300 Zeilen. Nicht übernommen wurden Zeilen: ";
const char kListingTooLongEn[] = "The program in the ZYNT is longer than 300 lines. Lines not taken over: ";

bool queueHolds(const CommandQueue &queue, uint8_t kind)
{
    for (const CommandNode *node = queue.head(); node; node = node->Next) {
        if (node->Kind == kind)
            return true;
    }
    return false;
}

} // namespace

namespace program {

void queueCommands(TForm1 &form, const QList<QueuedCommand> &commands)
{
    for (const QueuedCommand &command : commands) {
        form.Senden_Zeichensatz(command.text);
        form.Queue.lastQueued()->Kind = command.kind;
    }
}

} // namespace program

void TForm1::ZYNTffnen1Click()
{
    HelpContext = 1;
    Label11->setText(fromCp1252(program::driveSourceCaption(DriveAddress)));
    if (DriveConnected != 1)
        return;

    finishProgramEditing();
    ProgramListing = true;
    Timer3->stop();
    Timer9->stop();
    LinkState = 0;
    program::clearLines(Program);
    showProgram();
    if (!Serial1->Active())
        openPort();
    program::queueCommands(*this, program::programReadCommands(DriveAddress, TraceMode));
    endTraceDisplay();

    Label11->hide();
    Timer2->start();
    Label3->show();
    showProgramEditor();
    Button12->show();

    ProgramListingStart = ProgramListingReceived = Serial1->ReceivedTotal();
    ProgramListingTimer->start();
}

void TForm1::Programmliste_Antwort()
{
    // The listing is complete with its final "ok" line, not with the first
    // "ok" anywhere: a program line may well contain one.
    const std::optional<program::ProgramListing> listing = program::parseListing(ReceiveBuffer);
    if (!listing)
        return;
    Program = listing->lines;
    showProgram();
    endProgramListing();
    Timer2->stop();
    Label3->hide();
    ReceiveBuffer.clear();
    Liste_aktualisieren();
    Timer3->start();

    if (const int dropped = listing->droppedLines; dropped > 0) {
        // Said after the receive handler is done; the lines past row 300
        // have no place in the editor, and a write would not restore them.
        QTimer::singleShot(0, this, [this, dropped] {
            errorBox(message(kListingTooLongDe, kListingTooLongEn) + "301 - " + QByteArray::number(300 + dropped));
        });
    }
}

void TForm1::endProgramListing()
{
    ProgramListingTimer->stop();
    ProgramListing = false;
    Label11->show();
}

void TForm1::ProgramListingTimeout()
{
    if (!ProgramListing) {
        ProgramListingTimer->stop();
        return;
    }
    if (!queueHolds(Queue, CommandKind::ProgramListing)) {
        // The read is gone without its listing: the queue was cleared under
        // it (a lost link, whose own supervision has spoken and restarts the
        // poll), or the user confirmed a drive error in its place. The poll
        // it stopped must start again in that case.
        endProgramListing();
        if (!Timer10->isActive() && !Timer3->isActive())
            Timer3->start();
        return;
    }
    // As long as the drive keeps talking (and not endlessly) the read goes on.
    const qint64 received = Serial1->ReceivedTotal();
    const qint64 sinceStart = received - ProgramListingStart;
    if (received != ProgramListingReceived && sinceStart <= kListingByteLimit) {
        ProgramListingReceived = received;
        return;
    }
    abandonProgramListing();
}

void TForm1::abandonProgramListing()
{
    clearQueue();
    ReceiveBuffer.clear();
    endProgramListing();
    Timer2->stop();
    Label3->hide();
    Timer3->start();
    errorBox(message(kReadFailedDe, kReadFailedEn));
}

void TForm1::Liste_SpeichernClick()
{
    finishProgramEditing();
    if (ConfirmOverwrite) {
        // The program did not come from the drive: the user confirms first.
        Timer3->stop();
        Timer9->stop();
        OKBottomDlg->show();
        OKBottomDlg->raise();
        setEnabled(false);
        return;
    }
    if (DriveConnected == 1)
        ZYNT_Programm_Speichern();
}

void TForm1::ZYNT_Programm_Speichern()
{
    finishProgramEditing();
    ProgramWrite = true;
    // The lines that carried an address of their own lose it, in the grid too.
    const QList<program::QueuedCommand> commands = program::programWriteCommands(Program, DriveAddress, TraceMode);
    showProgram();
    ConfirmOverwrite = false;
    Timer3->stop();
    Timer9->stop();
    LinkState = 0;
    program::queueCommands(*this, commands);
    endTraceDisplay();
    Label4->show();
    Timer2->start();
    // Timer7 watches the program lines; the commands before them ("TROFF",
    // "S") are watched too, or a lost answer would hold the write for good.
    watchTransfer();
}

void TForm1::Timer7Timer()
{
    // A program line got no "pgm": the entry is ended in the drive, and
    // the lines still queued are dropped before anything else can happen.
    // Sent later, after the drive left entry mode, each would be executed
    // as a command of its own.
    Timer7->stop();
    TransferWatchdog->stop();
    Serial1->WriteString('#' + DriveAddress + "quit\r");
    clearQueue();
    ReceiveBuffer.clear();
    ProgramWrite = false;
    Timer2->stop();
    Label4->hide();
    Timer3->start();
    Label8->hide();
    setEnabled(true);
    errorBox(toCp1252(QString::fromUtf8(kWriteFailed)));
}
