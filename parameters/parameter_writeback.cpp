// Writing the whole grid back to the drive, and the drive's permanent save.
#include "shell/tform1.h"

#include "parameters/writeback.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

void TForm1::Button8Click()
{
    Timer3->stop();
    Timer9->stop();
    LinkState = 0;
    Label8->show();
    setEnabled(false);
    if (!Serial1->Active()) {
        // Nothing can be written: the window must not stay locked, and the
        // user must know why nothing happened.
        Label8->hide();
        setEnabled(true);
        Timer3->start();
        errorBox(message("Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT "
                         "übertragen.",
                         "The serial port is not open: no parameters were written to the ZYNT."));
        return;
    }
    queueCommand("TROFF", CommandKind::Plain);
    if (TraceMode)
        queueCommand("s", CommandKind::Plain);
    TraceMode = false;
    for (QWidget *w : std::initializer_list<QWidget *> {Button14, Label9, Label10})
        w->hide();
    for (const QByteArray &assignment : params::writeBackAssignments(Parameters.Grid, Parameters.ParameterRowCount))
        queueCommand(assignment, CommandKind::Plain);
    // The last command marks the end of the batch; its acknowledgement
    // unlocks the window and reads the list again.
    Queue.lastQueued()->Kind = CommandKind::WriteBackLast;
    WriteBackRunning = true;
    // Nothing else watches a write-back: an answer that never comes would
    // leave the window locked for good.
    watchTransfer();
}

void TForm1::Button3Click()
{
    // Only the command queued here gets its kind: a kind set on whatever was
    // queued last could change how an unrelated answer is read.
    if (DriveConnected == 1 && Serial1->Active())
        queueCommand("psave", CommandKind::Plain);
}

void TForm1::endWriteBack()
{
    endTransferDisplay();
    ProgramWrite = false;
    WriteBackRunning = false;
    neulesen1Click(); // the grid shows what the drive holds now
}
