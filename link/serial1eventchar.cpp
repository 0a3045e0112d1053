// The receive dispatcher: collects the drive's answers, recognises the answer
// to the command in flight, hands data answers to the feature that owns
// their kind and releases the command so that the next one goes out.
#include "shell/tform1.h"

#include "link/answerrules.h"
#include "manual/tform2.h"
#include "parameters/writeback.h"
#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using answer::Ack;
using answer::Route;

void TForm1::Serial1EventChar(TSerial *sender)
{
    QByteArray chunk;
    sender->ReadString(chunk);
    dispatchChunk(chunk);
}

void TForm1::dispatchChunk(QByteArray chunk)
{
    if (MasterMode) {
        // The PC only relays between the drives and shows their traffic.
        if (chunk != "#0R")
            Serial1->WriteString(chunk);
        if (memoRxDText().size() > 200)
            MemoRxD->clear();
        const qsizetype lf = chunk.indexOf('\n');
        if (lf >= 0)
            chunk.remove(lf, 1);
        if (MemoRxD->isVisible())
            appendToMemoRxD(chunk);
        return;
    }

    // A drive error is on its way to the user or in front of him: what comes
    // now waits behind his confirmation, which empties the buffer anyway.
    // Without this each further piece would run the error step again and
    // the message would grow while it is shown.
    if (DialogMessage)
        return;

    ReceiveBuffer += chunk;

    if (LinkState == 1)
        Port_Baudrate_Antwort_pruefen();
    if (LinkState == 2 || LinkState == 4)
        Adresse_Antwort_pruefen();

    if (LinkState == 0)
        answer::removeLineFeeds(ReceiveBuffer);
    answer::removeLineFeeds(chunk);

    if (TerminalOpen && LinkState == 0 && !answer::holdsUnresolvedError(ReceiveBuffer)) {
        if (answer::terminalNeedsClearing(memoRxDText().size(), Queue.head() != nullptr))
            MemoRxD->clear();
        appendToMemoRxD(chunk);
    }

    if (LinkState != 0)
        return;

    if (ReceiveBuffer.size() > answer::kReceiveBufferLimit && bufferOverflow())
        return;

    answer::removeStatusDigit(ReceiveBuffer);
    const int errorPos = answer::errorPosition(ReceiveBuffer);

    if (CommandNode *head = Queue.head()) {
        const QByteArray command = head->Text;
        const uint8_t kind = head->Kind;
        switch (answer::acknowledgement(ReceiveBuffer, command)) {
        case Ack::Exact:
            completeAcknowledged(kind);
            ReceiveBuffer.clear();
            Liste_aktualisieren();
            break;
        case Ack::Contained:
            ReceiveBuffer.clear();
            Liste_aktualisieren();
            break;
        case Ack::None:
            switch (answer::routeByKind(ReceiveBuffer, kind)) {
            case Route::ParameterListing: Parameterliste_Antwort(); break;
            case Route::ProgramListing: Programmliste_Antwort(); break;
            case Route::ProgramLineDone:
                ReceiveBuffer.clear();
                Timer7->stop();
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
            case Route::None: break;
            }
            break;
        }
    }

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

bool TForm1::bufferOverflow()
{
    // No answer is anywhere near this long: the line is talking nonsense.
    const CommandNode *head = Queue.head();
    if (head && head->Kind == CommandKind::ProgramListing) {
        // A program of 300 lines is nowhere near this long either: the read
        // ends as its watchdog ends it.
        abandonProgramListing();
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

void TForm1::showDriveError()
{
    // Everything before the error line is of no interest. The buffer may have
    // been shortened by the rules above; removing past its end leaves it empty.
    const int errorPos = answer::errorPosition(ReceiveBuffer);
    ReceiveBuffer.remove(0, qMin<qsizetype>(qMax(errorPos - 1, 0), ReceiveBuffer.size()));
    if (!ReceiveBuffer.contains('\r'))
        return; // the error line is not complete yet

    Timer7->stop();
    TransferWatchdog->stop(); // the user answers now; the confirmation goes on
    ReceiveBuffer.chop(1);

    const CommandNode *head = Queue.head();
    const std::optional<params::FailedAssignment> failed =
        head && WriteBackRunning ? params::failedAssignment(head->Text) : std::nullopt;
    if (failed) {
        // A write-back names the assignment the drive refused: no program
        // row can say which parameter it was.
        ReceiveBuffer += "\r\r\rParameter " + failed->parameter + " = " + failed->value;
    } else if (head && (head->Kind == CommandKind::ProgramLine || head->Kind == CommandKind::WriteBackLast)) {
        const QByteArray body = answer::commandBody(head->Text, DriveAddress);
        int row = 299;
        for (int r = 1; r <= 299; ++r) {
            const QTableWidgetItem *cell = StringGrid1->item(r, 1);
            if (cell && toCp1252(cell->text()) == body) {
                row = r;
                break;
            }
        }
        if (!ReceiveBuffer.contains("label")) {
            const QTableWidgetItem *cell = StringGrid1->item(row, 1);
            ReceiveBuffer = answer::programLineErrorMessage(
                ReceiveBuffer, text(73), row, cell ? toCp1252(cell->text()) : QByteArray());
        }
    }

    Timer9->stop();
    DialogMessage = true;

    if (ReceiveBuffer.contains("label")) {
        // The drive refused the program: the write ends here.
        Timer2->stop();
        Label4->hide();
        Timer3->start();
        ProgramWrite = false;
        Timer7->stop();
        setEnabled(true);
    }

    Timer13->setInterval(10);
    Timer13->start();
}

void TForm1::endTransferDisplay()
{
    TransferWatchdog->stop();
    Timer2->stop();
    Label4->hide();
    Timer7->stop();
    Timer3->start();
    Label8->hide();
    setEnabled(true);
}

void TForm1::completeAcknowledged(uint8_t kind)
{
    switch (kind) {
    case CommandKind::WriteBackLast:
        endWriteBack();
        break;
    case CommandKind::ProgramEnd:
        endTransferDisplay();
        break;
    case CommandKind::AddressProbe: // a newly chosen address answered
        DriveConnected = 1;
        Queue.setWaitingCount(0);
        Timer3->start();
        Label6->setText(QString::fromLatin1(DriveAddress));
        Timer8->stop();
        break;
    case CommandKind::ReProbe: // the previous address answers again after a link loss
        DriveConnected = 1;
        Timer10->stop();
        FoundAddresses[0] = 1;
        Button11->hide();
        Timer3->start();
        DriveAddress = PreviousAddress;
        setBackground(Label2, windowColour());
        Label2->setText(fromCp1252(InterfaceDescription));
        Image2->show();
        setBackground(Label6, windowColour());
        Label6->setText(QString::fromLatin1(DriveAddress));
        Senden_Zeichensatz('#' + PreviousAddress + "p1035=0\r");
        break;
    default:
        break;
    }
}

void TForm1::Serial1TxEmpty(TSerial *)
{
    // Nothing in the link waits for the transmit queue to run empty.
}
