// The program's transfer, the window's side: the menu and the button that
// read and write it, the overwrite question, and what the core reports.
#include "shell/tform1.h"

#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

void TForm1::ZYNTffnen1Click()
{
    HelpContext = 1;
    Label11->setText(fromCp1252(program::driveSourceCaption(Core->DriveAddress)));
    finishProgramEditing();
    // The core reads (programReadStarted shows it) or says why it does not.
    Core->ZYNTffnen1Click();
}

void TForm1::showProgramReadStart()
{
    endTraceDisplay();
    Label11->hide();
    Timer2->start();
    Label3->show();
    showProgramEditor();
    Button12->show();
}

void TForm1::showProgramReadEnd()
{
    Timer2->stop();
    Label3->hide();
    Label11->show();
}

void TForm1::Liste_SpeichernClick()
{
    finishProgramEditing();
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
    Core->ZYNT_Programm_Speichern();
}

void TForm1::showProgramWriteStart()
{
    ConfirmOverwrite = false;
    endTraceDisplay();
    Label4->show();
    Timer2->start();
}
