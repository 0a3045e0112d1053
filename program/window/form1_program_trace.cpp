// SPDX-License-Identifier: GPL-3.0-or-later
// Running the drive's program: start, stop, a single line, trace mode with
// its steps and its display, and closing the editor.
#include "shell/window/tform1.h"

#include "shell/cp1252.h"
#include "shell/window/tradiogroup.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

void TForm1::Button1Click()
{
    if (Core->DriveConnected == 1 && Serial1->Active())
        Core->queueCommands({program::runCommand(Core->DriveAddress)});
}

void TForm1::Button2Click()
{
    if (Serial1->Active())
        Core->queueCommands({program::stopCommand(Core->DriveAddress)});
}

void TForm1::Button4Click()
{
    finishProgramEditing();
    const int row = currentProgramRow();
    if (Core->DriveConnected == 1 && Serial1->Active())
        Core->queueText(program::executeLineCommand(Program[size_t(row)])); // with the line's own address, if any
    StringGrid1->setCurrentCell(program::rowAfterEnter(row), 1);
}

void TForm1::Button12Click()
{
    Label12->setText(QString());
    Label9->setText(QString());
    if (!Core->TraceMode) {
        Button12->setText(fromCp1252(text(156)));
        Button12->setToolTip(fromCp1252(text(157)));
        Core->queueCommands(program::traceOnCommands(Core->DriveAddress));
        Core->TraceMode = true;
        for (QWidget *w : std::initializer_list<QWidget *> {Button14, Label10, Label9, Label12, Label13})
            w->show();
    } else {
        Core->queueCommands(program::traceOffCommands(Core->DriveAddress));
        endTraceDisplay();
    }
}

void TForm1::Button14Click()
{
    Core->queueCommands(program::traceStepCommands(Core->DriveAddress));
}

void TForm1::showTraceLine(program::TraceTarget target, const QByteArray &text)
{
    QLabel *label = target == program::TraceTarget::Next ? Label9 : Label12;
    label->setText(fromCp1252(text));
    if (target != program::TraceTarget::Current)
        return;
    // The drive names the command, not its row: the first row that reads so.
    int row = 0;
    for (int r = 1; row == 0 && r <= program::kVisibleRows; ++r) {
        if (!text.isEmpty() && Program[size_t(r)] == text)
            row = r;
    }
    markProgramRow(TraceRow, row, QColor(0xC8, 0xF0, 0xC8));
}

void TForm1::leaveTraceMode()
{
    Core->queueCommands(program::leaveTraceCommands(Core->DriveAddress, Core->TraceMode));
    endTraceDisplay();
}

void TForm1::endTraceDisplay()
{
    Core->TraceMode = false;
    markProgramRow(TraceRow, 0, QColor());
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
