// SPDX-License-Identifier: GPL-3.0-or-later
// Editing the program in the grid: opening the editor, "Neu", in-place
// editing, Enter, insert, delete and teach-in. Every operation changes the
// model and then shows it.
#include "shell/window/tform1.h"

#include "shell/cp1252.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

void TForm1::showProgramEditor()
{
    StringGrid2->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {StringGrid1, Button5, Button6, Button7, Button16})
        w->show();
    Button3->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {Liste_Speichern, Button4, Button1, Button2})
        w->show();
    // The parameter grid's heading and write button belong to the hidden grid.
    Button8->hide();
    Label7->hide();
}

void TForm1::BitBtn1Click()
{
    showProgramEditor();
    Label11->show();
}

void TForm1::Fileffnen1Click()
{
    if (Core->DriveConnected != 1)
        return;
    finishProgramEditing();
    if (!mayDiscardProgramEdits())
        return;
    ProgramEdited = false;
    markProgramRow(RefusedRow, 0, QColor());
    ConfirmOverwrite = true;
    program::clearLines(Program);
    showProgram();
    if (!Serial1->Active())
        openPort();
    showProgramEditor();
    Label11->setText(QString());
}

void TForm1::StringGrid1Click(int row, int column)
{
    // The in-place editor opens with the first click; the fixed cells have none.
    if (QTableWidgetItem *cell = StringGrid1->item(row, column))
        StringGrid1->editItem(cell);
}

void TForm1::StringGrid1KeyPress(char key)
{
    if (key != '\r')
        return;
    StringGrid1->setCurrentCell(program::rowAfterEnter(currentProgramRow()), 1);
}

void TForm1::Button6Click()
{
    finishProgramEditing();
    ProgramEdited = true;
    if (program::insertLine(Program, currentProgramRow()))
        showProgram();
}

void TForm1::Button7Click()
{
    finishProgramEditing();
    ProgramEdited = true;
    if (program::deleteLine(Program, currentProgramRow()))
        showProgram();
}

void TForm1::Button16Click()
{
    finishProgramEditing();
    ProgramEdited = true;
    program::teachIn(Program, currentProgramRow(), toCp1252(Label5->text()));
    showProgram();
}

void TForm1::Button5MouseMove()
{
    Button5->setToolTip(fromCp1252(text(76)));
}
