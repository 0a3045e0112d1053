// The main window's side of the command queue: what is sent when.
#include "shell/tform1.h"

#include <QLabel>
#include <QTimer>

void TForm1::Senden_Zeichensatz(const QByteArray &text)
{
    if (Queue.append(text)) {
        if (Serial1->Active())
            Serial1->WriteString(text);
        return;
    }
    Label14->setText(QString::number(Queue.waitingCount()));
}

void TForm1::queueCommand(const QByteArray &command, uint8_t kind)
{
    queueCommandTo(DriveAddress, command, kind);
}

void TForm1::queueCommandTo(const QByteArray &address, const QByteArray &command, uint8_t kind)
{
    Senden_Zeichensatz('#' + address + command + '\r');
    Queue.lastQueued()->Kind = kind;
}

void TForm1::Liste_aktualisieren()
{
    CommandNode *next = Queue.releaseHead();
    if (!next)
        return;
    Serial1->WriteString(next->Text);
    watchTransfer();
    if (next->Kind == CommandKind::ProgramLine) {
        // A program line is being written: its answer is watched by Timer7,
        // and the status watchdog must not fire while the status poll pauses.
        Timer7->start();
        if (ProgramWrite)
            Timer9->stop();
    }
}

void TForm1::clearQueue()
{
    Queue.clear();
}

void TForm1::takeAnswerWithoutEvaluation()
{
    if (!ReceiveBuffer.contains("ok\r"))
        return; // not complete yet
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::watchTransfer()
{
    if (ProgramWrite || WriteBackRunning)
        TransferWatchdog->start();
}
