// Running the drive's program: start, stop, a single line, trace mode with
// its steps and its display, and closing the editor.
#include "shell/tform1.h"

#include "program/programqueue.h"
#include "shell/cp1252.h"
#include "shell/tradiogroup.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

void TForm1::Button1Click()
{
    if (DriveConnected == 1 && Serial1->Active())
        program::queueCommands(*this, {program::runCommand(DriveAddress)});
}

void TForm1::Button2Click()
{
    if (Serial1->Active())
        program::queueCommands(*this, {program::stopCommand(DriveAddress)});
}

void TForm1::Button4Click()
{
    finishProgramEditing();
    const int row = currentProgramRow();
    if (DriveConnected == 1 && Serial1->Active())
        Senden_Zeichensatz(program::executeLineCommand(Program[size_t(row)]));
    StringGrid1->setCurrentCell(program::rowAfterEnter(row), 1);
}

void TForm1::Button12Click()
{
    Label12->setText(QString());
    Label9->setText(QString());
    if (!TraceMode) {
        Button12->setText(fromCp1252(text(156)));
        Button12->setToolTip(fromCp1252(text(157)));
        program::queueCommands(*this, program::traceOnCommands(DriveAddress));
        TraceMode = true;
        for (QWidget *w : std::initializer_list<QWidget *> {Button14, Label10, Label9, Label12, Label13})
            w->show();
    } else {
        program::queueCommands(*this, program::traceOffCommands(DriveAddress));
        endTraceDisplay();
    }
}

void TForm1::Button14Click()
{
    program::queueCommands(*this, program::traceStepCommands(DriveAddress));
}

void TForm1::Trace_Antwort()
{
    const std::optional<program::TraceLine> line = program::traceAnswer(ReceiveBuffer);
    if (!line)
        return; // the command line or the final "ok" is still on its way
    QLabel *target = line->target == program::TraceTarget::Next ? Label9 : Label12;
    target->setText(fromCp1252(line->text));
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::leaveTraceMode()
{
    program::queueCommands(*this, program::leaveTraceCommands(DriveAddress, TraceMode));
    endTraceDisplay();
}

void TForm1::endTraceDisplay()
{
    TraceMode = false;
    for (QWidget *w : std::initializer_list<QWidget *> {Button14, Label10, Label9, Label12, Label13})
        w->hide();
    Button12->setText(fromCp1252(text(155)));
    Button12->setToolTip(fromCp1252(text(153)));
}

void TForm1::Button5Click()
{
    HelpContext = 1;
    if (!StringGrid1->isHidden()) {
        finishProgramEditing();
        for (QWidget *w : std::initializer_list<QWidget *> {StringGrid1, Liste_Speichern, Button4, Button1, Button2,
                                                            Button12, Label11})
            w->hide();
        leaveTraceMode();
    } else if (!StringGrid2->isHidden()) {
        StringGrid2->hide();
    }
    for (QWidget *w : std::initializer_list<QWidget *> {Button5, Button3, Button6, Button7, Button16, Button8, Label7,
                                                        GroupBox1, RadioGroup1})
        w->hide();
}
