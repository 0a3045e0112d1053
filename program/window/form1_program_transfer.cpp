// SPDX-License-Identifier: GPL-3.0-or-later
// The program's transfer, the window's side: the menu and the button that
// read and write it, the overwrite question, and what the core reports.
#include "shell/window/tform1.h"

#include "program/window/tokbottomdlg.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>

void TForm1::ZYNTffnen1Click()
{
    HelpContext = 1;
    finishProgramEditing();
    if (!mayDiscardProgramEdits())
        return;
    Label11->setText(fromCp1252(program::driveSourceCaption(Core->DriveAddress)));
    // The core reads (programReadStarted shows it) or says why it does not.
    Core->ZYNTffnen1Click();
}

bool TForm1::mayDiscardProgramEdits()
{
    if (!ProgramEdited)
        return true;
    return confirm(QMessageBox::Question,
                   tr("Die Änderungen am Programm im Editor verwerfen?"),
                   QMessageBox::Yes, QMessageBox::No);
}

void TForm1::markProgramRow(int &marked, int row, const QColor &colour)
{
    const QSignalBlocker quiet(StringGrid1); // a colour is no edit
    // The row's label is marked too: the line's own cell is hidden under
    // the selection.
    const auto paint = [this](int r, const QBrush &brush) {
        for (int column : {0, 1}) {
            if (QTableWidgetItem *item = StringGrid1->item(r, column))
                item->setBackground(brush);
        }
    };
    if (marked >= 1 && marked <= program::kRows)
        paint(marked, QBrush());
    marked = row;
    if (row >= 1 && row <= program::kRows && StringGrid1->item(row, 1)) {
        paint(row, colour);
        StringGrid1->setCurrentCell(row, 1);
        StringGrid1->scrollToItem(StringGrid1->item(row, 1));
    }
}

void TForm1::showProgramReadStart()
{
    markProgramRow(RefusedRow, 0, QColor());
    markProgramRow(TraceRow, 0, QColor());
    endTraceDisplay();
    Label11->hide();
    Timer2->start();
    Label3->show();
    showProgramEditor();
    Button12->show();
}

void TForm1::showProgramReadEnd(bool complete)
{
    Timer2->stop();
    Label3->hide();
    Label11->show();
    // A read that got to its end shows the drive's program; one that did not
    // gave back what was shown, edits included.
    if (complete)
        ProgramEdited = false;
}

void TForm1::Liste_SpeichernClick()
{
    finishProgramEditing();
    // The wire keeps the stop rules; the user learns what they leave out.
    if (const std::optional<program::Truncation> cut = program::truncation(Program)) {
        const QString row = QString::number(cut->row);
        const QString text = cut->blank
            ? tr("Zeile %1 beginnt mit einem Leerzeichen: sie und die Zeilen danach werden nicht übertragen").arg(row)
            : tr("Zeile %1 ist leer: die Zeilen danach werden nicht übertragen").arg(row);
        StringGrid1->setCurrentCell(cut->row, 1);
        if (!confirm(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Cancel))
            return;
    }
    if (ConfirmOverwrite) {
        // The program did not come from the drive: the user confirms first,
        // and the poll waits for the answer.
        Core->Owner.pause(line::Pause::Question);
        OKBottomDlg->show();
        OKBottomDlg->raise();
        return;
    }
    if (Core->DriveConnected == 1)
        ZYNT_Programm_Speichern();
}

void TForm1::ZYNT_Programm_Speichern()
{
    finishProgramEditing();
    if (const std::optional<line::Refusal> refusal = Core->Owner.refusal(line::Activity::ProgramWrite)) {
        errorBox(toCp1252(line::refusalText(*refusal, Core->Owner.activity(), line::Request::ProgramWrite)));
        return;
    }
    // What the write overwrites is saved first, read afresh every time: the
    // drive's program may have been changed by another tool since it was
    // last read, without a word to this program.
    ProgramToWrite = Program;
    statusNote(tr("Das Programm der ZYNT wird zur Sicherung gelesen …"));
    ProgramBackupAsked = Core->readDriveProgram(); // when refused, the core said why
    if (ProgramBackupAsked)
        endTraceDisplay(); // the read ends the drive's trace
}

void TForm1::backupProgramAndWrite(bool programRead)
{
    if (!ProgramBackupAsked)
        return; // a read of the drive's program that the window did not ask for
    ProgramBackupAsked = false;
    if (!programRead) {
        errorBox(toCp1252(
            tr("Das Programm der ZYNT konnte nicht zur Sicherung gelesen werden: es wurde nichts geschrieben.")));
        return;
    }
    if (Program != ProgramToWrite) {
        // The editor changed while the drive's program was read: what the
        // user confirmed is not what it shows now.
        errorBox(toCp1252(
            tr("Das Programm im Editor wurde während der Sicherung geändert: es wurde nichts geschrieben.")));
        return;
    }
    // A drive holding more lines than the editor can keep cannot be backed
    // up whole: the user decides, knowing it.
    if (Core->ProgramListedLines > program::kVisibleRows
        && !confirm(QMessageBox::Warning,
                    tr("ZYNT %1 hält %2 Programmzeilen; nur %3 können gesichert und zurückgeschrieben werden: die "
                       "Sicherung ist unvollständig. Trotzdem schreiben?")
                        .arg(QString::fromLatin1(Core->DriveAddress))
                        .arg(Core->ProgramListedLines)
                        .arg(program::kVisibleRows),
                    QMessageBox::Yes, QMessageBox::No))
        return;
    ProgramBackupFile = saveBackup(QStringLiteral(".prg"), program::formatProgramFile(Core->Snapshot.program));
    if (ProgramBackupFile.isEmpty())
        return;
    statusNote(tr("Das Programm der ZYNT wurde gesichert: %1").arg(ProgramBackupFile));
    Core->ZYNT_Programm_Speichern(ProgramBackupFile);
}

void TForm1::showProgramWriteStart()
{
    markProgramRow(RefusedRow, 0, QColor());
    ConfirmOverwrite = false;
    endTraceDisplay();
    Label4->show();
    Timer2->start();
}
